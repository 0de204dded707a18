// The device and channel pickers and the Preferences dialog on the real
// ports: what the dialog shows, and what OK and Cancel do to the engine.
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ModalDriver.h"
#include "SamplerConnection.h"
#include "midi/ChannelComboBox.h"
#include "midi/MidiInComboBox.h"
#include "midi/MidiOutComboBox.h"
#include "midi/PreferencesForm.h"
#include "tests/support/LoopbackPeer.h"

namespace {

QStringList Entries(const QComboBox* box) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i) {
        entries << box->itemText(i);
    }
    return entries;
}

} // namespace

class TPreferencesFormTest : public QObject {
    Q_OBJECT

    TSamplerConnection Sampler;
    TLoopbackDevice Loopback{"Loopback"};
    TPreferencesForm Form{Sampler.Eps};

    TMidiIn& In() { return *Sampler.Eps.MidiIn; }
    TMidiOut& Out() { return *Sampler.Eps.MidiOut; }

    TModalResult Execute(std::function<void()> action) {
        WhenModal(&Form, std::move(action));
        return Form.Execute();
    }

    // Every control moved away from what the engine holds.
    void ChangeEverything() {
        Form.MidiInComboBox->setCurrentIndex(Loopback.InputDevice());
        Form.MidiOutComboBox->setCurrentIndex(Loopback.OutputDevice());
        Form.ChannelComboBox->SetChannel(5);
        Form.BlockSizeScrollBar->setValue(1000);
        Form.DelayScrollBar->setValue(400);
    }

private slots:
    void init() {
        In().Close();
        Out().Close();
        In().DeviceID = TSamplerConnection::Device;
        Out().DeviceID = TSamplerConnection::Device;
        QVERIFY(In().Open());
        QVERIFY(Out().Open());
        Out().SetChannel(1);
        Sampler.Eps.SetBlockSize(256);
        Sampler.Eps.SetDelay(0);
        // A sampler that stays silent is given up on sooner than a user's.
        In().ByteTimeout = 1;
    }

    void cleanup() { QVERIFY(AllModalWindowsCame()); }

    void DevicePickersListTheDevicesInNumberOrder() {
        const QStringList inputs = Entries(Form.MidiInComboBox);
        const QStringList outputs = Entries(Form.MidiOutComboBox);
        QCOMPARE(inputs.size(), static_cast<qsizetype>(midiInGetNumDevs()));
        QCOMPARE(outputs.size(), static_cast<qsizetype>(midiOutGetNumDevs()));
        QCOMPARE(inputs[TSamplerConnection::Device], QString("Virtual EPS"));
        QCOMPARE(outputs[TSamplerConnection::Device], QString("Virtual EPS"));
        QCOMPARE(inputs[Loopback.InputDevice()], QString("Loopback"));
        QCOMPARE(outputs[Loopback.OutputDevice()], QString("Loopback"));

        TMidiInComboBox picker;
        QCOMPARE(picker.DeviceID(), 0);
        picker.SetDeviceID(Loopback.InputDevice());
        QCOMPARE(picker.DeviceID(), Loopback.InputDevice());
        picker.SetDeviceID(picker.count());
        QCOMPARE(picker.DeviceID(), -1);
        QCOMPARE(picker.currentText(), QString());
    }

    void ChannelPickerListsSixteenChannels() {
        TChannelComboBox picker;
        QCOMPARE(picker.count(), 16);
        QCOMPARE(picker.itemText(0), QString("1"));
        QCOMPARE(picker.itemText(15), QString("16"));
        QCOMPARE(picker.Channel(), 1);
        picker.SetChannel(16);
        QCOMPARE(picker.currentText(), QString("16"));
        QCOMPARE(picker.Channel(), 16);
        picker.SetChannel(0);
        QCOMPARE(picker.Channel(), 0);
    }

