#include "app/GuiTransferFrontEnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

#include <span>
#include <string>

#include "app/EnginePath.h"
#include "app/MainForm.h"
#include "dialogs/DestructiveQuestion.h"
#include "dialogs/OpenWaveForm.h"
#include "eps/Names.h"
#include "transfer/InstrumentRestore.h"
#include "transfer/SafeFileName.h"
#include "transfer/SoundFile.h"
#include "transfer/WaveFile.h"
#include "transfer/ui/StatusForm.h"

namespace {

// Room for the file list's columns beside the places, in characters, and
// for some twenty files.
constexpr int FileDialogColumns = 100;
constexpr int FileDialogLines = 28;

// Qt's own dialog rather than the desktop's: it honours every option the
// transfers set on every desktop. Wide enough that the size, type and date
// show whole, and never wider than the screen; the names take what is left.
void PrepareFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* list = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const QFontMetrics metrics(dialog.font());
    QSize size(metrics.averageCharWidth() * FileDialogColumns,
               metrics.lineSpacing() * FileDialogLines);
    if (const QScreen* screen = dialog.screen()) {
        size = size.boundedTo(screen->availableGeometry().size());
    }
    dialog.setMinimumSize(size);
}

} // namespace

TGuiTransferFrontEnd::TGuiTransferFrontEnd(TMainForm& mainForm, TOpenWaveForm& browser,
                                           TStatusForm& statusForm)
    : MainForm(mainForm), Browser(browser), StatusForm(statusForm) {}

// Every format the upload reads, and each on its own.
QStringList TGuiTransferFrontEnd::UploadFilters() {
    QStringList patterns;
    for (const std::string& extension : TSoundFile::Extensions()) {
        patterns << "*." + QString::fromStdString(extension);
    }
    return {"Sound files (" + patterns.join(' ') + ")", "Wav/RIFF files (*.wav)", "All files (*)"};
}

// "Instrument-WaveSample.wav" for the wavesample whose parameters the
// download has read: the one open for editing, or else the browser's choice;
// named as the browser names them.
QString TGuiTransferFrontEnd::DownloadFileName() const {
    const TEps& eps = *MainForm.Eps;
    const int instrument = eps.WaveSampleOpen ? eps.OpenInstrument : eps.Instrument;
    const int number = eps.WaveSampleOpen ? eps.OpenWaveSample : eps.WaveSample;
    const std::string waveSample = DecodeName(
        std::span<const std::int32_t, NameWords>(eps.WaveSampleParameters.begin(), NameWords));
    return QString::fromStdString(
        SafeFileName(eps.InstrumentName[static_cast<std::size_t>(instrument)],
                     "Instrument_" + std::to_string(instrument + 1)) +
        "-" + SafeFileName(waveSample, "WaveSample_" + std::to_string(number)) + ".wav");
}

bool TGuiTransferFrontEnd::ChooseTarget(TTransferDirection direction) {
    return Choose(direction == tdDownload ? owDownload : owUpload, {},
                  &TGuiTransferFrontEnd::ReplaceConfirmed);
}

bool TGuiTransferFrontEnd::ChooseInstrument(TTransferDirection direction) {
    const QString caption =
        direction == tdDownload ? "Back Up Instrument" : "Restore Instrument Into";
    return Choose(direction == tdDownload ? owDownload : owRestore, caption,
                  &TGuiTransferFrontEnd::InstrumentReplaceConfirmed);
}

// An upload's No to the question goes back to the browser for another target.
bool TGuiTransferFrontEnd::Choose(TOpenWaveMode mode, const QString& caption,
                                  bool (TGuiTransferFrontEnd::*confirmed)()) {
    if (mode == owDownload) {
        return Browser.Execute(mode, caption) == mrOk;
    }
    while (Browser.Execute(mode, caption) == mrOk) {
        if ((this->*confirmed)()) {
            return true;
        }
    }
    return false;
}

// An upload into a wavesample that holds samples replaces them: asked
// first, naming what would go.
bool TGuiTransferFrontEnd::ReplaceConfirmed() {
    TEps& eps = *MainForm.Eps;
    const int instrument = eps.Instrument;
    const int waveSample = eps.WaveSample;
    if (!eps.WaveSampleUsed[instrument][waveSample - 1]) {
        return true;
    }
    QString held = QString("Wavesample %1 of %2")
                       .arg(waveSample)
                       .arg(QString::fromLatin1(eps.InstrumentName[instrument]));
    const auto info = Browser.WaveSampleInfo(instrument, waveSample);
    // Nothing would go: a new wavesample holds no samples yet.
    if (info && info->CopyOf == 0 && info->Samples == 0) {
        return true;
    }
    if (info) {
        if (!info->Name.empty()) {
            held += QString(" (\"%1\")").arg(QString::fromLatin1(info->Name));
        }
        held += QString(" holds %1 samples at %2 Hz")
                    .arg(info->Samples)
                    .arg(PeriodToRate(static_cast<std::uint32_t>(info->PeriodWord)));
    } else {
        held += " holds data";
    }
    return AskDestructive(&MainForm, held + ".\n\nReplace it with the file's samples?", "Replace");
}

