#include "dialogs/OpenWaveForm.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

#include "app/SettingsKey.h"
#include "dialogs/NoInstrForm.h"
#include "dialogs/RenameInstrForm.h"
#include "dialogs/SampleFigures.h"
#include "eps/Eps.h"
#include "eps/ReplyText.h"
#include "transfer/WaveFile.h"

namespace {

// Until the user sizes the browser: room for the figures of a few rows.
constexpr int DefaultWidth = 720;
constexpr int DefaultHeight = 340;
// The wavesample list takes this share of the width the instrument list
// leaves.
constexpr int WaveSampleListStretch = 2;
// The most of the screen the browser takes before the user sizes it.
constexpr double ScreenShare = 0.9;
const QString SizeSection = "Browser";
const QString WidthValue = "Width";
const QString HeightValue = "Height";
// How long the rows' figures wait while another request is under way.
constexpr int TalkingRetryDelay = 50;
const QString NewRow = "<new>";

std::optional<int> SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return list->row(selected.front());
}

const QTreeWidgetItem* SelectedRow(const TWaveSampleList* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

QString Caption(TOpenWaveMode mode) {
    switch (mode) {
    case owUpload:
        return "Upload to Wavesample";
    case owDownload:
        return "Download Wavesample";
    case owRestore:
        return "Restore Instrument";
    case owOpen:
        break;
    }
    return "Open Wavesample";
}

QString WaveSampleCountText(int count) {
    return QString(count == 1 ? "%1 wavesample" : "%1 wavesamples").arg(count);
}

// The count of requests under way, for the span of one.
class TTalk {
public:
    explicit TTalk(int& talking) : Talking(talking) { ++Talking; }
    ~TTalk() { --Talking; }
    TTalk(const TTalk&) = delete;
    TTalk& operator=(const TTalk&) = delete;

private:
    int& Talking;
};

} // namespace

TOpenWaveForm::TOpenWaveForm(TEps& eps, TRenameInstrForm& renameForm, TNoInstrForm& noInstrForm,
                             QWidget* parent)
    : TModalForm(parent), Eps(eps), RenameForm(renameForm), NoInstrForm(noInstrForm) {
    setWindowTitle("Open wavesample");
    InstrumentListBox = new QListWidget;
    InstrumentListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    WaveSampleListBox = new TWaveSampleList;
    // A click on a header sorts the rows: the row to index map follows.
    connect(WaveSampleListBox->model(), &QAbstractItemModel::layoutChanged, this,
            [this] { WaveSampleMap = WaveSampleListBox->Indexes(); });
    InfoTimer.setSingleShot(true);
    connect(&InfoTimer, &QTimer::timeout, this, &TOpenWaveForm::ReadNextRowInfo);
    InstrumentLabel = new QLabel("&Instrument");
    InstrumentLabel->setBuddy(InstrumentListBox);
    WavesampleLabel = new QLabel("&Wavesample");
    WavesampleLabel->setBuddy(WaveSampleListBox);
    OkButton = new QPushButton("OK");
    OkButton->setDefault(true);
    CancelButton = MakeResultButton("Cancel", mrCancel);
    connect(OkButton, &QPushButton::clicked, this, &TOpenWaveForm::OkButtonClick);
    connect(InstrumentListBox, &QListWidget::itemSelectionChanged, this,
            &TOpenWaveForm::FillWaveSampleList);
    connect(WaveSampleListBox, &QTreeWidget::itemSelectionChanged, this,
            &TOpenWaveForm::WaveSampleSelected);
    WaveSampleInfoLabel = new QLabel;
    connect(InstrumentListBox, &QListWidget::itemDoubleClicked, this,
            &TOpenWaveForm::OkButtonClick);
    connect(WaveSampleListBox, &QTreeWidget::itemDoubleClicked, this,
            &TOpenWaveForm::OkButtonClick);
    UnreadBox = new QMessageBox(QMessageBox::Warning, "Instruments Not Read", QString(),
                                QMessageBox::Retry | QMessageBox::Cancel, this);
    CreateMenus();
    LayOutControls();
    FormCreate();
    RestoreSize();
}

