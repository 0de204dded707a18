// The connection check, opening and closing, the view and the edits, end to
// end against the virtual sampler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "emulator/SampleEdits.h"
#include "tests/eps/LoopbackEps.h"
#include "tests/eps/SamplerFixture.h"
#include "tests/support/Eventually.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using TData = std::vector<std::int16_t>;

std::vector<std::uint8_t> CodesOf(const std::vector<TBytes>& messages) {
    std::vector<std::uint8_t> codes;
    for (const TBytes& message : messages) {
        codes.push_back(CodeOf(message));
    }
    return codes;
}

// The samples from..to-1 of the data; silence past its end.
std::vector<std::int32_t> Samples(const TData& data, std::size_t from, std::size_t to) {
    std::vector<std::int32_t> samples;
    for (std::size_t i = from; i < to; ++i) {
        samples.push_back(i < data.size() ? data[i] : 0);
    }
    return samples;
}

std::vector<std::int32_t> Points(const TEps::TViewPoints& points) {
    return {points.begin(), points.end()};
}

TBytes CopyRequest(int instrument, int number, std::int32_t from, std::int32_t to,
                   std::int32_t destination) {
    return TReply()
        .Byte(0x20)
        .Word12(instrument)
        .Word12(0)
        .Word12(number)
        .Word12(instrument)
        .Word12(0)
        .Word12(number)
        .Word24(from)
        .Word24(to)
        .Word24(destination)
        .End();
}

TData Ramp(std::size_t count) {
    TData data(count);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = static_cast<std::int16_t>(1000 + (i * 37) % 20000);
    }
    return data;
}

TEST_F(SamplerTest, ConnectionCheckOpensThePortsAndProbes) {
    EXPECT_TRUE(Eps->CheckConnection());
    EXPECT_TRUE(Eps->MidiIn->IsOpen());
    EXPECT_TRUE(Eps->MidiOut->IsOpen());
    EXPECT_EQ(NewMessages(),
              std::vector<TBytes>({{0xF0, 0x0F, 0x03, 0x00, 0x40, 0x00, 0x23, 0xF7}}));
    EXPECT_TRUE(Dialogs.Reasons.empty());
    EXPECT_EQ(Owner.BeginCount, 1);
    EXPECT_EQ(Owner.Busy, 0);
}

TEST_F(SamplerTest, InputDeviceThatDoesNotOpenIsReasonOneWithoutRetry) {
    Eps->MidiIn->DeviceID = -1;
    Dialogs.Answers = {mrRetry};
    EXPECT_FALSE(Eps->CheckConnection());
    EXPECT_THAT(Dialogs.Reasons, ElementsAre(neMidiIn));
    EXPECT_FALSE(Eps->MidiOut->IsOpen());
    EXPECT_EQ(Owner.Busy, 0);
}

TEST_F(SamplerTest, OutputDeviceThatDoesNotOpenIsReasonTwo) {
    Eps->MidiOut->DeviceID = 99;
    Dialogs.Answers = {mrRetry};
    EXPECT_FALSE(Eps->CheckConnection());
    EXPECT_THAT(Dialogs.Reasons, ElementsAre(neMidiOut));
    EXPECT_TRUE(Eps->MidiIn->IsOpen());

    // Without dialogs the failure is silent.
    Eps->SetDialogs(nullptr);
    EXPECT_FALSE(Eps->CheckConnection());
    EXPECT_EQ(Dialogs.Reasons.size(), 1u);
}

TEST_F(SamplerTest, SilentSamplerIsReasonThreeAndRetryTriesAgain) {
    Sampler().SetFaults({.Silent = true});
    Dialogs.Answers = {mrRetry};
    // The user switches the sampler on before answering Retry.
    Dialogs.OnConnectionFailure = [this](NoEpsReason) { Sampler().SetFaults({}); };
    EXPECT_TRUE(Eps->CheckConnection());
    EXPECT_THAT(Dialogs.Reasons, ElementsAre(neNoAnswer));
    // Two passes; the second first settles what the first probe may still
    // bring, busy too.
    EXPECT_EQ(Owner.BeginCount, 3);
    EXPECT_EQ(Owner.Busy, 0);
}

