#include "app/GuiTransferFrontEnd.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/MainForm.h"
#include "dialogs/OpenWaveForm.h"
#include "eps/WaveSampleInfo.h"
#include "transfer/WaveFile.h"
#include "transfer/ui/StatusForm.h"

TGuiTransferFrontEnd::TGuiTransferFrontEnd(TMainForm& mainForm, TOpenWaveForm& browser,
                                           TStatusForm& statusForm)
    : MainForm(mainForm), Browser(browser), StatusForm(statusForm) {}

bool TGuiTransferFrontEnd::ChooseTarget(TTransferDirection direction) {
    if (direction == tdDownload) {
        return Browser.Execute(owDownload) == mrOk;
    }
    while (Browser.Execute(owUpload) == mrOk) {
        if (ReplaceConfirmed()) {
            return true;
        }
    }
    return false;
}

// An upload into a wavesample that holds data replaces it: asked first,
// naming what would go.
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
    if (const auto info = ReadWaveSampleInfo(eps, instrument, waveSample)) {
        if (!info->Name.empty()) {
            held += QString(" (\"%1\")").arg(QString::fromLatin1(info->Name));
        }
        held += QString(" holds %1 samples at %2 Hz")
                    .arg(info->Samples)
                    .arg(PeriodToRate(static_cast<std::uint32_t>(info->PeriodWord)));
    } else {
        held += " holds data";
    }
    return QMessageBox::question(&MainForm, QApplication::applicationDisplayName(),
                                 held + ".\n\nReplace it with the file's samples?") ==
           QMessageBox::Yes;
}

// Qt's own dialog rather than the desktop's: it honours every option here on
// every desktop. A download overwrites the file it is given without asking.
std::string TGuiTransferFrontEnd::ChooseFile(TTransferDirection direction,
                                             const std::string& initialFolder) {
    const bool upload = direction == tdUpload;
    QFileDialog dialog(&MainForm, upload ? QStringLiteral("Upload") : QString(),
                       QFile::decodeName(QByteArray::fromStdString(initialFolder)));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !upload);
    dialog.setAcceptMode(upload ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(upload ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({"Wav/RIFF files (*.wav)", "All files (*.*)"});
    dialog.setDefaultSuffix("wav");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

void TGuiTransferFrontEnd::ClearSelection() {
    MainForm.ClearSelection();
}

void TGuiTransferFrontEnd::BeginTransfer(const std::string& caption) {
    StatusForm.BeginTransfer(caption);
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
    const QString text = QFile::decodeName(QByteArray::fromStdString(report.Message));
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
