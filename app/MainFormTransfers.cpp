// The main window's transfer commands: Download and Upload of a wavesample,
// and the backup and restore of a whole instrument, with the browser, the
// file and folder dialogs, the progress window and a word at the end as
// their front end.
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <filesystem>
#include <string>
#include <type_traits>

#include "app/EnginePath.h"
#include "app/GuiTransferFrontEnd.h"
#include "app/MainForm.h"
#include "transfer/Download.h"
#include "transfer/InstrumentBackup.h"
#include "transfer/InstrumentRestore.h"
#include "transfer/Upload.h"

namespace {

// The workflow starts its file dialog in folder and leaves there the folder
// of the file it used, also when a port's failure cuts it short.
template <typename TWorkflow>
TTransferReport RunTransfer(TEps& eps, TGuiTransferFrontEnd& frontEnd, QString& folder) {
    std::string path = TEnginePath::FromQt(folder);
    struct TKeepFolder {
        std::string& Path;
        QString& Folder;
        ~TKeepFolder() { Folder = TEnginePath::ToQt(Path); }
    } keep{path, folder};
    TWorkflow workflow(eps, frontEnd, path);
    if constexpr (std::is_same_v<TWorkflow, TUpload>) {
        frontEnd.KeepRate = &workflow.KeepRate;
    }
    return workflow.Run();
}

} // namespace

void TMainForm::DownloadClick() {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    RunTransfer<TDownload>(*Eps, frontEnd, UploadDownloadPath);
}

void TMainForm::UploadClick() {
    UploadFile({});
}

void TMainForm::UploadFile(const QString& file) {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    frontEnd.UploadFile = file;
    const TTransferReport report = RunTransfer<TUpload>(*Eps, frontEnd, UploadDownloadPath);
    const int instrument = Eps->Instrument;
    const int waveSample = Eps->WaveSample;
    const bool sent = report.Done > 0;
    const std::optional<TEps::TAsidePlace> aside = Eps->Aside();
    const bool intoOpen =
        aside && aside->Instrument == instrument && aside->WaveSample == waveSample;
    TakeUpWavesample(report, sent && intoOpen);
    if (sent && !intoOpen && report.Outcome != toNoAnswer) {
        OfferUploaded(instrument, waveSample, Eps->WaveSampleOpen);
    }
}

void TMainForm::TakeUpWavesample(const TTransferReport& report, bool written) {
    if (!Eps->Aside()) {
        return;
    }
    if (written || report.Outcome == toNoAnswer) {
        ClearSelection();
    }
    if (report.Outcome == toNoAnswer) {
        Eps->DropAside();
    } else if (Eps->TakeUpWavesample(!written) != orOpened) {
        ClearSelection();
    }
    UpdateCommands();
    UpdateView();
}

void TMainForm::OfferUploaded(int instrument, int waveSample, bool otherOpen) {
    Eps->LookUpInstrument(instrument);
    if (otherOpen) {
        QMessageBox question(QMessageBox::Question, QString(),
                             QString("Open wavesample %1 of %2 now?")
                                 .arg(waveSample)
                                 .arg(QString::fromStdString(
                                     Eps->InstrumentName[static_cast<std::size_t>(instrument)])),
                             QMessageBox::NoButton, this);
        question.setInformativeText("It holds the file you uploaded. The wavesample you are "
                                    "editing stays open if you keep it.");
        QPushButton* open = question.addButton("Open", QMessageBox::AcceptRole);
        question.addButton("Keep Editing", QMessageBox::RejectRole);
        question.setDefaultButton(open);
        question.exec();
        if (question.clickedButton() != open) {
            return;
        }
    }
    OpenWavesampleAt(instrument, waveSample);
}

// The instrument goes into a folder of its own, named after it, inside the
// one chosen; the chosen one is where the next dialog starts. The job's
// transfers would leave their own folder in the path they are given.
void TMainForm::BackUpInstrumentClick() {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    if (!Eps->CheckConnection() || !frontEnd.ChooseInstrument(tdDownload)) {
        return;
    }
    const QString folder = frontEnd.ChooseFolder("Back Up Into Folder", UploadDownloadPath);
    if (folder.isEmpty()) {
        return;
    }
    UploadDownloadPath = folder;
    const int instrument = Eps->Instrument;
    const std::string name = Eps->InstrumentName[static_cast<std::size_t>(instrument)];
    std::string jobPath = TEnginePath::FromQt(folder);
    const TInstrumentBackup::TTarget target{instrument,
                                            std::filesystem::path(jobPath) /
                                                TInstrumentBackup::FolderName(instrument, name)};
    const TTransferReport report = TInstrumentBackup(*Eps, frontEnd, jobPath).Run({target});
    frontEnd.TransferEnded(report);
    TakeUpWavesample(report, false);
}

// A folder whose manifest cannot be read is refused before the browser is
// asked for a slot. The next dialog starts where the backups are: in the
// folder that holds the one restored.
void TMainForm::RestoreInstrumentClick() {
    TGuiTransferFrontEnd frontEnd(*this, *Dialogs.OpenWaveForm, *Dialogs.StatusForm);
    const QString folder =
        frontEnd.ChooseFolder("Restore Instrument From Folder", UploadDownloadPath);
    if (folder.isEmpty()) {
        return;
    }
    std::string jobPath = TEnginePath::FromQt(folder);
    if (std::string problem; !TInstrumentManifest::Read(jobPath, problem)) {
        TTransferReport refused;
        refused.Outcome = toFailed;
        refused.Message = problem + ".\n\nChoose the folder of one backed-up instrument, " +
                          "the one that holds " + TInstrumentManifest::FileName + ".";
        frontEnd.TransferEnded(refused);
        return;
    }
    if (!Eps->CheckConnection() || !frontEnd.ChooseInstrument(tdUpload)) {
        return;
    }
    UploadDownloadPath = QFileInfo(folder).absolutePath();
    const int instrument = Eps->Instrument;
    TInstrumentRestore restore(*Eps, frontEnd, jobPath);
    // The user has agreed to restore over what the slot holds.
    restore.Replace = Eps->InstrumentPresent[static_cast<std::size_t>(instrument)];
    const TTransferReport report = restore.Run({{std::filesystem::path(jobPath), instrument}});
    frontEnd.TransferEnded(report);
    const std::optional<TEps::TAsidePlace> aside = Eps->Aside();
    TakeUpWavesample(report, aside && aside->Instrument == instrument);
}
