// The main window while it waits for the sampler, on the built-in virtual
// sampler made silent or answering on another channel: a failed edit ends
// after one silence limit with one message and without reading the view
// back, Cancel, Escape and a close request give an open, an edit and a view
// refresh up at once, and what the user does to the window meanwhile is dropped.
#include <QAction>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <functional>

#include "AppFixture.h"
#include "app/Application.h"
#include "app/BusyIndicator.h"
#include "dialogs/OpenWaveForm.h"
#include "emulator/VirtualEpsPeer.h"
#include "wave/WaveBox.h"

namespace {

constexpr int Piano = 0;
constexpr int Drums = 1;
// The byte time-out the failed edits run with, in seconds.
constexpr int ShortSilence = 1;

// Calls step every 10 ms, also while the window serves its events during a
// wait, until step answers true.
class TPoller : public QObject {
public:
    explicit TPoller(std::function<bool()> step) : Step(std::move(step)) {
        Timer.setInterval(10);
        connect(&Timer, &QTimer::timeout, this, [this] {
            if (Step()) {
                Timer.stop();
            }
        });
        Timer.start();
    }

private:
    std::function<bool()> Step;
    QTimer Timer;
};

// Closes every modal window that opens and keeps what it said.
class TModalWatcher {
public:
    QStringList Seen;
    // Looks at the program while the window is up.
    std::function<void()> Inspect;

private:
    bool Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            if (Inspect) {
                Inspect();
            }
            const auto* box = qobject_cast<QMessageBox*>(modal);
            Seen << (box != nullptr ? box->text() : QString(modal->metaObject()->className()));
            modal->close();
        }
        return false;
    }

    TPoller Poller{[this] { return Poll(); }};
};

// Acts once, the first time the main window is found busy and ready.
class TWhileBusy {
public:
    TWhileBusy(const TMainForm& form, std::function<bool()> ready, std::function<void()> act)
        : Form(form), Ready(std::move(ready)), Act(std::move(act)) {}

    bool Acted = false;

private:
    bool Poll() {
        Acted = Form.BusyCount > 0 && Ready();
        if (Acted) {
            Act();
        }
        return Acted;
    }

    const TMainForm& Form;
    std::function<bool()> Ready;
    std::function<void()> Act;
    TPoller Poller{[this] { return Poll(); }};
};

enum TCommand { cmClear, cmReverse, cmFadeOut, cmNormalize, cmSampleStart, cmSampleEnd };

QAction* ItemOf(const TMainForm& form, int command) {
    switch (command) {
    case cmClear:
        return form.ClearDataMenuItem;
    case cmReverse:
        return form.ReverseDataMenuItem;
    case cmFadeOut:
        return form.FadeOutMenuItem;
    case cmNormalize:
        return form.NormalizeGainMenuItem;
    case cmSampleStart:
        return form.SetSampleStartMenuItem;
    default:
        return form.SetSampleEndMenuItem;
    }
}

enum TWork { wkOpen, wkEdit, wkViewRefresh };
// How the user gives a wait up.
enum TCancelling { caButton, caEscape, caClose };

} // namespace

class TBusyTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Fixture = std::make_unique<TAppFixture>();
        Form = Fixture->StartOnPiano();
        QVERIFY(Form != nullptr);
        Fixture->Sampler->Sampler().SetLog([this](const std::string& line) {
            if (line.rfind("GetWaveSample", 0) == 0) {
                ++ViewRequests;
            }
        });
        TAppFixture::Select(*Form, 1000, 1999);
    }
    void cleanup() {
        Heal();
        Fixture->Sampler->Sampler().SetLog({});
        Fixture->Stop();
        Fixture.reset();
    }

    void FailedEditEndsAfterTheSilenceLimitWithOneMessage_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("otherChannel");
        QTest::newRow("clear, silent") << int(cmClear) << false;
        QTest::newRow("reverse, other channel") << int(cmReverse) << true;
        QTest::newRow("fade out, silent") << int(cmFadeOut) << false;
        QTest::newRow("normalize, other channel") << int(cmNormalize) << true;
        QTest::newRow("sample start, silent") << int(cmSampleStart) << false;
        QTest::newRow("sample end, other channel") << int(cmSampleEnd) << true;
    }
    void FailedEditEndsAfterTheSilenceLimitWithOneMessage() {
        QFETCH(int, command);
        QFETCH(bool, otherChannel);
        Form->Eps->MidiIn->ByteTimeout = ShortSilence;
        Fixture->Sampler->Sampler().SetFaults(otherChannel ? TSamplerFaults{.ReplyChannel = 9}
                                                           : TSamplerFaults{.Silent = true});
        ViewRequests = 0;
        TModalWatcher watcher;
        QElapsedTimer clock;
        clock.start();
        ItemOf(*Form, command)->trigger();
        QVERIFY(clock.elapsed() < 2 * ShortSilence * 1000);
        QTest::qWait(50);
        QCOMPARE(watcher.Seen.size(), 1);
        QVERIFY(watcher.Seen[0].contains("did not answer"));
        QVERIFY(watcher.Seen[0].contains("Channel in the Preferences"));
        QCOMPARE(int(ViewRequests), 0);

        // Nothing of the failed exchange is left to spoil the next one.
        Heal();
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        TAppFixture::Select(*Form, 1000, 1999);
        Form->ClearDataMenuItem->trigger();
        QVERIFY(PianoSample(1500) == 0);
        QCOMPARE(watcher.Seen.size(), 1);
    }

    void CancelGivesTheWaitUpAtOnce_data() {
        QTest::addColumn<int>("work");
        QTest::addColumn<int>("how");
        QTest::newRow("open, Cancel") << int(wkOpen) << int(caButton);
        QTest::newRow("edit, Escape") << int(wkEdit) << int(caEscape);
        QTest::newRow("edit, close request") << int(wkEdit) << int(caClose);
        QTest::newRow("view refresh, Cancel") << int(wkViewRefresh) << int(caButton);
    }
    void CancelGivesTheWaitUpAtOnce() {
        QFETCH(int, work);
        QFETCH(int, how);
        // The real silence limit, which the Cancel must cut short.
        QCOMPARE(Form->Eps->MidiIn->ByteTimeout, 10);
        Fixture->Sampler->Sampler().SetFaults({.Silent = true});
        TModalWatcher watcher;
        TWhileBusy canceller(
            *Form, [this] { return Form->BusyIndicator->isVisible(); },
            [this, how] {
                switch (how) {
                case caButton:
                    QTest::mouseClick(Form->BusyIndicator->CancelButton, Qt::LeftButton);
                    break;
                case caEscape:
                    QTest::keyClick(Form, Qt::Key_Escape);
                    break;
                default:
                    QVERIFY(!Form->close());
                    break;
                }
            });
        QElapsedTimer clock;
        clock.start();
        switch (work) {
        case wkOpen:
            QVERIFY(!Form->OpenWavesampleAt(Piano, 1));
            break;
        case wkEdit:
            Form->ClearDataMenuItem->trigger();
            break;
        default:
            Form->ZoomInMenuItem->trigger();
            break;
        }
        QVERIFY(canceller.Acted);
        QVERIFY(clock.elapsed() < 5000);
        QTest::qWait(50);
        QVERIFY2(watcher.Seen.isEmpty(), qPrintable(watcher.Seen.join(", ")));
        QCOMPARE(Form->BusyCount, 0);
        QVERIFY(!Form->BusyIndicator->isVisible());
        QVERIFY(Form->isVisible());

        Heal();
        QVERIFY(Form->OpenWavesampleAt(Piano, 1));
        QVERIFY(Form->Eps->RefreshView());
    }

    // The connection dialog comes while the window is busy; the strip that
    // says the program waits for the sampler stays out of its way.
    void DialogInTheMiddleOfAWaitSetsTheStripAside() {
        Form->Eps->MidiIn->ByteTimeout = 2;
        Fixture->Sampler->Sampler().SetFaults({.Silent = true});
        TWhileBusy strip(
            *Form, [this] { return Form->BusyIndicator->isVisible(); }, [] {});
        TModalWatcher watcher;
        bool stripWithDialog = true;
        watcher.Inspect = [&] { stripWithDialog = Form->BusyIndicator->isVisible(); };
        QVERIFY(!Form->OpenWavesampleAt(Piano, 1));
        QVERIFY(strip.Acted);
        QCOMPARE(watcher.Seen, QStringList{"TNoEpsForm"});
        QVERIFY(!stripWithDialog);
    }

    // A drag over the wave, a scale shortcut and a speed button, all while
    // the window waits: none of them takes effect, then or later.
    void InputWhileBusyIsDropped() {
        Form->Eps->MidiIn->ByteTimeout = ShortSilence;
        Fixture->Sampler->Sampler().SetFaults({.Silent = true});
        const int scale = Form->VScale;
        QCOMPARE(scale, 8);
        TModalWatcher watcher;
        TWhileBusy user(
            *Form, [] { return true; },
            [this] {
                const QPoint row(10, Form->WaveBox->height() / 2);
                QTest::mousePress(Form->WaveBox, Qt::LeftButton, {}, row);
                QTest::mouseMove(Form->WaveBox, row + QPoint(100, 0));
                QTest::mouseRelease(Form->WaveBox, Qt::LeftButton, {}, row + QPoint(100, 0));
                QTest::keyClick(Form, Qt::Key_5, Qt::ControlModifier);
                QTest::mouseClick(Form->ScaleButtons[3], Qt::LeftButton);
            });
        Form->ReverseDataMenuItem->trigger();
        QTest::qWait(50);
        QVERIFY(user.Acted);
        QCOMPARE(watcher.Seen.size(), 1);
        QCOMPARE(Form->SelStart, 1000);
        QCOMPARE(Form->SelEnd, 1999);
        QCOMPARE(Form->VScale, scale);

        // Once the wait is over the window takes input again.
        QTest::mouseClick(Form->ScaleButtons[3], Qt::LeftButton);
        QCOMPARE(Form->VScale, 5);
    }

    void BrowserFiguresAreReadUnderTheBusyRules_data() {
        QTest::addColumn<bool>("silent");
        QTest::newRow("silent sampler, Escape") << true;
        QTest::newRow("replies on another channel") << false;
    }
    // The browser reads the wavesamples' figures as every other wait: busy,
    // with Escape giving the wait up, and a click in the browser meanwhile
    // kept for it until the read is over. A read that fails leaves its row
    // "not read" and no other row is read until the next directory read,
    // which finds nothing of the failed exchange in its way and gives each
    // row its own figures.
    void BrowserFiguresAreReadUnderTheBusyRules() {
        QFETCH(bool, silent);
        TVirtualSampler& sampler = Fixture->Sampler->Sampler();
        sampler.Inspect([](TSamplerModel& memory) {
            TInstrument& piano = *memory.Instrument(Piano);
            piano.Place(3, *memory.Instrument(Drums)->WaveSample(1));
            piano.Place(4, *memory.Instrument(Drums)->WaveSample(2));
        });
        // The figures of the row the browser opens on come; the next row's
        // block does not come, or comes on another channel.
        FigureReads = 0;
        Fault = silent ? TSamplerFaults{.Silent = true} : TSamplerFaults{.ReplyChannel = 9};
        sampler.SetLog([this, &sampler](const std::string& line) {
            if (line.rfind("GetWaveSampleParameters", 0) == 0 && ++FigureReads == 2) {
                sampler.SetFaults(Fault);
            }
        });
        TOpenWaveForm* browser = Fixture->Windows->OpenWaveForm.get();
        TWaveSampleList* rows = browser->WaveSampleListBox;
        QElapsedTimer clock;
        TWhileBusy user(
            *Form, [&] { return silent && browser->isVisible() && FigureReads >= 2; },
            [&] {
                clock.start();
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                                  rows->visualRect(rows->model()->index(2, 0)).center());
                QTest::keyClick(rows, Qt::Key_Escape);
            });
        QStringList unreadSaid;
        TPoller unread([&] {
            if (browser->UnreadBox->isVisible()) {
                unreadSaid << browser->UnreadBox->text();
                browser->UnreadBox->button(QMessageBox::Cancel)->click();
            }
            return false;
        });
        qint64 waited = -1;
        QStringList failed;
        int readsAfterFailure = -1;
        int clicked = -1;
        QStringList refreshed;
        QElapsedTimer limit;
        limit.start();
        QElapsedTimer settled;
        TPoller browse([&] {
            if (!browser->isVisible() || Form->BusyCount > 0) {
                return false;
            }
            if (!settled.isValid()) {
                if (rows->item(1)->text(TWaveSampleList::NameColumn) == "not read" ||
                    limit.elapsed() > 40000) {
                    waited = clock.isValid() ? clock.elapsed() : -1;
                    failed = Texts(rows);
                    settled.start();
                }
                return false;
            }
            if (settled.elapsed() < 300) {
                return false;
            }
            readsAfterFailure = FigureReads;
            clicked = rows->currentRow();
            Heal();
            browser->Refresh1->trigger();
            for (int i = 0; i < 500 && Named(rows) < 4; ++i) {
                QTest::qWait(20);
            }
            refreshed = Texts(rows);
            browser->reject();
            return true;
        });
        Form->OpenWavesampleMenuItem->trigger();
        sampler.SetLog({});

        QCOMPARE(user.Acted, silent);
        if (silent) {
            QVERIFY2(waited >= 0 && waited < 5000, qPrintable(QString::number(waited)));
            QCOMPARE(clicked, 2);
        }
        QCOMPARE(failed.size(), 4);
        QVERIFY2(failed[0].startsWith("1|Piano C4|"), qPrintable(failed[0]));
        QCOMPARE(failed.mid(1), QStringList({"2|not read|||", "3||||", "4||||"}));
        QCOMPARE(readsAfterFailure, 2);
        QVERIFY2(unreadSaid.isEmpty(), qPrintable(unreadSaid.join(", ")));
        QCOMPARE(refreshed.size(), 4);
        QVERIFY2(refreshed[0].startsWith("1|Piano C4|"), qPrintable(refreshed[0]));
        QCOMPARE(refreshed[1], QString("2|Piano High|||1"));
        QVERIFY2(refreshed[2].startsWith("3|Kick|"), qPrintable(refreshed[2]));
        QVERIFY2(refreshed[3].startsWith("4|Rimshot|"), qPrintable(refreshed[3]));
    }

