// The main window's part in a wait for the sampler. While the window is busy
// it refuses the user's input to the windows that were on screen when the
// wait began: the input is dropped, not kept for later, so that a click
// meant for a window that has gone does not land on the one beneath once the
// wait is over. A window that waits for a read of its own while the user
// works in it, and stays as it is, may have its input kept instead and
// handed to it once the wait is over. Windows that open during the wait
// (the engine's dialogs) take input as usual. After a second of waiting this
// strip shows in the status bar with a Cancel button, which Escape presses
// too, and so does a request to close the window.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QToolButton;

class TBusyIndicator : public QWidget {
    Q_OBJECT

public:
    static constexpr int ShowDelay = 1000;

    explicit TBusyIndicator(QWidget* parent = nullptr);

    // The busy span begins: input to the windows on screen is refused from
    // now on, and the strip shows after ShowDelay milliseconds.
    void Start();
    // The busy span ends: input is taken again and the strip goes.
    void Stop();
    // A dialog comes up in the middle of the wait: the strip goes, and comes
    // back a little after the dialog has been answered if the wait goes on.
    void SetAside();
    // The user asked to give the wait up since Start.
    bool Cancelled() const { return CancelledFlag; }
    // The user's input to window in the busy span that begins next, or in
    // the one under way, is kept and handed to it once the span is over,
    // Escape and a close request still giving the wait up.
    void KeepInputOf(QWidget* window);
    // The busy span keeps a window's input: the user may go on with it.
    bool KeepsInput() const { return Keeping != nullptr; }

    QLabel* Text = nullptr;
    QToolButton* CancelButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Appear();
    void Cancel();
    // The window that owns the receiver, following a pop-up menu to the
    // window it drops from; null when it is not one of the frozen windows.
    QWidget* FrozenWindowOf(const QObject* receiver) const;
    static bool IsUserInput(const QEvent& event);

    struct TKeptEvent {
        QPointer<QObject> Receiver;
        std::unique_ptr<QEvent> Event;
    };

    void HandKeptInput();

    QTimer ShowTimer;
    std::vector<QPointer<QWidget>> Frozen;
    QPointer<QWidget> Keeping;
    std::vector<TKeptEvent> Kept;
    bool CancelledFlag = false;
};