// The virtual sampler never falls silent after a wait, so a scripted peer
// plays that part.
class ConnectionTest : public LoopbackEpsTest {};

TEST_F(ConnectionTest, WaitThenSilenceIsReasonFour) {
    std::thread sampler([this] {
        if (Device.Peer().WaitForReceived(8)) {
            Device.Peer().SendToProgram(Response(1));
        }
    });
    EXPECT_FALSE(Eps->CheckConnection());
    sampler.join();
    EXPECT_THAT(Dialogs.Reasons, ElementsAre(neSystemDisk));
}

TEST_F(SamplerTest, OpeningPreparesAWorkAreaBehindTheData) {
    PlaceWaveSample(5, 3, Ramp(1001));
    ASSERT_TRUE(Eps->CheckConnection());
    NewMessages();
    Eps->Instrument = 5;
    Eps->WaveSample = 3;
    EXPECT_EQ(Eps->OpenWavesample(true), orOpened);

    // End address 1000: target 2048, two copies behind the data, then the
    // stretch is cleared; the data itself stays whole.
    const std::vector<TBytes> sent = NewMessages();
    std::vector<TBytes> preparation;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(preparation),
                 [](const TBytes& m) { return CodeOf(m) == 0x20 || CodeOf(m) == 0x1F; });
    ASSERT_EQ(preparation.size(), 3u);
    EXPECT_EQ(preparation[0], CopyRequest(5, 3, 0, 1000, 1001));
    EXPECT_EQ(preparation[1], CopyRequest(5, 3, 0, 46, 2002));
    EXPECT_EQ(preparation[2], RangeRequest(0x1F, 5, 3, 1001, 2049));

    const TWaveSample opened = WaveSampleAt(5, 3);
    ASSERT_GE(opened.Data.size(), 2049u);
    EXPECT_TRUE(std::all_of(opened.Data.begin() + 1001, opened.Data.begin() + 2049,
                            [](std::int16_t v) { return v == 0; }));
    const TData ramp = Ramp(1001);
    EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), opened.Data.begin()));
    EXPECT_EQ(opened.Address(TWaveSample::EndWord), 1000u);

    EXPECT_TRUE(Eps->WaveSampleOpen);
    EXPECT_EQ(Eps->LastSample, 1000);
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 1001);
    EXPECT_EQ(Eps->SamplesPerPoint, 2);
    EXPECT_FALSE(Eps->Zoomed);
    EXPECT_EQ(Owner.Busy, 0);
    EXPECT_GE(Owner.CommandUpdates, 2);
    EXPECT_EQ(Owner.ViewUpdates, 1);
}

TEST_F(SamplerTest, OneSampleWavesampleOpensInAFewPasses) {
    PlaceWaveSample(4, 1, {1234});
    ASSERT_TRUE(Eps->CheckConnection());
    NewMessages();
    Eps->Instrument = 4;
    EXPECT_EQ(Eps->OpenWavesample(true), orOpened);
    const std::vector<TBytes> sent = NewMessages();
    const auto copies =
        std::count_if(sent.begin(), sent.end(), [](const TBytes& m) { return CodeOf(m) == 0x20; });
    // The area doubles each pass: 1, 2, 4 ... 1024.
    EXPECT_EQ(copies, 11);
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const TBytes& m) {
        return m == RangeRequest(0x1F, 4, 1, 1, 1025);
    }));
    EXPECT_EQ(Eps->LastSample, 0);
    EXPECT_EQ(Eps->ViewEnd, 512);
    EXPECT_TRUE(Eps->Zoomed);
    EXPECT_EQ(Eps->ViewPoints[0], 1234);
}

TEST_F(SamplerTest, ParametersOnlyCopyIsResultTwoAndSendsNoCopyOrClear) {
    ASSERT_TRUE(Eps->CheckConnection());
    NewMessages();
    Eps->WaveSample = 2;
    EXPECT_EQ(Eps->OpenWavesample(true), orCopy);
    EXPECT_EQ(HighByte(Eps->WaveSampleParameters[wpCopyOf]), 1);
    EXPECT_FALSE(Eps->WaveSampleOpen);
    const std::vector<std::uint8_t> codes = CodesOf(NewMessages());
    EXPECT_THAT(codes, ElementsAre(0x05, 0x01));
}

