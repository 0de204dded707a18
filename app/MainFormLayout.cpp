// The main window's controls: the menus, the tool bar, the wave area and the
// status bar. Menu items carry their status-bar hint; speed buttons take a
// hint "tool tip|status text" as the tool bar shows it.
#include "app/MainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>

#include "app/BusyIndicator.h"
#include "app/ButtonGlyphs.h"
#include "app/StatusPanels.h"
#include "wave/WaveArea.h"
#include "wave/WaveBox.h"

namespace {

// Separators have a hint of one blank, so that passing over one shows an
// empty hint line.
const QString SeparatorHint = QStringLiteral(" ");
constexpr int BevelHeight = 2;
constexpr int TopPanelHeight = 27;
constexpr int StatusBarHeight = 19;
constexpr int GlyphButtonSize = 21;
// Room beside the ratio on a scale button.
constexpr int ScaleButtonMargin = 8;
constexpr int ButtonGap = 8;

// The vertical scale of the i-th item and button: "1:256" first.
QString ScaleRatio(int i) {
    return QString("1:%1").arg(256 >> i);
}

// The platform's own keys for a command first, the menu showing the first
// of them; then the keys people know from other programs, each once.
QList<QKeySequence> CommonKeys(QKeySequence::StandardKey standard,
                               std::initializer_list<QKeySequence> others = {}) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : others) {
        if (!keys.contains(key)) {
            keys << key;
        }
    }
    return keys;
}

} // namespace

// A menu's own hint shows while it is open and nothing in it is highlighted.
// Its title in the menu bar has none: the bar keeps the title highlighted
// after Escape, and its hint would stay on after the menu has gone.
QMenu* TMainForm::AddMenu(const QString& caption, const QString& hint) {
    QMenu* menu = menuBar()->addMenu(caption);
    connect(menu, &QMenu::aboutToShow, this, [this, hint] { AppHint(hint); });
    connect(menu, &QMenu::aboutToHide, this, [this] { AppHint({}); });
    return menu;
}

QAction* TMainForm::AddItem(QMenu* menu, const QString& caption, const QString& hint) {
    QAction* item = menu->addAction(caption);
    item->setStatusTip(hint);
    return item;
}

void TMainForm::AddSeparator(QMenu* menu) {
    menu->addSeparator()->setStatusTip(SeparatorHint);
}

void TMainForm::CreateMenus() {
    CreateFileMenu();
    CreateEditMenu();
    CreateViewMenu();
    CreateLookMenus();
    CreateHelpMenu();
}

void TMainForm::CreateFileMenu() {
    QMenu* menu = AddMenu("&File", "Open/Close wavesamples");
    OpenWavesampleMenuItem = AddItem(menu, "&Open Wavesample ...", "Open wavesample for editing");
    OpenWavesampleMenuItem->setShortcuts(CommonKeys(QKeySequence::Open));
    CloseWavesampleMenuItem = AddItem(menu, "&Close Wavesample", "Close current wavesample");
    AddSeparator(menu);
    DownloadMenuItem = AddItem(menu, "&Download...", "Receive a wavesample");
    UploadMenuItem = AddItem(menu, "&Upload...", "Send a wavesample");
    BackUpInstrumentMenuItem = AddItem(menu, "&Back Up Instrument...",
                                       "Save an instrument with every parameter to a folder");
    RestoreInstrumentMenuItem =
        AddItem(menu, "&Restore Instrument...", "Rebuild a saved instrument in the sampler");
    AddSeparator(menu);
    ExitMenuItem = AddItem(menu, "E&xit", "Leave program");
    ExitMenuItem->setShortcuts(
        CommonKeys(QKeySequence::Quit, {QKeySequence(Qt::CTRL | Qt::Key_Q)}));
    connect(OpenWavesampleMenuItem, &QAction::triggered, this, &TMainForm::OpenWavesampleClick);
    connect(CloseWavesampleMenuItem, &QAction::triggered, this, &TMainForm::CloseWavesampleClick);
    connect(DownloadMenuItem, &QAction::triggered, this, &TMainForm::DownloadClick);
    connect(UploadMenuItem, &QAction::triggered, this, &TMainForm::UploadClick);
    connect(BackUpInstrumentMenuItem, &QAction::triggered, this, &TMainForm::BackUpInstrumentClick);
    connect(RestoreInstrumentMenuItem, &QAction::triggered, this,
            &TMainForm::RestoreInstrumentClick);
    connect(ExitMenuItem, &QAction::triggered, this, &TMainForm::ExitClick);
}

