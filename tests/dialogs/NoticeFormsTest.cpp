// The notices and the rename dialog, shown modally and answered the way a
// user answers them: texts, buttons, results.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <list>

#include "ModalDriver.h"
#include "dialogs/GotoPrefForm.h"
#include "dialogs/NoEpsForm.h"
#include "dialogs/NoInstrForm.h"
#include "dialogs/RenameInstrForm.h"
#include "dialogs/WsIsCopyForm.h"

class TNoticeFormsTest : public QObject {
    Q_OBJECT

private:
    struct TShown {
        QString Caption;
        QStringList Lines;
        bool RetryShown = false;
        bool PreferencesShown = false;
        bool OkFocused = false;
        // Wide enough for its title beside the title bar's buttons.
        bool TitleFits = false;
    };

    // Shows the connection dialog for the reason, notes what it shows and
    // answers with the button.
    static TShown ShowNoEps(TNoEpsForm& form, NoEpsReason reason, QPushButton* answer,
                            TModalResult expected) {
        TShown shown;
        WhenModal(&form, [&] {
            shown.Caption = form.windowTitle();
            for (QLabel* label :
                 {form.Error1Label, form.Error2Label, form.Info1Label, form.Info2Label,
                  form.Info3Label, form.Info4Label, form.Info5Label}) {
                shown.Lines << label->text();
            }
            shown.RetryShown = form.RetryButton->isVisible();
            shown.PreferencesShown = form.PreferencesButton->isVisible();
            shown.OkFocused = form.focusWidget() == form.OkButton;
            QFont titleFont = form.font();
            titleFont.setBold(true);
            shown.TitleFits =
                form.width() > QFontMetrics(titleFont).horizontalAdvance(shown.Caption) + 100;
            QTest::mouseClick(answer, Qt::LeftButton);
        });
        const TModalResult result = form.Execute(reason);
        if (result != expected) {
            shown.Caption = QString("unexpected result %1").arg(result);
        }
        return shown;
    }

    // How often a window asked for Preferences, and whether every request
    // came once it had gone.
    struct TPreferencesRequests {
        int Count = 0;
        bool AfterClosing = true;
    };

    // Kept by the test object, which outlives the window watched.
    const TPreferencesRequests& Watch(TModalForm& form) {
        TPreferencesRequests& requests = Requests.emplace_back();
        connect(&form, &TModalForm::PreferencesRequested, this, [&form, &requests] {
            ++requests.Count;
            requests.AfterClosing = requests.AfterClosing && !form.isVisible() &&
                                    QApplication::activeModalWidget() == nullptr;
        });
        return requests;
    }

    std::list<TPreferencesRequests> Requests;

private slots:
    void cleanup() { QVERIFY(AllModalWindowsCame()); }