private:
    // Rows whose figures have been read.
    static int Named(const TWaveSampleList* list) {
        int named = 0;
        for (int i = 0; i < list->count(); ++i) {
            const QString name = list->item(i)->text(TWaveSampleList::NameColumn);
            named += name.isEmpty() || name == "not read" ? 0 : 1;
        }
        return named;
    }

    // Each row's columns, as "2|not read|||".
    static QStringList Texts(const TWaveSampleList* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            QStringList columns;
            for (int column = 0; column < list->columnCount(); ++column) {
                columns << list->item(i)->text(column);
            }
            texts << columns.join('|');
        }
        return texts;
    }

    void Heal() {
        QVERIFY(Fixture->Sampler->Sampler().WaitUntilIdle());
        Fixture->Sampler->Sampler().SetFaults({});
    }

    std::int16_t PianoSample(std::size_t index) {
        std::int16_t sample = 0;
        Fixture->Sampler->Sampler().Inspect([&](TSamplerModel& memory) {
            sample = memory.Instrument(Piano)->WaveSample(1)->Data.at(index);
        });
        return sample;
    }

    std::unique_ptr<TAppFixture> Fixture;
    TMainForm* Form = nullptr;
    std::atomic<int> ViewRequests = 0;
    // The browser's reads of wavesample parameters, and what the sampler
    // does wrong after the first.
    std::atomic<int> FigureReads = 0;
    TSamplerFaults Fault;
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TBusyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BusyTest.moc"