void TMainForm::CreateEditMenu() {
    QMenu* menu = AddMenu("&Edit", "Perform editing commands");
    UndoMenuItem = AddItem(menu, "&Undo", "Take back the last edit");
    UndoMenuItem->setShortcuts(
        CommonKeys(QKeySequence::Undo, {QKeySequence(Qt::CTRL | Qt::Key_Z),
                                        QKeySequence(Qt::ALT | Qt::Key_Backspace)}));
    RedoMenuItem = AddItem(menu, "&Redo", "Make the edit taken back again");
    RedoMenuItem->setShortcuts(
        CommonKeys(QKeySequence::Redo, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                        QKeySequence(Qt::CTRL | Qt::Key_Y),
                                        QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace)}));
    AddSeparator(menu);
    ClearDataMenuItem = AddItem(menu, "&Clear Data", "Clear selected range");
    ReverseDataMenuItem = AddItem(menu, "&Reverse Data", "Turn selected wavedata around backwards");
    ScaleDataMenuItem = AddItem(menu, "Sca&le Data...", "Scale volume of selected range");
    NormalizeGainMenuItem =
        AddItem(menu, "&Normalize Gain", "Scale wavedata to full digital signal range");
    FadeInMenuItem = AddItem(menu, "Fade &In", "Scale volume from 0% to 100%");
    FadeOutMenuItem = AddItem(menu, "Fade &Out", "Scale volume from 100% to 0%");
    AddSeparator(menu);
    SelectAllMenuItem = AddItem(menu, "Select &All", "Select the whole wavesample");
    SelectAllMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    AddSeparator(menu);
    SetSampleStartMenuItem = AddItem(menu, "Set Sample &Start", "Set the sample start point");
    SetSampleEndMenuItem = AddItem(menu, "Set Sample &End", "Set the sample end point");
    AddSeparator(menu);
    SetLoopStartMenuItem = AddItem(menu, "Set Loop Start", "Set the loop start point");
    SetLoopEndMenuItem = AddItem(menu, "Set Loop End", "Set the loop end point");
    AddSeparator(menu);
    SetPlaybackModeMenuItem =
        AddItem(menu, "Set Playback &Mode...", "Set wavesample playback mode");
    AddSeparator(menu);
    PreferencesMenuItem = AddItem(menu, "&Preferences...", "Change preferences");
    PreferencesMenuItem->setShortcuts(
        CommonKeys(QKeySequence::Preferences, {QKeySequence(Qt::CTRL | Qt::Key_Comma)}));
    GotoPrefMenuItem = AddItem(menu, "Goto Preferences", {});
    GotoPrefMenuItem->setVisible(false);
    connect(PreferencesMenuItem, &QAction::triggered, this, &TMainForm::PreferencesClick);
    connect(GotoPrefMenuItem, &QAction::triggered, this, &TMainForm::GotoPrefClick);
}