    void ShowsTheEnginesValues() {
        Out().SetChannel(9);
        Sampler.Eps.SetBlockSize(2000);
        Sampler.Eps.SetDelay(120);
        int in = -2;
        int out = -2;
        int channel = 0;
        int blockSize = 0;
        int delay = -1;
        bool okFocused = false;
        QStringList values;
        Execute([&] {
            values << Form.BlockSizeValueLabel->text() << Form.DelayValueLabel->text();
            Form.DelayScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            values << Form.DelayValueLabel->text();
            in = Form.MidiInComboBox->DeviceID();
            out = Form.MidiOutComboBox->DeviceID();
            channel = Form.ChannelComboBox->Channel();
            blockSize = Form.BlockSizeScrollBar->value();
            delay = Form.DelayScrollBar->value();
            okFocused = Form.focusWidget() == Form.OkButton;
            Form.reject();
        });
        QCOMPARE(in, TSamplerConnection::Device);
        QCOMPARE(out, TSamplerConnection::Device);
        QCOMPARE(channel, 9);
        QCOMPARE(blockSize, 2000);
        QCOMPARE(delay, 160);
        QVERIFY(okFocused);
        QCOMPARE(values, QStringList({"2000 words", "120 ms", "160 ms"}));
    }

    void CancelAfterChangingEverythingChangesNothing() {
        const TModalResult result = Execute([&] {
            ChangeEverything();
            QTest::mouseClick(Form.CancelButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrCancel);
        QCOMPARE(In().DeviceID, TSamplerConnection::Device);
        QCOMPARE(Out().DeviceID, TSamplerConnection::Device);
        QVERIFY(In().IsOpen());
        QVERIFY(Out().IsOpen());
        QCOMPARE(Out().Channel(), 1);
        QCOMPARE(Sampler.Eps.BlockSize(), 256);
        QCOMPARE(Sampler.Eps.Delay(), 0);
        QVERIFY(!Loopback.Peer().IsConnected());
    }

    // A port whose device stays is neither closed nor opened, even when it
    // is closed.
    void OkWithTheSameDevicesLeavesThePortsAndTakesTheRest() {
        Out().Close();
        const TModalResult result = Execute([&] {
            Form.ChannelComboBox->SetChannel(7);
            Form.BlockSizeScrollBar->setValue(5000);
            Form.DelayScrollBar->setValue(800);
            QTest::keyClick(&Form, Qt::Key_Return);
        });
        QCOMPARE(result, mrOk);
        QVERIFY(In().IsOpen());
        QVERIFY(!Out().IsOpen());
        QCOMPARE(Out().Channel(), 7);
        QCOMPARE(Sampler.Eps.BlockSize(), 5000);
        QCOMPARE(Sampler.Eps.Delay(), 800);
    }

    void OkSwitchesChangedDevices() {
        const TModalResult result = Execute([&] {
            ChangeEverything();
            QTest::mouseClick(Form.OkButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(In().DeviceID, Loopback.InputDevice());
        QCOMPARE(Out().DeviceID, Loopback.OutputDevice());
        QVERIFY(In().IsOpen());
        QVERIFY(Out().IsOpen());
        QVERIFY(Loopback.Peer().IsConnected());
        QCOMPARE(Out().Channel(), 5);
        QCOMPARE(Sampler.Eps.BlockSize(), 1000);
        QCOMPARE(Sampler.Eps.Delay(), 400);
    }

    // Only a device number that no longer exists can come from the
    // settings; OK then takes the empty choice as a change.
    void StoredDeviceBeyondTheListShowsNothingAndOkStoresMinusOne() {
        In().Close();
        In().DeviceID = 99;
        int shown = 0;
        const TModalResult result = Execute([&] {
            shown = Form.MidiInComboBox->currentIndex();
            QTest::mouseClick(Form.OkButton, Qt::LeftButton);
        });
        QCOMPARE(result, mrOk);
        QCOMPARE(shown, -1);
        QCOMPARE(In().DeviceID, -1);
        QVERIFY(!In().IsOpen());
        QVERIFY(Out().IsOpen());
    }

    void NoChannelChosenGivesChannelOne() {
        Out().SetChannel(12);
        Execute([&] {
            Form.ChannelComboBox->setCurrentIndex(-1);
            QTest::mouseClick(Form.OkButton, Qt::LeftButton);
        });
        QCOMPARE(Out().Channel(), 1);
    }

    void TestConnectionTriesTheChoiceShown_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("result");
        QTest::newRow("working") << 1 << false
                                 << "Found: the EPS/ASR answers through Virtual EPS on channel 1.";
        const QString noAnswer = "Not found: nothing answers through Virtual EPS on channel %1. "
                                 "Check the devices, the channel, the sampler's System Exclusive "
                                 "setting and the cables.";
        QTest::newRow("wrong channel") << 5 << false << noAnswer.arg(5);
        QTest::newRow("silent sampler") << 1 << true << noAnswer.arg(1);
    }

    // The devices and the channel chosen in the dialog are tried, not the
    // engine's, which are as before afterwards and take over the choice only
    // on OK; a changed choice clears the result, which no longer applies.
    void TestConnectionTriesTheChoiceShown() {
        QFETCH(int, channel);
        QFETCH(bool, silent);
        QFETCH(QString, result);
        In().Close();
        Out().Close();
        In().DeviceID = Loopback.InputDevice();
        Out().DeviceID = Loopback.OutputDevice();
        QVERIFY(In().Open());
        Out().SetChannel(3);
        Sampler.SetFaults({.Silent = silent});
        QString shown;
        QString afterChange = "unset";
        QString onReopening = "unset";
        Execute([&] {
            Form.MidiInComboBox->setCurrentIndex(TSamplerConnection::Device);
            Form.MidiOutComboBox->setCurrentIndex(TSamplerConnection::Device);
            Form.ChannelComboBox->SetChannel(channel);
            QTest::mouseClick(Form.TestButton, Qt::LeftButton);
            shown = Form.TestResultLabel->text();
            Form.ChannelComboBox->SetChannel(channel + 1);
            afterChange = Form.TestResultLabel->text();
            QTest::mouseClick(Form.TestButton, Qt::LeftButton);
            Form.reject();
        });
        Sampler.SetFaults({});
        QCOMPARE(shown, result);
        QCOMPARE(afterChange, QString());
        QCOMPARE(In().DeviceID, Loopback.InputDevice());
        QCOMPARE(Out().DeviceID, Loopback.OutputDevice());
        QVERIFY(In().IsOpen());
        QVERIFY(!Out().IsOpen());
        QCOMPARE(Out().Channel(), 3);
        Execute([&] {
            onReopening = Form.TestResultLabel->text();
            Form.reject();
        });
        QCOMPARE(onReopening, QString());
    }

    void TestConnectionSaysWhichDeviceDoesNotOpen() {
        QString shown;
        Execute([&] {
            Form.MidiOutComboBox->setCurrentIndex(-1);
            QTest::mouseClick(Form.TestButton, Qt::LeftButton);
            shown = Form.TestResultLabel->text();
            Form.reject();
        });
        QCOMPARE(shown, QString("Not found: the MIDI output device does not open."));
        QCOMPARE(Out().DeviceID, TSamplerConnection::Device);
    }

    void TabOrderRunsFromOkToHelp() {
        QList<QWidget*> order;
        Execute([&] {
            QWidget* widget = Form.OkButton;
            do {
                if (widget->focusPolicy() & Qt::TabFocus && widget->isVisible()) {
                    order << widget;
                }
                widget = widget->nextInFocusChain();
            } while (widget != Form.OkButton);
            Form.reject();
        });
        const QList<QWidget*> expected{
            Form.OkButton,           Form.CancelButton,    Form.MidiInComboBox,
            Form.MidiOutComboBox,    Form.ChannelComboBox, Form.TestButton,
            Form.BlockSizeScrollBar, Form.DelayScrollBar,  Form.HelpButton};
        QCOMPARE(order, expected);
    }

    void HelpAsksForThePreferencesTopic() {
        QSignalSpy help(&Form, &TModalForm::HelpRequested);
        Execute([&] {
            QTest::mouseClick(Form.HelpButton, Qt::LeftButton);
            Form.reject();
        });
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.front().front().toInt(), 2);
    }
};

QTEST_MAIN(TPreferencesFormTest)
#include "PreferencesFormTest.moc"