TEST_F(SamplerTest, OpeningAMissingWavesampleFails) {
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->WaveSample = 9;
    EXPECT_EQ(Eps->OpenWavesample(true), orFailed);
    EXPECT_FALSE(Eps->WaveSampleOpen);
    ASSERT_EQ(Dialogs.Warnings.size(), 1u);
    EXPECT_EQ(Dialogs.Warnings[0].first, "Invalid Wavesample");
}

TEST_F(SamplerTest, ParametersOfAnotherInstrumentAreNotTaken) {
    TTraceCapture trace;
    ASSERT_TRUE(Eps->CheckConnection());
    Sampler().SetFaults({.WrongInstrument = true});
    EXPECT_EQ(Eps->OpenWavesample(true), orFailed);
    EXPECT_THAT(trace.Text(), HasSubstr("Error getting Parameters\r\n"));
}

TEST_F(SamplerTest, OpeningWithoutPreparingOnlyReadsTheParameters) {
    ASSERT_TRUE(Eps->CheckConnection());
    NewMessages();
    Eps->Instrument = 1;
    Eps->WaveSample = 2;
    EXPECT_EQ(Eps->OpenWavesample(false), orOpened);
    EXPECT_FALSE(Eps->WaveSampleOpen);
    EXPECT_EQ(Eps->GetSampleAddress(wpSampleEnd), 399);
    EXPECT_THAT(CodesOf(NewMessages()), ElementsAre(0x05, 0x01));
    EXPECT_EQ(WaveSampleAt(1, 2).Data.size(), 400u);
}

TEST_F(SamplerTest, OpeningClosesTheOpenWavesampleWritingItsParameters) {
    OpenWaveSample(0, 1);
    Eps->SetSampleAddress(wpLoopStart, 100);
    NewMessages();
    EXPECT_EQ(Eps->OpenWavesample(true), orOpened);
    const std::vector<TBytes> sent = NewMessages();
    // Parameter header and data, close, then the new open.
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(CodeOf(sent[0]), 0x0E);
    EXPECT_EQ(sent[1].size(), 422u);
    EXPECT_EQ(CodeOf(sent[2]), 0x1E);
    EXPECT_EQ(CodeOf(sent[3]), 0x05);
    EXPECT_EQ(WaveSampleAt(0, 1).Address(TWaveSample::LoopStartWord), 100u);
}

TEST_F(SamplerTest, ClosingWritesTheParametersAndTellsTheSampler) {
    OpenWaveSample(3, 1);
    Eps->WaveSampleParameters[wpPlaybackMode] = 3 << 8;
    Eps->FullViewStale = false;
    const int updates = Owner.CommandUpdates;
    Eps->CloseWavesample();
    EXPECT_FALSE(Eps->WaveSampleOpen);
    EXPECT_TRUE(Eps->FullViewStale);
    EXPECT_EQ(Owner.CommandUpdates, updates + 1);
    EXPECT_EQ(WaveSampleAt(3, 1).High(TWaveSample::PlaybackModeWord), 3);
    EXPECT_EQ(CodeOf(NewMessages().back()), 0x1E);

    // A second close has nothing to close.
    Eps->CloseWavesample();
    EXPECT_TRUE(NewMessages().empty());
}

TEST_F(SamplerTest, ParameterWriteReportsItsOutcome) {
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = 1;
    ASSERT_EQ(Eps->OpenWavesample(false), orOpened);
    Eps->WaveSampleParameters[wpRootKey] = 40 << 8;
    EXPECT_EQ(Eps->PutWaveSampleParameters(), wrWritten);
    EXPECT_EQ(WaveSampleAt(1, 1).High(TWaveSample::RootKeyWord), 40);

    Eps->WaveSample = 50;
    EXPECT_EQ(Eps->PutWaveSampleParameters(), wrFailed);
}