void TMainForm::CreateViewMenu() {
    QMenu* menu = ViewMenu = AddMenu("&View", "Zoom/scale");
    QMenu* scales = menu->addMenu("&Vertical Scale");
    VerticalScaleMenuItem = scales->menuAction();
    VerticalScaleMenuItem->setStatusTip("Set vertical scale");
    auto* group = new QActionGroup(this);
    for (int i = 0; i < ScaleCount; ++i) {
        const QString ratio = ScaleRatio(i);
        QAction* item = AddItem(scales, ratio, "Set vertical scale to " + ratio);
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, i] { SetVerticalScale(8 - i); });
        ScaleMenuItems.at(i) = item;
    }
    AddSeparator(menu);
    ZoomInMenuItem = AddItem(menu, "&Zoom In", "Zoom into selected range");
    ZoomInMenuItem->setShortcuts(
        CommonKeys(QKeySequence::ZoomIn, {QKeySequence(Qt::CTRL | Qt::Key_Plus),
                                          QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
    ZoomOutMenuItem = AddItem(menu, "Zoom &Out", "Zoom out");
    ZoomOutMenuItem->setShortcuts(
        CommonKeys(QKeySequence::ZoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus)}));
    ShowAllMenuItem = AddItem(menu, "&Show All", "Turn off zoom");
    ShowAllMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

void TMainForm::CreateHelpMenu() {
    QMenu* menu = AddMenu("&Help", "View online help");
    ContentsMenuItem = AddItem(menu, "&Contents", "Help on Tavimor");
    ContentsMenuItem->setShortcuts(
        CommonKeys(QKeySequence::HelpContents, {QKeySequence(Qt::Key_F1)}));
    HomepageMenuItem =
        AddItem(menu, "Tavimor &Homepage", "Go to the Tavimor Homepage on the internet");
    AboutMenuItem = AddItem(menu, "&About...", "Information about Tavimor");
    DebugMenuItem = AddItem(menu, "Debug to file", {});
    const QKeySequence debugKey(Qt::SHIFT | Qt::Key_F1);
    DebugMenuItem->setShortcut(debugKey);
    DebugMenuItem->setVisible(false);
    // A hidden item's own shortcut is inactive, yet its key must work.
    connect(new QShortcut(debugKey, this), &QShortcut::activated, DebugMenuItem, &QAction::trigger);
    connect(ContentsMenuItem, &QAction::triggered, this, &TMainForm::ContentsClick);
    connect(HomepageMenuItem, &QAction::triggered, this, &TMainForm::HomepageMenuItemClick);
    connect(AboutMenuItem, &QAction::triggered, this, &TMainForm::AboutMenuItemClick);
    connect(DebugMenuItem, &QAction::triggered, this, &TMainForm::DebugMenuItemClick);
}

QToolButton* TMainForm::AddSpeedButton(const QString& hint, int size) {
    auto* button = new QToolButton(TopPanel);
    button->setFixedSize(size, size);
    button->setToolTip(hint.section('|', 0, 0));
    button->setStatusTip(hint.section('|', 1));
    button->setIconSize(QSize(GlyphSize, GlyphSize));
    TopPanel->layout()->addWidget(button);
    return button;
}

void TMainForm::CreateTopPanel() {
    TopPanel = new QWidget;
    TopPanel->setFixedHeight(TopPanelHeight);
    auto* row = new QHBoxLayout(TopPanel);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(0);
    auto* scales = new QButtonGroup(this);
    for (int i = 0; i < ScaleCount; ++i) {
        const QString ratio = ScaleRatio(i);
        QToolButton* button =
            AddSpeedButton("Set Vertical Scale to " + ratio + "|", GlyphButtonSize);
        button->setText(ratio);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(ratio) + ScaleButtonMargin);
        button->setCheckable(true);
        scales->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, i] { SetVerticalScale(8 - i); });
        ScaleButtons.at(i) = button;
    }
    row->addSpacing(ButtonGap);
    const auto glyphButton = [this](const QString& hint, TGlyph glyph) {
        QToolButton* button = AddSpeedButton(hint, GlyphButtonSize);
        button->setIcon(GlyphIcon(glyph));
        return button;
    };
    SetWaveStartButton = glyphButton("Set Sample Start|", glWaveStart);
    SetWaveEndButton = glyphButton("Set Sample End|", glWaveEnd);
    SetLoopStartButton = glyphButton("Set Loop Start|", glLoopStart);
    SetLoopEndButton = glyphButton("Set Loop End|", glLoopEnd);
    row->addSpacing(ButtonGap);
    FadeInButton = glyphButton("Fade In|", glFadeIn);
    ScaleButton = glyphButton("Scale Data|", glScale);
    FadeOutButton = glyphButton("Fade Out|", glFadeOut);
    row->addSpacing(ButtonGap);
    UndoButton = glyphButton("Undo|Take back the last edit", glUndo);
    RedoButton = glyphButton("Redo|Make the edit taken back again", glRedo);
    row->addSpacing(ButtonGap);
    ZoomInButton = glyphButton("Zoom In|", glZoomIn);
    ZoomOutButton = glyphButton("Zoom Out|", glZoomOut);
    ShowAllButton = glyphButton("Show All|", glShowAll);
    row->addStretch(1);
}

void TMainForm::CreateWaveArea() {
    WaveScrollBox = new TWaveArea;
    WaveBox = WaveScrollBox->Box;
    ScrollBar = WaveScrollBox->ScrollBar;
    CreateStartLabel();

    auto* bevel = new QFrame;
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setFixedHeight(BevelHeight);
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bevel);
    layout->addWidget(TopPanel);
    layout->addWidget(WaveScrollBox, 1);
    setCentralWidget(client);
}

// The line lies over the wave box and lets the mouse through to it, so that
// a file dropped there is still taken; it takes no room of its own, so that
// the window can be narrower than the text.
void TMainForm::CreateStartLabel() {
    StartLabel =
        new QLabel(QString("File > Open Wavesample (%1) to start")
                       .arg(OpenWavesampleMenuItem->shortcut().toString(QKeySequence::NativeText)));
    StartLabel->setAlignment(Qt::AlignCenter);
    StartLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    StartLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* centre = new QVBoxLayout(WaveBox);
    centre->addWidget(StartLabel);
}

void TMainForm::CreateStatusBar() {
    StatusBar = statusBar();
    StatusBar->setFixedHeight(StatusBarHeight);
    StatusBar->setSizeGripEnabled(false);
    StatusPanels = new TStatusPanels;
    // An ordinary status-bar widget: a hint hides it, and it returns when
    // the hint is cleared.
    StatusBar->addWidget(StatusPanels, 1);
    connect(StatusPanels, &TStatusPanels::MouseDown, this, &TMainForm::StatusBarMouseDown);
    FiguresPanel = new QLabel;
    FiguresPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar->addWidget(FiguresPanel);
    // A permanent widget, so that a hint does not hide the Cancel button.
    BusyIndicator = new TBusyIndicator;
    StatusBar->addPermanentWidget(BusyIndicator);
}
