// The wavesample browser on the real engine and the built-in virtual
// sampler: what it lists in each mode, what it maps each row to, what it
// hands the engine, renaming and re-reading while it is open.
#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "SamplerConnection.h"
#include "dialogs/NoInstrForm.h"
#include "dialogs/OpenWaveForm.h"
#include "dialogs/RenameInstrForm.h"
#include "emulator/DemoBank.h"
#include "emulator/SamplerName.h"

namespace {

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text();
    }
    return rows;
}

// The number column, without the figures that fill in while the browser
// waits.
QStringList Rows(const TWaveSampleList* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text(TWaveSampleList::NumberColumn);
    }
    return rows;
}

// Every column of every row, as "1|Piano C4|43,750|29761 Hz|".
QStringList FullRows(const TWaveSampleList* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        QStringList columns;
        for (int column = 0; column < list->columnCount(); ++column) {
            columns << list->item(i)->text(column);
        }
        rows << columns.join('|');
    }
    return rows;
}

// Rows whose figures have come, read or not.
qsizetype RowsWithFigures(const TWaveSampleList* list) {
    qsizetype rows = 0;
    for (int i = 0; i < list->count(); ++i) {
        rows += list->item(i)->text(TWaveSampleList::NameColumn).isEmpty() ? 0 : 1;
    }
    return rows;
}

// The texts, headers among them, that their columns are too narrow for.
QStringList CutTexts(const TWaveSampleList* list) {
    QStringList cut;
    const QHeaderView* header = list->header();
    for (int column = 0; column < list->columnCount(); ++column) {
        if (header->sectionSize(column) < header->sectionSizeHint(column)) {
            cut << list->headerItem()->text(column);
        }
        for (int row = 0; row < list->count(); ++row) {
            const QString text = list->item(row)->text(column);
            const QRect cell = list->visualRect(list->model()->index(row, column));
            if (cell.width() <= list->fontMetrics().horizontalAdvance(text)) {
                cut << text;
            }
        }
    }
    return cut;
}

int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

int SelectedRow(const TWaveSampleList* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
}

QPoint RowCentre(const QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

// On the number, which is in sight however wide the other columns are.
QPoint RowCentre(const TWaveSampleList* list, int row) {
    return list->visualRect(list->model()->index(row, TWaveSampleList::NumberColumn)).center();
}

template <class TList> void Click(TList* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(list->viewport(), button, {}, RowCentre(list, row));
}

void ClickHeader(TWaveSampleList* list, int column) {
    QHeaderView* header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

// The item view takes a double-click only on the row the button went down
// on, so the press comes first, as from a real mouse.
template <class TList> void DoubleClick(TList* list, int row) {
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, RowCentre(list, row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, row));
}

std::vector<int> Numbers(std::initializer_list<int> numbers) {
    return numbers;
}

// An instrument with the given wavesample numbers.
void PlaceInstrument(TSamplerModel& model, int slot, const std::string& name,
                     std::initializer_list<int> waveSamples) {
    TInstrument& instrument = model.CreateInstrument(slot);
    instrument.SetName(name);
    instrument.CreateLayer();
    for (int n : waveSamples) {
        instrument.Place(n, TWaveSample());
    }
}

} // namespace

class TOpenWaveFormTest : public QObject {
    Q_OBJECT

    // The settings of these runs, apart from the user's.
    QTemporaryDir SettingsFolder;
    TSamplerConnection Sampler;
    TRenameInstrForm RenameForm;
    TNoInstrForm NoInstrForm;
    TOpenWaveForm Browser{Sampler.Eps, RenameForm, NoInstrForm};

    struct TSeen {
        QString Caption;
        QStringList Instruments;
        std::vector<int> InstrumentMap;
        int InstrumentRow = -1;
        QStringList WaveSamples;
        std::vector<int> WaveSampleMap;
        int WaveSampleRow = -1;
    };