    void NoEpsShowsTheTextsOfEachReason_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<bool>("preferences");
        QTest::newRow("midi in") << 1 << "Unable to open Midi-in device"
                                 << QStringList{"Tavimor failed to open the",
                                                "Midi input device",
                                                "",
                                                "Please make sure you've configured",
                                                "the Midi input device in the Preferences",
                                                "dialog",
                                                ""}
                                 << false << true;
        QTest::newRow("midi out") << 2 << "Unable to open Midi-out device"
                                  << QStringList{"Tavimor failed to open the",
                                                 "Midi output device",
                                                 "",
                                                 "Please make sure you've configured",
                                                 "the Midi output device in the Preferences",
                                                 "dialog",
                                                 ""}
                                  << false << true;
        QTest::newRow("no answer") << 3 << "Unable to find EPS/ASR"
                                   << QStringList{"Tavimor failed to make a",
                                                  "connection to your EPS/ASR",
                                                  "To solve this problem please check the "
                                                  "following :",
                                                  "    * Midi Device in Preferences dialog",
                                                  "    * Channel in Preferences dialog",
                                                  "    * EPS/ASR system parameters",
                                                  "    * Midi cabling"}
                                   << true << true;
        QTest::newRow("system disk") << 4 << "Unable to find EPS/ASR"
                                     << QStringList{"Tavimor failed to make a",
                                                    "connection to your EPS/ASR",
                                                    "",
                                                    "Make sure the system disk is",
                                                    "inserted into your EPS/ASR",
                                                    "",
                                                    ""}
                                     << true << false;
    }

    void NoEpsShowsTheTextsOfEachReason() {
        QFETCH(int, reason);
        QFETCH(QString, caption);
        QFETCH(QStringList, lines);
        QFETCH(bool, retry);
        QFETCH(bool, preferences);
        TNoEpsForm form;
        const TShown shown = ShowNoEps(form, static_cast<NoEpsReason>(reason), form.OkButton, mrOk);
        QCOMPARE(shown.Caption, caption);
        QCOMPARE(shown.Lines, lines);
        QCOMPARE(shown.RetryShown, retry);
        QCOMPARE(shown.PreferencesShown, preferences);
        QVERIFY(shown.OkFocused);
        QVERIFY(shown.TitleFits);
    }

    // One window serves every failure, so each showing must set everything
    // the one before left behind.
    void NoEpsResetsWhatTheLastReasonShowed() {
        TNoEpsForm form;
        QVERIFY(!ShowNoEps(form, neMidiIn, form.OkButton, mrOk).RetryShown);
        const TShown noAnswer = ShowNoEps(form, neNoAnswer, form.RetryButton, mrRetry);
        QVERIFY(noAnswer.RetryShown);
        QCOMPARE(noAnswer.Lines[6], QString("    * Midi cabling"));
        const TShown systemDisk = ShowNoEps(form, neSystemDisk, form.OkButton, mrOk);
        QCOMPARE(systemDisk.Lines[2], QString());
        QCOMPARE(systemDisk.Lines[5], QString());
        QCOMPARE(systemDisk.Lines[6], QString());
        QVERIFY(!ShowNoEps(form, neMidiOut, form.OkButton, mrOk).RetryShown);
    }

    void NoEpsHelpAsksForTheConnectionTopicAndTheCloseBoxIsCancel() {
        TNoEpsForm form;
        QSignalSpy help(&form, &TModalForm::HelpRequested);
        WhenModal(&form, [&] {
            QTest::mouseClick(form.HelpButton, Qt::LeftButton);
            form.close();
        });
        QCOMPARE(form.Execute(neNoAnswer), mrCancel);
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.front().front().toInt(), 3);
    }

    // Where the advice points to the Preferences dialog, a button leads
    // there: the connection is given up, and Preferences opens once the
    // notice has gone.
    void NoEpsLeadsToPreferencesAfterItHasClosed() {
        TNoEpsForm form;
        const TPreferencesRequests& requests = Watch(form);
        QCOMPARE(form.PreferencesButton->text(), QString("Preferences..."));
        QCOMPARE(ShowNoEps(form, neNoAnswer, form.PreferencesButton, mrCancel).Caption,
                 QString("Unable to find EPS/ASR"));
        QTRY_COMPARE(requests.Count, 1);
        QVERIFY(requests.AfterClosing);
        ShowNoEps(form, neNoAnswer, form.OkButton, mrOk);
        QTest::qWait(20);
        QCOMPARE(requests.Count, 1);
    }

    void NoInstrumentsNoticeOffersContinueAndCancel() {
        TNoInstrForm form;
        QCOMPARE(form.windowTitle(), QString("No Instruments Loaded"));
        QCOMPARE(form.Error1Label->text(), QString("At the moment there are no "));
        QCOMPARE(form.Error2Label->text(), QString("instruments loaded into your EPS/ASR."));
        QCOMPARE(form.Info1Label->text(), QString("First load an instrument into your EPS/ASR."));
        QCOMPARE(form.Info2Label->text(),
                 QString("Then press continue to refresh the instrument/wavesample lists."));
        QCOMPARE(form.OkButton->text(), QString("Continue ->"));
        bool continueFocused = false;
        WhenModal(&form, [&] {
            continueFocused = form.focusWidget() == form.OkButton;
            QTest::keyClick(&form, Qt::Key_Return);
        });
        QCOMPARE(form.Execute(), mrOk);
        QVERIFY(continueFocused);
        WhenModal(&form, [&] { QTest::mouseClick(form.CancelButton, Qt::LeftButton); });
        QCOMPARE(form.Execute(), mrCancel);
        WhenModal(&form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
        QCOMPARE(form.Execute(), mrCancel);
    }

    void CopyNoticeNamesTheWavesampleThatHoldsTheData() {
        TWsIsCopyForm form;
        QStringList lines;
        bool yesFocused = false;
        WhenModal(&form, [&] {
            for (QLabel* label : form.findChildren<QLabel*>()) {
                lines << label->text();
            }
            yesFocused = form.focusWidget() == form.OkButton;
            QTest::mouseClick(form.OkButton, Qt::LeftButton);
        });
        QCOMPARE(form.Execute(12), mrOk);
        QVERIFY(yesFocused);
        QCOMPARE(form.windowTitle(), QString("Wavesample is a Copy"));
        QCOMPARE(form.OkButton->text(), QString("Yes"));
        QCOMPARE(form.CancelButton->text(), QString("No"));
        QCOMPARE(form.Label2->text(), QString("parameters-only copy of wavesample #12."));
        QCOMPARE(form.Label5->text(), QString("Do you want to edit wavesample #12 instead ?"));
        for (const char* line :
             {"Wavesample is a Copy", "The wavesample you are trying to open is a",
              "You cannot edit  wavesamples that are a copy", "of another wavesample. "}) {
            QVERIFY2(lines.contains(line), line);
        }
        WhenModal(&form, [&] { QTest::mouseClick(form.CancelButton, Qt::LeftButton); });
        QCOMPARE(form.Execute(3), mrCancel);
        QCOMPARE(form.Label2->text(), QString("parameters-only copy of wavesample #3."));
    }

    void WelcomeLeadsToPreferencesOnlyAfterItHasClosed() {
        TGotoPrefForm form;
        const TPreferencesRequests& requests = Watch(form);
        WhenModal(&form, [&] { QTest::mouseClick(form.Button1, Qt::LeftButton); });
        QCOMPARE(form.Execute(), mrOk);
        QTRY_COMPARE(requests.Count, 1);
        QVERIFY(requests.AfterClosing);
    }

    // Without a sampler the built-in one can be tried at once; the way to a
    // real one is named.
    void WelcomeSaysWhatIsReadyAndHowToReachASampler() {
        TGotoPrefForm form;
        QStringList lines;
        for (const QLabel* label : form.findChildren<QLabel*>()) {
            if (label->pixmap().isNull()) {
                lines << label->text();
            }
        }
        QCOMPARE(lines, QStringList({"Welcome to Tavimor",
                                     "The built-in sampler, Virtual EPS, is selected and ready:",
                                     "File > Open Wavesample (Ctrl+O) opens its demo sounds.", "",
                                     "To work with a real EPS, EPS-16 Plus or ASR, choose",
                                     "the MIDI devices it is connected to and its channel in",
                                     "the Preferences dialog; Test connection checks them.",
                                     "Continue -> takes you there."}));
        QCOMPARE(form.Button1->text(), QString("Continue ->"));
    }

    void WelcomeClosedByItsCloseBoxOpensNothing() {
        TGotoPrefForm form;
        QSignalSpy requests(&form, &TGotoPrefForm::PreferencesRequested);
        QCOMPARE(form.windowTitle(), QString("Welcome"));
        WhenModal(&form, [&] { form.close(); });
        QCOMPARE(form.Execute(), mrCancel);
        QTest::qWait(20);
        QCOMPARE(requests.count(), 0);
    }

    void RenameReplacesTheSelectedNameAndStopsAtTwelveCharacters() {
        TRenameInstrForm form;
        QString selected;
        WhenModal(&form, [&] {
            selected = form.NameEdit->selectedText();
            QTest::keyClicks(form.NameEdit, "ABCDEFGHIJKLM");
            QTest::keyClick(form.NameEdit, Qt::Key_Return);
        });
        QCOMPARE(form.Execute("Grand Piano"), mrOk);
        QCOMPARE(selected, QString("Grand Piano"));
        QCOMPARE(form.NewName, QString("ABCDEFGHIJKL"));
    }

    void RenameCancelledKeepsTheLastAcceptedName() {
        TRenameInstrForm form;
        WhenModal(&form, [&] { QTest::mouseClick(form.OkButton, Qt::LeftButton); });
        QCOMPARE(form.Execute("Drum Kit"), mrOk);
        for (auto answer : std::initializer_list<std::function<void()>>{
                 [&] { QTest::keyClick(form.NameEdit, Qt::Key_Escape); },
                 [&] { QTest::mouseClick(form.CancelButton, Qt::LeftButton); },
                 [&] { form.close(); }}) {
            WhenModal(&form, [&] {
                QTest::keyClicks(form.NameEdit, "OTHER");
                answer();
            });
            QCOMPARE(form.Execute("Warm Pad"), mrCancel);
            QCOMPARE(form.NewName, QString("Drum Kit"));
        }
    }

    // What the sampler will show, and the characters it cannot, before OK.
    void RenameShowsTheNameAsTheSamplerWillShowIt() {
        TRenameInstrForm form;
        QStringList shown;
        WhenModal(&form, [&] {
            QTest::keyClicks(form.NameEdit, "Kick&Snare_");
            form.NameEdit->insert(QString::fromUtf8("\u00fc"));
            shown << form.SentLabel->text() << form.BlankedLabel->text();
            form.NameEdit->setText("Pad 2");
            shown << form.SentLabel->text() << form.BlankedLabel->text();
            QTest::keyClick(form.NameEdit, Qt::Key_Return);
        });
        QCOMPARE(form.Execute("Warm Pad"), mrOk);
        QCOMPARE(shown,
                 QStringList({"Sent as: KICK SNARE",
                              QString::fromUtf8("Shown as blanks on the sampler: & _ \u00fc"),
                              "Sent as: PAD 2", ""}));
    }

    void RenameAcceptsAnEmptyName() {
        TRenameInstrForm form;
        WhenModal(&form, [&] {
            QTest::keyClick(form.NameEdit, Qt::Key_Delete);
            QTest::mouseClick(form.OkButton, Qt::LeftButton);
        });
        QCOMPARE(form.Execute("Warm Pad"), mrOk);
        QCOMPARE(form.NewName, QString());
    }
};

QTEST_MAIN(TNoticeFormsTest)
#include "NoticeFormsTest.moc"
