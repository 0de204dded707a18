#include "dialogs/OpenWaveForm.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

#include "dialogs/NoInstrForm.h"
#include "dialogs/RenameInstrForm.h"
#include "dialogs/SampleFigures.h"
#include "eps/Eps.h"
#include "eps/ReplyText.h"
#include "transfer/WaveFile.h"

namespace {

constexpr int ListWidth = 145;
constexpr int ListHeight = 113;
// Wide enough for a row with its name and figures.
constexpr int WaveSampleListWidth = 300;
// How long the rows' figures wait while another request is under way.
constexpr int TalkingRetryDelay = 50;
const QString NewRow = "<new>";
// In place of the figures that could not be read.
const QString UnreadRow = "not read";

std::optional<int> SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return list->row(selected.front());
}

QString Caption(TOpenWaveMode mode) {
    switch (mode) {
    case owUpload:
        return "Upload to Wavesample";
    case owDownload:
        return "Download Wavesample";
    case owOpen:
        break;
    }
    return "Open Wavesample";
}

QListWidget* MakeList() {
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFixedSize(ListWidth, ListHeight);
    return list;
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

QString FiguresText(const TWaveSampleInfo& info) {
    QStringList parts;
    if (!info.Name.empty()) {
        parts << QString::fromLatin1(info.Name);
    }
    if (info.CopyOf != 0) {
        parts << QString("copy of %1").arg(info.CopyOf);
    } else {
        parts << SampleCountText(info.Samples)
              << QString("%1 Hz").arg(PeriodToRate(static_cast<std::uint32_t>(info.PeriodWord)));
    }
    return parts.join(", ");
}

} // namespace

TOpenWaveForm::TOpenWaveForm(TEps& eps, TRenameInstrForm& renameForm, TNoInstrForm& noInstrForm,
                             QWidget* parent)
    : TModalForm(parent), Eps(eps), RenameForm(renameForm), NoInstrForm(noInstrForm) {
    setWindowTitle("Open wavesample");
    InstrumentListBox = MakeList();
    WaveSampleListBox = MakeList();
    WaveSampleListBox->setFixedWidth(WaveSampleListWidth);
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
    connect(WaveSampleListBox, &QListWidget::itemSelectionChanged, this,
            &TOpenWaveForm::WaveSampleSelected);
    WaveSampleInfoLabel = new QLabel;
    for (QListWidget* list : {InstrumentListBox, WaveSampleListBox}) {
        connect(list, &QListWidget::itemDoubleClicked, this, &TOpenWaveForm::OkButtonClick);
    }
    UnreadBox = new QMessageBox(QMessageBox::Warning, "Instruments Not Read", QString(),
                                QMessageBox::Retry | QMessageBox::Cancel, this);
    CreateMenus();
    LayOutControls();
    FormCreate();
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
    form->setSizeConstraint(QLayout::SetFixedSize);
}

// Rows to show until the first Refresh replaces them.
void TOpenWaveForm::FormCreate() {
    for (int i = 1; i <= InstrumentCount; ++i) {
        InstrumentListBox->addItem(QString("Instrument %1").arg(i));
    }
    for (int j = 1; j <= InstrumentSlots; ++j) {
        WaveSampleListBox->addItem(QString("WaveSample %1").arg(j));
    }
}

TModalResult TOpenWaveForm::Execute(TOpenWaveMode mode, const QString& caption) {
    OpenMode = mode;
    setWindowTitle(caption.isEmpty() ? Caption(mode) : caption);
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
        if (!present && OpenMode != owUpload) {
            continue;
        }
        if (i == Eps.Instrument) {
            current = InstrumentListBox->count();
        }
        const QString name = present ? QString::fromLatin1(Eps.InstrumentName[i]) : NewRow;
        InstrumentListBox->addItem(QString("(%1) ").arg(i + 1) + name);
        InstrumentMap.push_back(i);
    }
    if (InstrumentListBox->count() > 0) {
        InstrumentListBox->setCurrentRow(current);
    }
}

void TOpenWaveForm::FillWaveSampleList() {
    const QSignalBlocker quiet(WaveSampleListBox);
    WaveSampleListBox->clear();
    WaveSampleMap.clear();
    const std::optional<int> instrument = SelectedInstrument();
    if (instrument) {
        const int inst = *instrument;
        if (OpenMode == owUpload && HasFreeSlot(inst)) {
            WaveSampleListBox->addItem(NewRow);
            WaveSampleMap.push_back(Eps.FirstFreeWaveSample[inst]);
        }
        int current = 0;
        for (int j = 0; j < InstrumentSlots; ++j) {
            if (!Eps.WaveSampleUsed[inst][j]) {
                continue;
            }
            if (inst == Eps.Instrument && j + 1 == Eps.WaveSample) {
                current = WaveSampleListBox->count();
            }
            WaveSampleListBox->addItem(WaveSampleRow(inst, j));
            WaveSampleMap.push_back(j);
        }
        if (WaveSampleListBox->count() > 0) {
            WaveSampleListBox->setCurrentRow(OpenMode == owUpload ? 0 : current);
        }
    }
    WaveSampleSelected();
    InfoTimer.start(0);
}

QString TOpenWaveForm::WaveSampleRow(int instrument, int index) const {
    if (!Eps.WaveSampleUsed[instrument][index]) {
        return NewRow;
    }
    QString row = QString("WaveSample %1").arg(index + 1);
    const auto known = Infos.find({instrument, index + 1});
    if (known != Infos.end()) {
        row += " \u2014 " + (known->second ? FiguresText(*known->second) : UnreadRow);
    }
    return row;
}

void TOpenWaveForm::UpdateWaveSampleRows() {
    const std::optional<int> instrument = SelectedInstrument();
    if (!instrument) {
        return;
    }
    for (std::size_t row = 0; row < WaveSampleMap.size(); ++row) {
        WaveSampleListBox->item(static_cast<int>(row))
            ->setText(WaveSampleRow(*instrument, WaveSampleMap[row]));
    }
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
    const std::optional<int> row = SelectedRow(WaveSampleListBox);
    if (!instrument || !row) {
        return std::nullopt;
    }
    return TChoice{*instrument, WaveSampleMap[*row] + 1};
}

// An instrument without wavesamples offers nothing to open, so OK waits for
// a wavesample row.
void TOpenWaveForm::UpdateOkButton() {
    OkButton->setEnabled(Choice().has_value());
}

void TOpenWaveForm::WaveSampleSelected() {
    UpdateOkButton();
    ShowWaveSampleInfo();
}

// So that the user sees what is there before choosing it, and what an
// upload would replace.
void TOpenWaveForm::ShowWaveSampleInfo() {
    const std::optional<TChoice> choice = Choice();
    QString text;
    if (choice && Eps.WaveSampleUsed[choice->Instrument][choice->WaveSample - 1]) {
        if (const auto info = WaveSampleInfo(choice->Instrument, choice->WaveSample)) {
            text = QString("%1 samples at %2 Hz")
                       .arg(info->Samples)
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