    TSeen Look() const {
        return {Browser.windowTitle(),
                Rows(Browser.InstrumentListBox),
                Browser.InstrumentMap,
                SelectedRow(Browser.InstrumentListBox),
                Rows(Browser.WaveSampleListBox),
                Browser.WaveSampleMap,
                SelectedRow(Browser.WaveSampleListBox)};
    }

    // Shows the browser in the mode and lets the action act on it; the action
    // must close it.
    TModalResult Browse(TOpenWaveMode mode, std::function<void()> action) {
        WhenModal(&Browser, std::move(action));
        return Browser.Execute(mode);
    }

    void Choose(int instrumentRow, int waveSampleRow) {
        Click(Browser.InstrumentListBox, instrumentRow);
        Click(Browser.WaveSampleListBox, waveSampleRow);
        QTest::mouseClick(Browser.OkButton, Qt::LeftButton);
    }

    // Right-clicks the instrument row and, in the popup menu that comes up,
    // chooses the item if it is enabled. Returns whether it was.
    bool UseInstrumentPopup(int row, QAction* item) {
        QListWidget* list = Browser.InstrumentListBox;
        Click(list, row, Qt::RightButton);
        QMenu* menu = Browser.InstrumentPopupMenu;
        bool enabled = false;
        WhenModal(menu, [&] {
            enabled = item->isEnabled();
            if (enabled) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
            } else {
                menu->close();
            }
        });
        const QPoint position = RowCentre(list, row);
        QContextMenuEvent event(QContextMenuEvent::Mouse, position,
                                list->viewport()->mapToGlobal(position));
        QApplication::sendEvent(list->viewport(), &event);
        return enabled;
    }

    // Window shortcuts work in the active window only, and the offscreen
    // platform does not always make a new modal window active by itself.
    void PressF5(QWidget* focus) {
        Browser.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Browser));
        QTest::keyClick(focus, Qt::Key_F5);
    }

    void Reload(const std::function<void(TSamplerModel&)>& memory) {
        Sampler.Change([&](TSamplerModel& model) {
            model.Clear();
            memory(model);
        });
    }

    // Only the instruments displayed as 1 and 3.
    void LoadFirstAndThird() {
        Reload([](TSamplerModel& model) {
            PlaceInstrument(model, 0, "ALPHA", {1});
            PlaceInstrument(model, 2, "GAMMA", {1, 2});
        });
    }

