// The common ground of the program's modal windows: each is created once,
// centred over its owner (the main window) whenever it appears and while the
// owner moves or changes its size under it, sized by its contents and shown
// through an Execute method that returns the modal result as the engine
// understands it (OK, Cancel, Retry).
#pragma once

#include <QDialog>
#include <QStyle>

#include <initializer_list>

#include "eps/EpsDialogs.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

class TModalForm : public QDialog {
    Q_OBJECT

public:
    explicit TModalForm(QWidget* parent = nullptr);

signals:
    // The user asked for the help topic of this context; the program's help
    // viewer answers it.
    void HelpRequested(int context);
    // The user asked for the Preferences dialog. Delivered through the event
    // queue after this window has closed, so that Preferences never opens on
    // top of it.
    void PreferencesRequested();

protected:
    // Shows the window modally. Closing it by Esc or its close box counts as
    // Cancel.
    TModalResult ShowModal();
    // Ends the modal loop with the given result.
    void CloseWith(TModalResult result);
    // Ends the modal loop with the given result and asks for Preferences.
    void CloseForPreferences(TModalResult result);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    static QLabel* MakeBoldLabel(const QString& text = {});
    // A line that keeps its height while empty, so the window does not
    // change its layout with its texts.
    static QLabel* MakeLineLabel(const QString& text = {});
    // A button that ends the modal loop with the given result.
    QPushButton* MakeResultButton(const QString& caption, TModalResult result);
    // The buttons stacked at the top of a column, as the dialogs with their
    // buttons at the right show them.
    static QVBoxLayout* MakeButtonColumn(std::initializer_list<QPushButton*> buttons);
    // The layout every notice shares: a 32 x 32 picture at the top left with
    // the bold headings beside it, the plain lines below, the buttons in a row
    // at the bottom right. The window takes the size its contents need.
    void LayOutNotice(QStyle::StandardPixmap picture, std::initializer_list<QLabel*> headings,
                      std::initializer_list<QLabel*> lines,
                      std::initializer_list<QPushButton*> buttons);

private:
    QLabel* MakeIconLabel(QStyle::StandardPixmap picture);
    // The window this one belongs over; null for none.
    QWidget* Owner() const;
    void CentreOverOwner();
    // A window manager cuts a title wider than the window ("Unable to o…e"):
    // a window that takes the size of its contents is made wide enough for
    // its title as well.
    void MakeRoomForTitle();
};
