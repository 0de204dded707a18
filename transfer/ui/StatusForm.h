// The progress window of the downloads and uploads: time left, a percentage
// bar and a Cancel button. It does not run the transfer; the transfer polls
// Cancelled on every pass of its loop and feeds it new figures after each
// block. Every attempt to close it (Cancel, Esc, Enter, the close box) only
// asks the transfer to stop; the window goes away when the transfer ends.
//
// Its operations are the progress part of the transfers' front end
// (TTransferFrontEnd), with the same signatures, so the program's front end
// hands them on unchanged.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

class TStatusForm : public QDialog {
    Q_OBJECT

public:
    // mainWindow is disabled while a transfer runs; it may be null. It is not
    // the parent: a disabled parent would disable this window too.
    explicit TStatusForm(QWidget* mainWindow = nullptr);

    // Shows the window with this caption, without blocking, and takes input
    // away from the main window.
    void BeginTransfer(const std::string& caption);
    // secondsLeft and percent as the transfer estimates them.
    void ShowProgress(float secondsLeft, float percent);
    // How long the sampler has been silent, in place of the time left.
    void ShowStall(int seconds);
    // Hides the window and gives the main window its input back.
    void EndTransfer();
    // Set by the user's cancel until the next transfer begins.
    bool Cancelled() const { return CancelRequested; }
    // Serves the input waiting for the window: the transfer calls it on
    // every pass of its loop.
    void ProcessEvents();
    void CancelButtonClick();

    QLabel* TimeLabel;
    QProgressBar* ProgressBar;
    QPushButton* CancelButton;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Esc.
    void reject() override;

private:
    QWidget* MainWindow;
    bool CancelRequested = false;
};