TEST_F(SamplerTest, WholeViewOfALongWavesampleIsItsOverview) {
    PlaceWaveSample(6, 1, Ramp(10000));
    OpenWaveSample(6, 1);
    EXPECT_EQ(Eps->SamplesPerPoint, 20);
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->ViewEnd, 10000);
    EXPECT_FALSE(Eps->Zoomed);
    const std::vector<TBytes> sent = NewMessages();
    ASSERT_TRUE(std::any_of(sent.begin(), sent.end(), [](const TBytes& m) {
        return m == RangeRequest(0x0A, 6, 1, 0, 20480);
    }));
    const TData data = WaveSampleAt(6, 1).Data;
    const std::vector<std::uint16_t> overview = TSampleEdits::Overview(data, 0, 20480);
    for (std::size_t i = 0; i < 512; ++i) {
        ASSERT_EQ(Eps->ViewPoints[i], static_cast<std::int16_t>(overview[i])) << i;
    }
    EXPECT_EQ(Points(Eps->FullViewPoints), Points(Eps->ViewPoints));
    EXPECT_FALSE(Eps->FullViewStale);
}

TEST_F(SamplerTest, SecondRefreshOfTheWholeViewSendsNothing) {
    OpenWaveSample(0, 1);
    const std::vector<std::int32_t> first = Points(Eps->ViewPoints);
    Eps->ViewPoints.fill(0);
    NewMessages();
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_TRUE(NewMessages().empty());
    EXPECT_EQ(Points(Eps->ViewPoints), first);

    // An edit makes the cache stale, so the whole view is read anew.
    Eps->ReverseData(0, 100);
    Eps->WaitForReply();
    NewMessages();
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_THAT(CodesOf(NewMessages()), ElementsAre(0x0A, 0x01));
}

TEST_F(SamplerTest, ShortWavesampleIsAlwaysReadSampleBySample) {
    OpenWaveSample(1, 2);
    EXPECT_EQ(Eps->LastSample, 399);
    EXPECT_EQ(Eps->ViewEnd, 512);
    EXPECT_EQ(Eps->SamplesPerPoint, 1);
    EXPECT_TRUE(Eps->Zoomed);
    const TData data = WaveSampleAt(1, 2).Data;
    EXPECT_EQ(Points(Eps->ViewPoints), Samples(data, 0, 512));

    NewMessages();
    Owner.Calls.clear();
    EXPECT_TRUE(Eps->RefreshView());
    const std::vector<TBytes> sent = NewMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], RangeRequest(0x06, 1, 2, 0, 512));
    // The window is redrawn once the busy indicator is gone.
    EXPECT_THAT(Owner.Calls, ElementsAre("BeginBusy", "UpdateCommands", "EndBusy", "UpdateView"));
}

TEST_F(SamplerTest, ZoomedWindowsAreWholePagesInsideTheWavesample) {
    OpenWaveSample(0, 1);
    const TData data = WaveSampleAt(0, 1).Data;
    const std::int32_t last = Eps->LastSample;

    Eps->SetViewStart(1000);
    Eps->SetViewEnd(1512);
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_TRUE(Eps->Zoomed);
    EXPECT_EQ(Eps->SamplesPerPoint, 1);
    EXPECT_EQ(Points(Eps->ViewPoints), Samples(data, 1000, 1512));

    // Two pages wide at the very end: the window moves back inside.
    Eps->SetViewStart(last - 100);
    Eps->SetViewEnd(last + 5000);
    EXPECT_EQ(Eps->ViewStart, last - 511);
    EXPECT_EQ(Eps->ViewEnd, last + 1);
    Eps->ViewStart = last - 1000;
    NewMessages();
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_EQ(Eps->SamplesPerPoint, 2);
    EXPECT_EQ(Eps->ViewEnd, last + 1);
    EXPECT_EQ(Eps->ViewStart, last + 1 - 1024);
    EXPECT_EQ(NewMessages()[0], RangeRequest(0x0A, 0, 1, last + 1 - 1024, last + 1 - 1024 + 2048));

    // Back to the whole wavesample: the cache serves it.
    Eps->SetViewStart(0);
    Eps->SetViewEnd(last + 1);
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_FALSE(Eps->Zoomed);
    EXPECT_EQ(Points(Eps->ViewPoints), Points(Eps->FullViewPoints));
    EXPECT_TRUE(NewMessages().empty());
}