void TOpenWaveForm::CreateMenus() {
    RenameMenuItem = new QAction("Rename", this);
    connect(RenameMenuItem, &QAction::triggered, this, &TOpenWaveForm::RenameMenuItemClick);
    RefreshMenuItem = new QAction("Refresh", this);
    RefreshMenuItem->setShortcut(Qt::Key_F5);
    connect(RefreshMenuItem, &QAction::triggered, this, &TOpenWaveForm::Refresh);
    InstrumentPopupMenu = new QMenu(this);
    InstrumentPopupMenu->addAction(RenameMenuItem);
    InstrumentPopupMenu->setDefaultAction(RenameMenuItem);
    InstrumentPopupMenu->addSeparator();
    InstrumentPopupMenu->addAction(RefreshMenuItem);
    connect(InstrumentPopupMenu, &QMenu::aboutToShow, this,
            &TOpenWaveForm::InstrumentPopupMenuPopup);
    InstrumentListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(InstrumentListBox, &QWidget::customContextMenuRequested, this,
            &TOpenWaveForm::ShowInstrumentPopup);

    // The window's own menu; its shortcut makes F5 work anywhere in the
    // browser.
    Refresh1 = new QAction("Refresh", this);
    Refresh1->setShortcut(Qt::Key_F5);
    connect(Refresh1, &QAction::triggered, this, &TOpenWaveForm::Refresh);
    addAction(Refresh1);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TOpenWaveForm::LayOutControls() {
    auto* form = new QGridLayout(this);
    form->addWidget(InstrumentLabel, 0, 0);
    form->addWidget(WavesampleLabel, 0, 1);
    form->addWidget(InstrumentListBox, 1, 0);
    form->addWidget(WaveSampleListBox, 1, 1);
    form->addWidget(WaveSampleInfoLabel, 2, 0, 1, 2);
    form->addLayout(MakeButtonColumn({OkButton, CancelButton}), 1, 2);
    form->setRowStretch(1, 1);
}

// A size kept from a larger or less scaled screen would put the buttons out
// of reach: the browser stays within the screen, its frame beside it.
void TOpenWaveForm::RestoreSize() {
    TSettingsKey key;
    QSize kept(key.ReadInteger(SizeSection, WidthValue, DefaultWidth),
               key.ReadInteger(SizeSection, HeightValue, DefaultHeight));
    if (const QScreen* display = screen()) {
        kept = kept.boundedTo(display->availableSize() * ScreenShare);
    }
    resize(kept);
}

void TOpenWaveForm::done(int result) {
    TSettingsKey key;
    key.WriteInteger(SizeSection, WidthValue, width());
    key.WriteInteger(SizeSection, HeightValue, height());
    TModalForm::done(result);
}

// Rows to show until the first Refresh replaces them.
void TOpenWaveForm::FormCreate() {
    for (int i = 1; i <= InstrumentCount; ++i) {
        InstrumentListBox->addItem(QString("Instrument %1").arg(i));
    }
    for (int j = 1; j <= InstrumentSlots; ++j) {
        WaveSampleListBox->AddRow(j - 1, false);
    }
}

TModalResult TOpenWaveForm::Execute(TOpenWaveMode mode, const QString& caption) {
    OpenMode = mode;
    setWindowTitle(caption.isEmpty() ? Caption(mode) : caption);
    // A restore replaces a whole instrument: there is no wavesample to pick.
    WavesampleLabel->setVisible(mode != owRestore);
    WaveSampleListBox->setVisible(mode != owRestore);
    WaveSampleInfoLabel->setVisible(mode != owRestore);
    Refresh();
    if (InstrumentListBox->count() == 0) {
        return mrCancel;
    }
    OkButton->setFocus();
    const TModalResult result = ShowModal();
    if (result != mrOk) {
        return result;
    }
    // OkButtonClick closes with OK only once a choice is made.
    const std::optional<TChoice> choice = Choice();
    if (!choice) {
        return mrCancel;
    }
    Eps.Instrument = choice->Instrument;
    Eps.WaveSample = choice->WaveSample;
    return result;
}

void TOpenWaveForm::Refresh() {
    for (;;) {
        if (!ReadDirectory()) {
            InstrumentListBox->clear();
            WaveSampleListBox->clear();
            reject();
            return;
        }
        FillInstrumentList();
        FillWaveSampleList();
        if (InstrumentListBox->count() > 0) {
            return;
        }
        if (NoInstrForm.Execute() != mrOk) {
            reject();
            return;
        }
    }
}

// A slot the scan could not read must not be offered as free: an upload
// there would overwrite a loaded instrument.
bool TOpenWaveForm::ReadDirectory() {
    const TTalk talk(Talking);
    Infos.clear();
    FiguresUnread = false;
    while (!Eps.ReadConfiguration()) {
        QString reason =
            QString::fromStdString(UnreadInstrumentText(Eps.UnreadInstrument, Eps.UnreadReply));
        reason[0] = reason[0].toUpper();
        UnreadBox->setText(reason + ".\n\nCheck the MIDI connection and the sampler's "
                                    "channel, then read the instruments again.");
        if (UnreadBox->exec() != QMessageBox::Retry) {
            return false;
        }
    }
    return true;
}

void TOpenWaveForm::FillInstrumentList() {
    const QSignalBlocker quiet(InstrumentListBox);
    InstrumentListBox->clear();
    InstrumentMap.clear();
    int current = 0;
    for (int i = 0; i < InstrumentCount; ++i) {
        const bool present = Eps.InstrumentPresent[i];
        if (!present && !OffersNew()) {
            continue;
        }
        if (i == Eps.Instrument) {
            current = InstrumentListBox->count();
        }
        InstrumentListBox->addItem(InstrumentRow(i));
        InstrumentMap.push_back(i);
    }
    if (InstrumentListBox->count() > 0) {
        InstrumentListBox->setCurrentRow(current);
    }
    FitInstrumentList();
}

// Beside the wavesamples the instruments take no more room than their rows
// need; alone, in a restore, they take it all.
void TOpenWaveForm::FitInstrumentList() {
    const int needed = InstrumentListBox->sizeHintForColumn(0) +
                       2 * InstrumentListBox->frameWidth() +
                       InstrumentListBox->verticalScrollBar()->sizeHint().width();
    InstrumentListBox->setMinimumWidth(needed);
    const bool alone = OpenMode == owRestore;
    InstrumentListBox->setMaximumWidth(alone ? QWIDGETSIZE_MAX : needed);
    auto* form = static_cast<QGridLayout*>(layout());
    form->setColumnStretch(0, alone ? 1 : 0);
    form->setColumnStretch(1, alone ? 0 : WaveSampleListStretch);
}

bool TOpenWaveForm::OffersNew() const {
    return OpenMode == owUpload || OpenMode == owRestore;
}

// A restore replaces what the instrument holds, so its row says how much.
QString TOpenWaveForm::InstrumentRow(int instrument) const {
    const QString number = QString("(%1) ").arg(instrument + 1);
    if (!Eps.InstrumentPresent[instrument]) {
        return number + NewRow;
    }
    QString row = number + QString::fromLatin1(Eps.InstrumentName[instrument]);
    if (OpenMode == owRestore) {
        const auto& used = Eps.WaveSampleUsed[instrument];
        row += " \u2014 " +
               WaveSampleCountText(static_cast<int>(std::count(used.begin(), used.end(), true)));
    }
    return row;
}

void TOpenWaveForm::FillWaveSampleList() {
    const QSignalBlocker quiet(WaveSampleListBox);
    WaveSampleListBox->clear();
    WaveSampleMap.clear();
    const std::optional<int> instrument = SelectedInstrument();
    if (instrument && OpenMode != owRestore) {
        const int inst = *instrument;
        // The index to select: the "<new>" row in upload mode, else the
        // engine's wavesample; wherever the sorted list puts it.
        std::optional<int> current;
        if (OpenMode == owUpload && HasFreeSlot(inst)) {
            current = Eps.FirstFreeWaveSample[inst];
            WaveSampleListBox->AddRow(*current, true);
        }
        for (int j = 0; j < InstrumentSlots; ++j) {
            if (!Eps.WaveSampleUsed[inst][j]) {
                continue;
            }
            if (OpenMode != owUpload && inst == Eps.Instrument && j + 1 == Eps.WaveSample) {
                current = j;
            }
            WaveSampleListBox->AddRow(j, false);
        }
        WaveSampleMap = WaveSampleListBox->Indexes();
        UpdateWaveSampleRows();
        if (!WaveSampleMap.empty()) {
            const auto row = std::ranges::find(WaveSampleMap, current.value_or(-1));
            WaveSampleListBox->setCurrentRow(
                row == WaveSampleMap.end() ? 0 : static_cast<int>(row - WaveSampleMap.begin()));
        }
    }
    WaveSampleSelected();
    InfoTimer.start(0);
}

void TOpenWaveForm::UpdateWaveSampleRows() {
    const std::optional<int> instrument = SelectedInstrument();
    if (!instrument) {
        return;
    }
    // Rows move as their figures come while the list is sorted by a figure.
    std::vector<QTreeWidgetItem*> rows;
    for (int row = 0; row < WaveSampleListBox->count(); ++row) {
        rows.push_back(WaveSampleListBox->item(row));
    }
    for (QTreeWidgetItem* row : rows) {
        const int index = TWaveSampleList::Index(row);
        const auto known = Infos.find({*instrument, index + 1});
        if (Eps.WaveSampleUsed[*instrument][index] && known != Infos.end()) {
            TWaveSampleList::ShowFigures(row, known->second);
        }
    }
    WaveSampleListBox->FitColumns();
}

void TOpenWaveForm::ReadNextRowInfo() {
    const std::optional<int> instrument = SelectedInstrument();
    if (!isVisible() || !instrument || FiguresUnread) {
        return;
    }
    if (Talking > 0) {
        InfoTimer.start(TalkingRetryDelay);
        return;
    }
    for (const int index : WaveSampleMap) {
        if (Eps.WaveSampleUsed[*instrument][index] && !Infos.contains({*instrument, index + 1})) {
            WaveSampleInfo(*instrument, index + 1);
            UpdateWaveSampleRows();
            InfoTimer.start(0);
            return;
        }
    }
}

std::optional<TWaveSampleInfo> TOpenWaveForm::WaveSampleInfo(int instrument, int waveSample) {
    const std::pair key{instrument, waveSample};
    if (const auto known = Infos.find(key); known != Infos.end()) {
        return known->second;
    }
    if (Talking > 0 || FiguresUnread) {
        return std::nullopt;
    }
    const TTalk talk(Talking);
    emit FiguresReadStarts();
    const std::optional<TWaveSampleInfo> info = ReadWaveSampleInfo(Eps, instrument, waveSample);
    Infos[key] = info;
    FiguresUnread = !info;
    return info;
}

bool TOpenWaveForm::HasFreeSlot(int instrument) const {
    return !Eps.WaveSampleUsed[instrument][Eps.FirstFreeWaveSample[instrument]];
}

std::optional<int> TOpenWaveForm::SelectedInstrument() const {
    const std::optional<int> row = SelectedRow(InstrumentListBox);
    if (!row) {
        return std::nullopt;
    }
    return InstrumentMap[*row];
}

std::optional<int> TOpenWaveForm::RenamableInstrument() const {
    const std::optional<int> instrument = SelectedInstrument();
    if (!instrument || !Eps.InstrumentPresent[*instrument]) {
        return std::nullopt;
    }
    return instrument;
}

std::optional<TOpenWaveForm::TChoice> TOpenWaveForm::Choice() const {
    const std::optional<int> instrument = SelectedInstrument();
    if (instrument && OpenMode == owRestore) {
        return TChoice{*instrument, Eps.WaveSample};
    }
    const QTreeWidgetItem* row = SelectedRow(WaveSampleListBox);
    if (!instrument || row == nullptr) {
        return std::nullopt;
    }
    return TChoice{*instrument, TWaveSampleList::Index(row) + 1};
}

// An instrument without wavesamples offers nothing to open, so OK waits for
// a wavesample row.
void TOpenWaveForm::UpdateOkButton() {
    OkButton->setEnabled(Choice().has_value());
}

void TOpenWaveForm::WaveSampleSelected() {
    UpdateOkButton();
    if (OpenMode != owRestore) {
        ShowWaveSampleInfo();
    }
}

// So that the user sees what is there before choosing it, and what an
// upload would replace.
void TOpenWaveForm::ShowWaveSampleInfo() {
    const std::optional<TChoice> choice = Choice();
    QString text;
    if (choice && Eps.WaveSampleUsed[choice->Instrument][choice->WaveSample - 1]) {
        if (const auto info = WaveSampleInfo(choice->Instrument, choice->WaveSample)) {
            text = QString("%1 at %2 Hz")
                       .arg(SampleCountText(info->Samples))
                       .arg(PeriodToRate(static_cast<std::uint32_t>(info->PeriodWord)));
            UpdateWaveSampleRows();
        }
    } else if (choice) {
        text = "A new wavesample";
    }
    WaveSampleInfoLabel->setText(text);
}

void TOpenWaveForm::OkButtonClick() {
    if (Choice()) {
        CloseWith(mrOk);
    }
}

void TOpenWaveForm::InstrumentPopupMenuPopup() {
    RenameMenuItem->setEnabled(RenamableInstrument().has_value());
}

void TOpenWaveForm::ShowInstrumentPopup(const QPoint& position) {
    InstrumentPopupMenu->exec(InstrumentListBox->viewport()->mapToGlobal(position));
}

void TOpenWaveForm::RenameMenuItemClick() {
    const std::optional<int> instrument = RenamableInstrument();
    if (!instrument) {
        return;
    }
    const QString name = QString::fromLatin1(Eps.InstrumentName[*instrument]);
    if (RenameForm.Execute(name) != mrOk) {
        return;
    }
    // A failed rename shows itself: the list shows what the sampler holds.
    {
        const TTalk talk(Talking);
        Eps.RenameInstrument(*instrument, RenameForm.NewName.toLatin1().toStdString());
    }
    Refresh();
    // The renamed instrument stays the selected one.
    for (std::size_t row = 0; row < InstrumentMap.size(); ++row) {
        if (InstrumentMap[row] == *instrument) {
            InstrumentListBox->setCurrentRow(static_cast<int>(row));
        }
    }
}
