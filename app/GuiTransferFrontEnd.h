// The transfers' front end in the desktop program: the browser picks the
// wavesample, a file dialog the WAVE file, the progress window shows the
// transfer and takes the Cancel, and a message box tells the user how it
// ended. The instrument backups and restores choose an instrument and a
// folder through it as well.
#pragma once

#include <QString>

#include <QStringList>

#include "dialogs/OpenWaveForm.h"
#include "transfer/TransferFrontEnd.h"

class TMainForm;
class TStatusForm;

class TGuiTransferFrontEnd : public TTransferFrontEnd {
public:
    TGuiTransferFrontEnd(TMainForm& mainForm, TOpenWaveForm& browser, TStatusForm& statusForm);

    bool ChooseTarget(TTransferDirection direction) override;
    std::string ChooseFile(TTransferDirection direction, const std::string& initialFolder) override;

    // Where the upload's file dialog puts the user's choice to keep the
    // file's rate; null for the other transfers.
    bool* KeepRate = nullptr;
    // The upload's file, taken without the file dialog (and with the
    // dialog's last choice to keep the rate); empty to ask for one.
    QString UploadFile;

    // Shown on the progress window's step line once it is up.
    void ShowFileInfo(const std::string& text) override { FileInfo = text; }
    void BeginTransfer(const std::string& caption) override;
    void ShowProgress(float secondsLeft, float percent) override;
    void ShowStep(const std::string& text) override;
    void ShowStall(int seconds) override;
    void EndTransfer() override;
    bool Cancelled() override;
    void ProcessEvents() override;

    void TransferEnded(const TTransferReport& report) override;

    // The browser picks a whole instrument into the engine's Instrument; for
    // an upload, one the sampler holds only once the user agrees to restore
    // over it. False when the user cancels.
    bool ChooseInstrument(TTransferDirection direction);
    // Qt's folder dialog, starting in initialFolder; empty when the user
    // cancels.
    QString ChooseFolder(const QString& caption, const QString& initialFolder);

private:
    static QStringList UploadFilters();
    QString DownloadFileName() const;
    // The browser, with caption in place of its own when one is given.
    bool Choose(TOpenWaveMode mode, const QString& caption,
                bool (TGuiTransferFrontEnd::*confirmed)());
    bool ReplaceConfirmed();
    bool InstrumentReplaceConfirmed();

    TMainForm& MainForm;
    TOpenWaveForm& Browser;
    TStatusForm& StatusForm;
    std::string FileInfo;
};