TEST_F(SamplerTest, FailedViewFetchIsReported) {
    OpenWaveSample(1, 2);
    Sampler().SetFaults({.WrongInstrument = true});
    EXPECT_FALSE(Eps->RefreshView());
    EXPECT_EQ(Owner.Busy, 0);
}

struct TEditCase {
    const char* Name;
    std::function<void(TEps&)> Request;
    std::function<void(TData&)> Expected;
};

TEST_F(SamplerTest, EveryEditChangesTheSamplersData) {
    const std::vector<TEditCase> edits = {
        {"Clear", [](TEps& e) { e.ClearData(100, 300); },
         [](TData& d) { TSampleEdits::Clear(d, 100, 300); }},
        {"Reverse", [](TEps& e) { e.ReverseData(1000, 3000); },
         [](TData& d) { TSampleEdits::Reverse(d, 1000, 3000); }},
        {"FadeIn", [](TEps& e) { e.FadeIn(0, 2000, 0); },
         [](TData& d) { TSampleEdits::FadeIn(d, 0, 2000); }},
        {"FadeOut", [](TEps& e) { e.FadeOut(5000, 9000, 0); },
         [](TData& d) { TSampleEdits::FadeOut(d, 5000, 9000); }},
        // Levels 64 (half) and 128 (unity) as the envelope editor packs them.
        {"Scale", [](TEps& e) { e.ScaleData(10000, 12000, 64, 256, 3); },
         [](TData& d) { TSampleEdits::Scale(d, 10000, 12000, 64, 128); }},
        {"Normalize", [](TEps& e) { e.NormalizeGain(); },
         [](TData& d) { TSampleEdits::Normalize(d, d.size()); }},
    };
    OpenWaveSample(0, 1);
    for (const TEditCase& edit : edits) {
        SCOPED_TRACE(edit.Name);
        TData expected = WaveSampleAt(0, 1).Data;
        edit.Expected(expected);
        edit.Request(*Eps);
        EXPECT_TRUE(Eps->FullViewStale);
        EXPECT_EQ(Eps->WaitForReply(), rrAck);
        EXPECT_TRUE(Eps->RefreshView());
        EXPECT_EQ(WaveSampleAt(0, 1).Data, expected);
    }
}

TEST_F(SamplerTest, NormalizeReachesPastTheEndOnlyAsTheSamplerDecides) {
    OpenWaveSample(1, 1);
    const TData before = WaveSampleAt(1, 1).Data;
    NewMessages();
    Eps->NormalizeGain();
    EXPECT_EQ(Eps->WaitForReply(), rrAck);
    const std::vector<TBytes> sent = NewMessages();
    // The address only, never a range.
    EXPECT_EQ(sent[0],
              TBytes({0xF0, 0x0F, 0x03, 0x00, 0x41, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0xF7}));
    EXPECT_NE(WaveSampleAt(1, 1).Data, before);
}

// Edits of about two seconds on 10000 samples, with wait responses every
// 50 ms, on the kick drum, which is not opened: preparing its work area would
// be slow too.
class SlowEditTest : public SamplerTest {
protected:
    void SetUp() override {
        TSamplerOptions options;
        options.Timing.EditPerSample = std::chrono::microseconds(200);
        options.Timing.WaitThreshold = std::chrono::milliseconds(50);
        options.Timing.WaitInterval = std::chrono::milliseconds(50);
        Start(options);
        ASSERT_TRUE(Eps->CheckConnection());
        Eps->Instrument = 1;
        Eps->WaveSample = 1;
        Expected = WaveSampleAt(1, 1).Data;
        TSampleEdits::Reverse(Expected, 0, 10000);
    }

    TData Expected;
};

// The wait responses keep the wait going well past the silence limit.
TEST_F(SlowEditTest, IsWaitedFor) {
    Eps->MidiIn->ByteTimeout = 1;
    Eps->ReverseData(0, 10000);
    EXPECT_EQ(Eps->WaitForReply(), rrAck);
    EXPECT_EQ(WaveSampleAt(1, 1).Data, Expected);
}