// A restore into a slot that holds an instrument overwrites its parameters
// and the wavesamples the backup has; the user is told that the rest stay.
bool TGuiTransferFrontEnd::InstrumentReplaceConfirmed() {
    const TEps& eps = *MainForm.Eps;
    const auto instrument = static_cast<std::size_t>(eps.Instrument);
    if (!eps.InstrumentPresent[instrument]) {
        return true;
    }
    const QString question =
        QString("Instrument %1 holds %2. Restore over it?\n\nIts wavesamples that the backup "
                "lacks stay. A restore that stops part-way leaves the instrument incomplete, "
                "named %3.")
            .arg(eps.Instrument + 1)
            .arg(QString::fromLatin1(eps.InstrumentName[instrument]))
            .arg(TInstrumentRestore::IncompleteName);
    return AskDestructive(&MainForm, question, "Restore Over It");
}

QString TGuiTransferFrontEnd::ChooseFolder(const QString& caption, const QString& initialFolder) {
    QFileDialog dialog(&MainForm, caption, initialFolder);
    PrepareFileDialog(dialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

// A download's dialog asks before it lets an existing file be chosen, since
// the download replaces the file it is given.
std::string TGuiTransferFrontEnd::ChooseFile(TTransferDirection direction,
                                             const std::string& initialFolder) {
    const bool upload = direction == tdUpload;
    if (upload && !UploadFile.isEmpty()) {
        if (KeepRate != nullptr) {
            *KeepRate = MainForm.KeepUploadRate;
        }
        return TEnginePath::FromQt(UploadFile);
    }
    QFileDialog dialog(&MainForm, upload ? QStringLiteral("Upload") : QString(),
                       TEnginePath::ToQt(initialFolder));
    PrepareFileDialog(dialog);
    dialog.setAcceptMode(upload ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(upload ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(upload ? UploadFilters()
                                 : QStringList{"Wav/RIFF files (*.wav)", "All files (*.*)"});
    dialog.setDefaultSuffix("wav");
    if (!upload) {
        dialog.selectFile(DownloadFileName());
    }
    // Under the dialog's own controls, for the upload only.
    QCheckBox* keepRate = nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); KeepRate && grid != nullptr) {
        keepRate = new QCheckBox("Keep the file's samples as they are (no rate conversion)");
        keepRate->setChecked(MainForm.KeepUploadRate);
        grid->addWidget(keepRate, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    if (keepRate != nullptr) {
        MainForm.KeepUploadRate = keepRate->isChecked();
        *KeepRate = MainForm.KeepUploadRate;
    }
    return TEnginePath::FromQt(dialog.selectedFiles().constFirst());
}

void TGuiTransferFrontEnd::BeginTransfer(const std::string& caption) {
    StatusForm.BeginTransfer(caption);
    if (!FileInfo.empty()) {
        StatusForm.ShowStep(FileInfo);
        FileInfo.clear();
    }
}

void TGuiTransferFrontEnd::ShowProgress(float secondsLeft, float percent) {
    StatusForm.ShowProgress(secondsLeft, percent);
}

void TGuiTransferFrontEnd::ShowStep(const std::string& text) {
    StatusForm.ShowStep(text);
}

void TGuiTransferFrontEnd::ShowStall(int seconds) {
    StatusForm.ShowStall(seconds);
}

void TGuiTransferFrontEnd::EndTransfer() {
    StatusForm.EndTransfer();
}

bool TGuiTransferFrontEnd::Cancelled() {
    return StatusForm.Cancelled();
}

void TGuiTransferFrontEnd::ProcessEvents() {
    StatusForm.ProcessEvents();
}

// A transfer that stopped short says so, and names the partial file a
// download leaves behind; one the user called off before it began says
// nothing.
void TGuiTransferFrontEnd::TransferEnded(const TTransferReport& report) {
    if (report.Outcome == toNotStarted || report.Message.empty()) {
        return;
    }
    const QString title = QApplication::applicationDisplayName();
    const QString text = QString::fromStdString(report.Message);
    if (report.Outcome == toCompleted) {
        QMessageBox::information(&MainForm, title, text);
    } else {
        QMessageBox::warning(&MainForm, title, text);
    }
    // The user asked to close while the transfer ran; it has ended now.
    if (StatusForm.CloseRequested()) {
        MainForm.close();
    }
}
