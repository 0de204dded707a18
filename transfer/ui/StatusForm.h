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
#include <QList>
#include <QPointer>

#include <string>

class QAbstractButton;
class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

class TStatusForm : public QDialog {
    Q_OBJECT

public:
    // mainWindow is the parent, which this window stays above; it may be
    // null. While a transfer runs its parts take no input, and its close box
    // asks whether to cancel the transfer.
    explicit TStatusForm(QWidget* mainWindow = nullptr);

    // Shows the window with this caption, without blocking, and takes input
    // away from the main window.
    void BeginTransfer(const std::string& caption);
    // secondsLeft and percent as the transfer estimates them.
    void ShowProgress(float secondsLeft, float percent);
    // Where a job of many transfers stands, on a line above the time left.
    void ShowStep(const std::string& text);
    // How long the sampler has been silent, in place of the time left.
    void ShowStall(int seconds);
    // Hides the window and gives the main window its input back.
    void EndTransfer();
    // Set by the user's cancel until the next transfer begins.
    bool Cancelled() const { return CancelRequested; }
    // Whether the user cancelled from the main window's close box, which is
    // to close once the transfer has ended.
    bool CloseRequested() const { return MainWindowClose; }
    // Serves the input waiting for the window: the transfer calls it on
    // every pass of its loop.
    void ProcessEvents();
    void CancelButtonClick();

    QLabel* StepLabel;
    QLabel* TimeLabel;
    QProgressBar* ProgressBar;
    QPushButton* CancelButton;
    // Asked when the main window's close box is used during a transfer;
    // the transfer goes on while it is up.
    QMessageBox* CloseQuestion;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Esc.
    void reject() override;

private:
    void Arrange(bool withStep);
    // The main window's parts (menus, tool bar, wave area, status bar);
    // the main window itself stays enabled, as a disabled parent would
    // disable this window too.
    void EnableMainWindowParts(bool enable);
    void CloseQuestionAnswered(QAbstractButton* button);

    QWidget* MainWindow;
    QList<QPointer<QWidget>> DisabledParts;
    bool CancelRequested = false;
    bool MainWindowClose = false;
};