// The owner's Cancel ends the wait at once, as silence would, and so does
// the reply limit while the sampler still asks to wait; the sampler's late
// answer to the edit given up is not taken for the next request's.
TEST_F(SlowEditTest, AWaitGivenUpEndsAtOnceAndItsLateAnswerIsPassedOver) {
    const auto replyLimit = Eps->ReplyTimeLimit;
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "reply limit");
        TData expected = WaveSampleAt(1, 1).Data;
        TSampleEdits::Reverse(expected, 0, 10000);
        if (cancel) {
            Owner.CancelAtCall = Owner.WaitingCalls + 3;
        } else {
            Eps->ReplyTimeLimit = std::chrono::milliseconds(200);
        }
        Eps->ReverseData(0, 10000);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(IsUnanswered(Eps->WaitForReply()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(Eps->Cancelled(), cancel);
        EXPECT_EQ(Owner.Busy, 0);
        Eps->ReplyTimeLimit = replyLimit;

        EXPECT_TRUE(Eps->ReadConfiguration());
        EXPECT_FALSE(Eps->Cancelled());
        EXPECT_EQ(Eps->InstrumentName[1], "Drum Kit");
        EXPECT_EQ(WaveSampleAt(1, 1).Data, expected);
    }
}

// A connection check the user gave up shows no dialog.
TEST_F(SamplerTest, CancelledConnectionCheckAsksNothing) {
    Sampler().SetFaults({.Silent = true});
    Owner.CancelAtCall = 3;
    EXPECT_FALSE(Eps->CheckConnection());
    EXPECT_TRUE(Dialogs.Reasons.empty());
    EXPECT_TRUE(Eps->Cancelled());
    SettleSampler();
    Sampler().SetFaults({});
    EXPECT_TRUE(Eps->CheckConnection());
}

TEST_F(SamplerTest, PlayingUsesTheKeyInsideTheRange) {
    OpenWaveSample(1, 2);
    Eps->PlayNoteOn();
    ASSERT_TRUE(Eventually([this] { return Sampler().Performance().Sounding; }));
    const TSamplerProtocol::TPerformance played = Sampler().Performance();
    EXPECT_EQ(played.Instrument, 1);
    EXPECT_EQ(played.Key, 50);
    EXPECT_EQ(played.Velocity, 121);
    Eps->PlayNoteOff();
    EXPECT_TRUE(Eventually([this] { return !Sampler().Performance().Sounding; }));
}

// Open the demo piano, fade its start in, read the view back and find the
// faded points.
TEST_F(SamplerTest, FadedDemoWavesampleShowsTheFade) {
    OpenWaveSample(0, 1);
    const TData before = WaveSampleAt(0, 1).Data;
    const std::vector<std::int32_t> wholeBefore = Points(Eps->ViewPoints);

    Eps->FadeIn(0, 512, 0);
    Eps->WaitForReply();
    EXPECT_TRUE(Eps->RefreshView());
    EXPECT_FALSE(Eps->Zoomed);
    EXPECT_NE(Points(Eps->ViewPoints), wholeBefore);

    Eps->SetViewStart(0);
    Eps->SetViewEnd(512);
    EXPECT_TRUE(Eps->RefreshView());
    ASSERT_EQ(Eps->SamplesPerPoint, 1);
    TData faded = before;
    TSampleEdits::FadeIn(faded, 0, 512);
    EXPECT_EQ(Points(Eps->ViewPoints), Samples(faded, 0, 512));
    EXPECT_EQ(Eps->ViewPoints[0], 0);
    int quieter = 0;
    for (std::size_t i = 0; i < 511; ++i) {
        EXPECT_LE(std::abs(Eps->ViewPoints[i]), std::abs(before[i]) + 1) << i;
        quieter += std::abs(Eps->ViewPoints[i]) < std::abs(before[i]) ? 1 : 0;
    }
    EXPECT_GT(quieter, 400);
}

} // namespace
