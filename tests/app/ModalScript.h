// Answers the modal dialogs a command opens, one step after the other, as a
// user would: each step waits for a modal window of its type to be on
// screen, acts on it, and the next step waits until that window has gone.
// A step waits while the program is busy with the sampler, as a user must.
// A step that finds no dialog within the time limit closes whatever modal
// window is open, so that a test fails instead of hanging.
#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class TModalScript : public QObject {
    Q_OBJECT

public:
    TModalScript();
    ~TModalScript() override;

    template <typename TForm> TModalScript& Then(std::function<void(TForm*)> action) {
        Steps.push_back({TForm::staticMetaObject.className(),
                         [action](QWidget* widget) { action(qobject_cast<TForm*>(widget)); }});
        // The window serves its events while it waits for the sampler, so
        // the script may have run out of steps and stopped in between.
        Timer.start();
        return *this;
    }

    // All steps were taken.
    bool Finished() const { return Next == Steps.size() && Failure.isEmpty(); }
    // What went wrong; empty while nothing has.
    QString Failure;

private:
    struct TStep {
        const char* FormClass;
        std::function<void(QWidget*)> Act;
    };

    static bool ProgramBusy();
    void Poll();

    std::vector<TStep> Steps;
    std::size_t Next = 0;
    QWidget* LastForm = nullptr;
    int Polls = 0;
    QTimer Timer;
};