private slots:
    void initTestCase() {
        // The programs' configuration folder on either system.
        qputenv("XDG_CONFIG_HOME", SettingsFolder.path().toUtf8());
        qputenv("APPDATA", SettingsFolder.path().toUtf8());
        QVERIFY(Sampler.Connect());
    }

    void init() {
        Sampler.Change(TDemoBank::Load);
        Sampler.Eps.Instrument = 0;
        Sampler.Eps.WaveSample = 1;
    }

    void cleanup() { QVERIFY(AllModalWindowsCame()); }

    void OpenModeListsTheLoadedInstrumentsAndTheirWavesamples() {
        TSeen first;
        TSeen pad;
        const TModalResult result = Browse(owOpen, [&] {
            first = Look();
            Click(Browser.InstrumentListBox, 2);
            pad = Look();
            Choose(2, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(first.Caption, QString("Open Wavesample"));
        QCOMPARE(first.Instruments,
                 QStringList({"(1) Grand Piano", "(2) Drum Kit", "(4) Warm Pad"}));
        QCOMPARE(first.InstrumentMap, Numbers({0, 1, 3}));
        QCOMPARE(first.InstrumentRow, 0);
        QCOMPARE(first.WaveSamples, QStringList({"1", "2"}));
        QCOMPARE(first.WaveSampleMap, Numbers({0, 1}));
        QCOMPARE(first.WaveSampleRow, 0);
        QCOMPARE(pad.WaveSamples, QStringList({"1"}));
        QCOMPARE(Sampler.Eps.Instrument, 3);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void DownloadModeListsLikeOpenModeAndCancelChangesNothing() {
        TSeen seen;
        const TModalResult result = Browse(owDownload, [&] {
            seen = Look();
            Click(Browser.InstrumentListBox, 1);
            Click(Browser.WaveSampleListBox, 1);
            QTest::mouseClick(Browser.CancelButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrCancel);
        QCOMPARE(seen.Caption, QString("Download Wavesample"));
        QCOMPARE(seen.InstrumentMap, Numbers({0, 1, 3}));
        QCOMPARE(Sampler.Eps.Instrument, 0);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void UploadModeOffersNewTargets() {
        TSeen first;
        TSeen empty;
        const TModalResult result = Browse(owUpload, [&] {
            first = Look();
            Click(Browser.InstrumentListBox, 2);
            empty = Look();
            Choose(2, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(first.Caption, QString("Upload to Wavesample"));
        QCOMPARE(first.Instruments,
                 QStringList({"(1) Grand Piano", "(2) Drum Kit", "(3) <new>", "(4) Warm Pad",
                              "(5) <new>", "(6) <new>", "(7) <new>", "(8) <new>"}));
        QCOMPARE(first.InstrumentMap, Numbers({0, 1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(first.WaveSamples, QStringList({"<new>", "1", "2"}));
        QCOMPARE(first.WaveSampleMap, Numbers({2, 0, 1}));
        QCOMPARE(first.WaveSampleRow, 0);
        QCOMPARE(empty.WaveSamples, QStringList({"<new>"}));
        QCOMPARE(empty.WaveSampleMap, Numbers({0}));
        QCOMPARE(Sampler.Eps.Instrument, 2);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void TwoInstrumentsMapToTheirNumbersAndUploadCanCreateTheOthers() {
        LoadFirstAndThird();
        TSeen open;
        Browse(owOpen, [&] {
            open = Look();
            Choose(1, 1);
        });
        QCOMPARE(open.Instruments, QStringList({"(1) Alpha", "(3) Gamma"}));
        QCOMPARE(open.InstrumentMap, Numbers({0, 2}));
        QCOMPARE(Sampler.Eps.Instrument, 2);
        QCOMPARE(Sampler.Eps.WaveSample, 2);

        TSeen upload;
        const TModalResult result = Browse(owUpload, [&] {
            upload = Look();
            Choose(1, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(upload.Instruments.size(), 8);
        QCOMPARE(upload.Instruments[0], QString("(1) Alpha"));
        QCOMPARE(upload.Instruments[2], QString("(3) Gamma"));
        for (int row : {1, 3, 4, 5, 6, 7}) {
            QVERIFY(upload.Instruments[row].endsWith(") <new>"));
        }
        QCOMPARE(Sampler.Eps.Instrument, 1);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void NewRowTakesTheFirstFreeSlot() {
        Reload([](TSamplerModel& model) { PlaceInstrument(model, 0, "GAPS", {1, 2, 5}); });
        TSeen seen;
        const TModalResult result = Browse(owUpload, [&] {
            seen = Look();
            Choose(0, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(seen.WaveSamples, QStringList({"<new>", "1", "2", "5"}));
        QCOMPARE(seen.WaveSampleMap, Numbers({2, 0, 1, 4}));
        QCOMPARE(Sampler.Eps.WaveSample, 3);
    }

    // With every slot taken there is no new wavesample to make; offering one
    // would overwrite wavesample 1.
    void FullInstrumentOffersNoNewRow() {
        Reload([](TSamplerModel& model) {
            PlaceInstrument(model, 0, "FULL", {});
            for (int n = 1; n <= TInstrument::SlotCount; ++n) {
                model.Instrument(0)->Place(n, TWaveSample());
            }
        });
        TSeen seen;
        const TModalResult result = Browse(owUpload, [&] {
            seen = Look();
            QTest::mouseClick(Browser.OkButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(seen.WaveSamples.size(), TInstrument::SlotCount);
        QCOMPARE(seen.WaveSamples.front(), QString("1"));
        QCOMPARE(seen.WaveSamples.back(), QString("127"));
        QCOMPARE(seen.WaveSampleRow, 0);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void ReopeningPreselectsTheEnginesWavesample() {
        Sampler.Eps.Instrument = 1;
        Sampler.Eps.WaveSample = 2;
        TSeen open;
        TSeen upload;
        Browse(owOpen, [&] {
            open = Look();
            Browser.reject();
        });
        Browse(owUpload, [&] {
            upload = Look();
            Browser.reject();
        });
        QCOMPARE(open.InstrumentRow, 1);
        QCOMPARE(open.WaveSampleRow, 1);
        QCOMPARE(upload.InstrumentRow, 1);
        QCOMPARE(upload.WaveSampleRow, 0);
        QCOMPARE(upload.WaveSamples.front(), QString("<new>"));
    }

    void DoubleClickActsAsOk() {
        const TModalResult result = Browse(owOpen, [&] {
            Click(Browser.InstrumentListBox, 1);
            DoubleClick(Browser.WaveSampleListBox, 1);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(Sampler.Eps.Instrument, 1);
        QCOMPARE(Sampler.Eps.WaveSample, 2);
    }

    // An instrument without wavesamples has nothing to open: OK waits.
    void OkWaitsForAWavesampleRow() {
        Sampler.Change([](TSamplerModel& model) { PlaceInstrument(model, 2, "BARE", {}); });
        bool okEnabled = true;
        bool stayed = false;
        const TModalResult result = Browse(owOpen, [&] {
            Click(Browser.InstrumentListBox, 2);
            okEnabled = Browser.OkButton->isEnabled();
            Browser.OkButtonClick();
            DoubleClick(Browser.InstrumentListBox, 2);
            stayed = Browser.isVisible();
            Choose(0, 1);
        });
        QCOMPARE(result, mrOk);
        QVERIFY(!okEnabled);
        QVERIFY(stayed);
        QCOMPARE(Sampler.Eps.Instrument, 0);
        QCOMPARE(Sampler.Eps.WaveSample, 2);
    }

    void RightClickSelectsTheRowAndRenameNeedsAnInstrument() {
        bool renameNew = true;
        bool renameNoRow = true;
        int selected = -1;
        QStringList waveSamples;
        Browse(owUpload, [&] {
            renameNew = UseInstrumentPopup(2, Browser.RenameMenuItem);
            selected = SelectedRow(Browser.InstrumentListBox);
            waveSamples = Rows(Browser.WaveSampleListBox);
            Browser.InstrumentListBox->clearSelection();
            Browser.InstrumentPopupMenuPopup();
            renameNoRow = Browser.RenameMenuItem->isEnabled();
            Browser.reject();
        });
        QCOMPARE(selected, 2);
        QCOMPARE(waveSamples, QStringList({"<new>"}));
        QVERIFY(!renameNew);
        QVERIFY(!renameNoRow);
    }

    // What the selected wavesample holds shows below the lists, read from
    // the sampler, before the user chooses it.
    void TheSelectedWavesampleShowsItsLengthAndRate() {
        Reload([](TSamplerModel& model) {
            PlaceInstrument(model, 0, "ALPHA", {1, 2});
            TWaveSample& second = *model.Instrument(0)->WaveSample(2);
            second.SetAddress(TWaveSample::StartWord, 100);
            second.SetAddress(TWaveSample::EndWord, 2099);
            second.SetHigh(TWaveSample::PeriodWord, 20);
        });
        QStringList infos;
        Browse(owUpload, [&] {
            infos << Browser.WaveSampleInfoLabel->text();
            Click(Browser.WaveSampleListBox, 2);
            infos << Browser.WaveSampleInfoLabel->text();
            Browser.reject();
        });
        QCOMPARE(infos, QStringList({"A new wavesample", "2,000 samples at 31250 Hz"}));
    }

    // Each wavesample row fills in its columns while the browser waits: name,
    // samples, rate and, for a parameters-only copy, its original; a
    // wavesample without samples shows 0. No column cuts its figures. The
    // figures are read once per directory read: another instrument and back
    // reads nothing again.
    void WavesampleRowsShowTheirFiguresInColumns() {
        Reload([](TSamplerModel& model) {
            PlaceInstrument(model, 0, "ALPHA", {1, 2, 3, 4});
            TWaveSample& first = *model.Instrument(0)->WaveSample(1);
            first.SetAddress(TWaveSample::StartWord, 0);
            first.SetAddress(TWaveSample::EndWord, 43749);
            first.SetHigh(TWaveSample::PeriodWord, 21);
            TSamplerName::Encode("PIANO C4", first.Parameters.data());
            TWaveSample& second = *model.Instrument(0)->WaveSample(2);
            second.SetAddress(TWaveSample::StartWord, 100);
            second.SetAddress(TWaveSample::EndWord, 499);
            second.SetHigh(TWaveSample::PeriodWord, 20);
            model.Instrument(0)->WaveSample(3)->SetHigh(TWaveSample::CopyOfWord, 1);
            TWaveSample& empty = *model.Instrument(0)->WaveSample(4);
            empty.SetAddress(TWaveSample::StartWord, 0);
            empty.SetAddress(TWaveSample::EndWord, 0);
            PlaceInstrument(model, 1, "BETA", {1});
        });
        QStringList rows;
        QStringList again;
        QStringList cut;
        Browse(owUpload, [&] {
            TWaveSampleList* list = Browser.WaveSampleListBox;
            QTRY_COMPARE(RowsWithFigures(list), 4);
            rows = FullRows(list);
            cut = CutTexts(list);
            Click(Browser.InstrumentListBox, 1);
            QTRY_COMPARE(RowsWithFigures(list), 1);
            // Back on the first instrument the rows are whole at once.
            Click(Browser.InstrumentListBox, 0);
            again = FullRows(list);
            Browser.reject();
        });
        const QStringList expected = {"<new>||||", "1|Piano C4|43,750|29761 Hz|",
                                      "2|Unnamed Ws|400|31250 Hz|", "3|Unnamed Ws|||1",
                                      "4|Unnamed Ws|0|29761 Hz|"};
        QCOMPARE(rows, expected);
        QCOMPARE(again, expected);
        QCOMPARE(cut, QStringList());
    }

    // A click on a header sorts by that column, a second click the other way
    // round; the rows keep standing for their wavesamples.
    void HeaderClickSortsAndTheChoiceFollows() {
        Reload([](TSamplerModel& model) {
            PlaceInstrument(model, 0, "ALPHA", {1, 2, 3});
            const int lasts[] = {9999, 499, 99999};
            for (int n = 1; n <= 3; ++n) {
                model.Instrument(0)->WaveSample(n)->SetAddress(TWaveSample::EndWord, lasts[n - 1]);
            }
        });
        QStringList ascending;
        QStringList descending;
        std::vector<int> map;
        const TModalResult result = Browse(owOpen, [&] {
            TWaveSampleList* list = Browser.WaveSampleListBox;
            QTRY_COMPARE(RowsWithFigures(list), 3);
            ClickHeader(list, TWaveSampleList::SamplesColumn);
            ascending = Rows(list);
            ClickHeader(list, TWaveSampleList::SamplesColumn);
            descending = Rows(list);
            map = Browser.WaveSampleMap;
            Choose(0, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(ascending, QStringList({"2", "1", "3"}));
        QCOMPARE(descending, QStringList({"3", "1", "2"}));
        QCOMPARE(map, Numbers({2, 0, 1}));
        QCOMPARE(Sampler.Eps.WaveSample, 3);
    }

    // The browser can be sized; the size the user gave it comes back in the
    // next run, that is, in a browser made anew.
    void TheSizeTheUserGaveComesBackInTheNextRun() {
        const QSize given(710, 500);
        bool sizable = false;
        Browse(owOpen, [&] {
            sizable =
                Browser.minimumWidth() < given.width() && Browser.maximumHeight() > given.height();
            Browser.resize(given);
            Browser.reject();
        });
        TOpenWaveForm next(Sampler.Eps, RenameForm, NoInstrForm);
        QSize seen;
        WhenModal(&next, [&] {
            seen = next.size();
            next.reject();
        });
        next.Execute(owOpen);
        QVERIFY(sizable);
        QCOMPARE(seen, given);
    }

    // A restore replaces a whole instrument: every slot is offered, saying
    // what it holds, and no wavesample is asked for.
    void RestoreListsInstrumentsOnly() {
        Sampler.Eps.WaveSample = 2;
        TSeen seen;
        bool waveSamplesShown = true;
        int gap = 0;
        const TModalResult result = Browse(owRestore, [&] {
            seen = Look();
            waveSamplesShown = Browser.WaveSampleListBox->isVisible();
            gap =
                Browser.OkButton->geometry().left() - Browser.InstrumentListBox->geometry().right();
            Click(Browser.InstrumentListBox, 2);
            QTest::mouseClick(Browser.OkButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(seen.Instruments, QStringList({"(1) Grand Piano \u2014 2 wavesamples",
                                                "(2) Drum Kit \u2014 2 wavesamples", "(3) <new>",
                                                "(4) Warm Pad \u2014 1 wavesample", "(5) <new>",
                                                "(6) <new>", "(7) <new>", "(8) <new>"}));
        QVERIFY(!waveSamplesShown);
        // Alone, the instruments take the room up to the buttons.
        QVERIFY2(gap <= 3 * Browser.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing),
                 qPrintable(QString::number(gap)));
        QCOMPARE(Sampler.Eps.Instrument, 2);
        QCOMPARE(Sampler.Eps.WaveSample, 2);
    }

    void RenameRenamesTheInstrumentInTheSampler() {
        bool renamed = false;
        TSeen seen;
        Browse(owOpen, [&] {
            WhenModal(&RenameForm, [&] {
                QTest::keyClicks(RenameForm.NameEdit, "Bongos");
                QTest::keyClick(RenameForm.NameEdit, Qt::Key_Return);
            });
            renamed = UseInstrumentPopup(1, Browser.RenameMenuItem);
            seen = Look();
            Browser.reject();
        });
        QVERIFY(renamed);
        QCOMPARE(Sampler.InstrumentName(1), std::string("BONGOS"));
        QCOMPARE(seen.Instruments, QStringList({"(1) Grand Piano", "(2) Bongos", "(4) Warm Pad"}));
        // The list stays on the renamed instrument and shows its wavesamples.
        QCOMPARE(seen.InstrumentRow, 1);
        QCOMPARE(seen.WaveSamples, QStringList({"1", "2"}));
    }

    void RenameCancelledSendsNothing() {
        QString offered;
        Browse(owOpen, [&] {
            WhenModal(&RenameForm, [&] {
                offered = RenameForm.NameEdit->text();
                QTest::keyClicks(RenameForm.NameEdit, "Strings");
                QTest::mouseClick(RenameForm.CancelButton, Qt::LeftButton);
            });
            UseInstrumentPopup(2, Browser.RenameMenuItem);
            Browser.reject();
        });
        QCOMPARE(offered, QString("Warm Pad"));
        QCOMPARE(Sampler.InstrumentName(3), std::string("WARM PAD"));
    }

    void PopupRefreshRereadsTheSampler() {
        QStringList after;
        Browse(owOpen, [&] {
            Sampler.Change([](TSamplerModel& model) { model.Instrument(1)->SetName("CONGAS"); });
            UseInstrumentPopup(0, Browser.RefreshMenuItem);
            after = Rows(Browser.InstrumentListBox);
            Browser.reject();
        });
        QCOMPARE(after, QStringList({"(1) Grand Piano", "(2) Congas", "(4) Warm Pad"}));
    }

    void F5RereadsTheSamplerWhileOpen() {
        QStringList after;
        Browse(owOpen, [&] {
            Sampler.Change([](TSamplerModel& model) {
                model.Instrument(3)->SetName("STRINGS");
                PlaceInstrument(model, 6, "CHOIR", {1});
            });
            PressF5(Browser.WaveSampleListBox);
            after = Rows(Browser.InstrumentListBox);
            Browser.reject();
        });
        QCOMPARE(after,
                 QStringList({"(1) Grand Piano", "(2) Drum Kit", "(4) Strings", "(7) Choir"}));
    }

    void EmptySamplerGivenUpCancelsWithoutShowingTheBrowser() {
        Reload([](TSamplerModel&) {});
        bool asked = false;
        WhenModal(&NoInstrForm, [&] {
            asked = true;
            QTest::mouseClick(NoInstrForm.CancelButton, Qt::LeftButton);
        });
        QCOMPARE(Browser.Execute(owOpen), mrCancel);
        QVERIFY(asked);
        QVERIFY(!Browser.isVisible());
    }

    void EmptySamplerReadAgainAfterContinue() {
        Reload([](TSamplerModel&) {});
        WhenModal(&NoInstrForm, [&] {
            Sampler.Change([](TSamplerModel& model) { PlaceInstrument(model, 5, "LATE", {3}); });
            QTest::mouseClick(NoInstrForm.OkButton, Qt::LeftButton);
        });
        TSeen seen;
        const TModalResult result = Browse(owDownload, [&] {
            seen = Look();
            QTest::mouseClick(Browser.OkButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(seen.Instruments, QStringList({"(6) Late"}));
        QCOMPARE(Sampler.Eps.Instrument, 5);
        QCOMPARE(Sampler.Eps.WaveSample, 3);
    }

    void EmptySamplerInUploadModeOffersEveryInstrument() {
        Reload([](TSamplerModel&) {});
        TSeen seen;
        const TModalResult result = Browse(owUpload, [&] {
            seen = Look();
            Choose(3, 0);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(seen.Instruments.size(), 8);
        QCOMPARE(seen.Instruments[7], QString("(8) <new>"));
        QCOMPARE(Sampler.Eps.Instrument, 3);
        QCOMPARE(Sampler.Eps.WaveSample, 1);
    }

    void SamplerEmptiedWhileOpenClosesTheBrowserWhenGivenUp() {
        const TModalResult result = Browse(owOpen, [&] {
            Reload([](TSamplerModel&) {});
            WhenModal(&NoInstrForm,
                      [&] { QTest::mouseClick(NoInstrForm.CancelButton, Qt::LeftButton); });
            PressF5(Browser.InstrumentListBox);
        });
        QCOMPARE(result, mrCancel);
        QCOMPARE(Sampler.Eps.Instrument, 0);
    }

    // An answer for another instrument is not "no such instrument": the
    // browser never offers that instrument's slots as <new>, says which could
    // not be read, reads again on Retry and gives up on Cancel.
    void UnreadInstrumentIsNeverOfferedAsNew() {
        Sampler.SetFaults({.WrongInstrument = true});
        QString said;
        WhenModal(Browser.UnreadBox, [&] {
            said = Browser.UnreadBox->text();
            Sampler.SetFaults({});
            Browser.UnreadBox->button(QMessageBox::Retry)->click();
        });
        TSeen seen;
        QCOMPARE(Browse(owUpload,
                        [&] {
                            seen = Look();
                            Browser.reject();
                        }),
                 mrCancel);
        QVERIFY2(said.startsWith("Instrument 1 could not be read ("), qPrintable(said));
        QCOMPARE(seen.Instruments.mid(0, 2), QStringList({"(1) Grand Piano", "(2) Drum Kit"}));

        Sampler.SetFaults({.WrongInstrument = true});
        WhenModal(Browser.UnreadBox,
                  [&] { Browser.UnreadBox->button(QMessageBox::Cancel)->click(); });
        QCOMPARE(Browser.Execute(owUpload), mrCancel);
        QVERIFY(!Browser.isVisible());
        Sampler.SetFaults({});
    }
};

QTEST_MAIN(TOpenWaveFormTest)
#include "OpenWaveFormTest.moc"
