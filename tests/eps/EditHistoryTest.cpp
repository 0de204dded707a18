// Undo and redo against the virtual sampler: for every kind of edit the
// sampler's data and parameter words are exactly as before after an undo and
// exactly as after the edit after a redo; the steps go back in order; a
// sampler without room for the undo copy has the user asked before the
// edit; closing ends the history and leaves the spare area silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/eps/SamplerFixture.h"

namespace {

using TData = std::vector<std::int16_t>;

constexpr int Slot = 5;
constexpr int Number = 2;
constexpr std::size_t Length = 3000;
constexpr std::uint8_t NormalizeCode = 0x41;
constexpr std::uint8_t OverviewCode = 0x0A;
constexpr std::uint8_t ReadDataCode = 0x06;
// An undo or redo of one step may send this much besides the view's read.
constexpr std::size_t StepBytesLimit = 500;

TData Ramp(std::size_t count) {
    TData data(count);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = static_cast<std::int16_t>(1000 + (i * 37) % 20000);
    }
    return data;
}

// One request and its answer, as the edit commands send them.
TEditHistory::TRequests Request(std::function<void(TEps&)> send) {
    return [send](TEps& eps) {
        send(eps);
        return eps.WaitForReply();
    };
}

struct TEdit {
    const char* Name;
    std::function<void(TEps&)> Run;
};

void RangeEdit(TEps& eps, std::int32_t start, std::int32_t end, std::function<void(TEps&)> send) {
    eps.History.Edit("edit", TSampleRange::Before(start, end), Request(std::move(send)));
}

void ParameterEdit(TEps& eps, const std::function<void(TWaveSampleBlock&)>& change) {
    TWaveSampleBlock changed = eps.WaveSampleParameters;
    change(changed);
    eps.History.ChangeParameters("edit", changed);
}

const TEdit Edits[] = {
    {"clear", [](TEps& e) { RangeEdit(e, 100, 200, [](TEps& s) { s.ClearData(100, 200); }); }},
    {"reverse", [](TEps& e) { RangeEdit(e, 100, 900, [](TEps& s) { s.ReverseData(100, 900); }); }},
    {"fade in", [](TEps& e) { RangeEdit(e, 100, 200, [](TEps& s) { s.FadeIn(100, 199, 0); }); }},
    {"fade out", [](TEps& e) { RangeEdit(e, 300, 700, [](TEps& s) { s.FadeOut(300, 700, 0); }); }},
    {"scale",
     [](TEps& e) {
         e.History.Edit("edit", {1000, 1999}, [](TEps& s) {
             s.ScaleData(1000, 1500, 0x100, 0x200, 0);
             s.WaitForReply();
             s.ScaleData(1500, 2000, 0x200, 0x40, 0);
             return s.WaitForReply();
         });
     }},
    {"normalize",
     [](TEps& e) { RangeEdit(e, 0, e.LastSample + 1, [](TEps& s) { s.NormalizeGain(); }); }},
    {"marker move",
     [](TEps& e) {
         ParameterEdit(e, [](TWaveSampleBlock& b) { SetSampleAddressOf(b, wpLoopStart, 1234); });
     }},
    {"playback mode",
     [](TEps& e) { ParameterEdit(e, [](TWaveSampleBlock& b) { b[wpPlaybackMode] = 768; }); }},
};

std::size_t Bytes(const std::vector<TBytes>& messages) {
    std::size_t bytes = 0;
    for (const TBytes& message : messages) {
        const std::uint8_t code = CodeOf(message);
        bytes += code == OverviewCode || code == ReadDataCode ? 0 : message.size();
    }
    return bytes;
}

} // namespace

class EditHistoryTest : public SamplerTest {
protected:
    struct TState {
        TData Data;
        TWaveSample::TParameters Parameters;
        bool operator==(const TState&) const = default;
    };

    void OpenRamp(std::size_t length = Length) {
        PlaceWaveSample(Slot, Number, Ramp(length));
        ASSERT_NO_FATAL_FAILURE(OpenWaveSample(Slot, Number));
        NewMessages();
    }
    // The wavesample's data up to its length and its parameter words.
    TState State(std::size_t length = Length) {
        TWaveSample waveSample = WaveSampleAt(Slot, Number);
        waveSample.Data.resize(length);
        return {waveSample.Data, waveSample.Parameters};
    }
    TData Spare() {
        const TData data = WaveSampleAt(Slot, Number).Data;
        return {data.begin() + SpareStart, data.end()};
    }
    // Behind the work area the engine prepares for the ramp.
    static constexpr std::ptrdiff_t SpareStart = (2999 & ~0x1FF) * 2 + 1024 + 1;
};

TEST_F(EditHistoryTest, UndoRestoresAndRedoRepeatsEveryKindOfEdit) {
    for (const TEdit& edit : Edits) {
        SCOPED_TRACE(edit.Name);
        Eps->CloseWavesample();
        ASSERT_NO_FATAL_FAILURE(OpenRamp());
        const TState before = State();
        edit.Run(*Eps);
        const TState after = State();
        ASSERT_NE(after, before);
        ASSERT_TRUE(Eps->History.CanUndo());
        NewMessages();

        Eps->History.Undo();
        EXPECT_EQ(State(), before);
        EXPECT_LE(Bytes(NewMessages()), StepBytesLimit);
        EXPECT_FALSE(Eps->History.CanUndo());
        ASSERT_TRUE(Eps->History.CanRedo());

        Eps->History.Redo();
        EXPECT_EQ(State(), after);
        EXPECT_LE(Bytes(NewMessages()), StepBytesLimit);
        EXPECT_FALSE(Eps->History.CanRedo());

        Eps->History.Undo();
        EXPECT_EQ(State(), before);
        EXPECT_TRUE(Dialogs.Warnings.empty());
    }
}

// Each step goes back in turn to the state before it and forward again; a
// new edit after undos drops the steps that could have been redone.
TEST_F(EditHistoryTest, StepsGoBackAndForwardInOrder) {
    ASSERT_NO_FATAL_FAILURE(OpenRamp());
    std::vector<TState> states{State()};
    for (const TEdit& edit : Edits) {
        edit.Run(*Eps);
        states.push_back(State());
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        Eps->History.Undo();
        EXPECT_EQ(State(), states[i - 1]) << Edits[i - 1].Name;
    }
    EXPECT_FALSE(Eps->History.CanUndo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        Eps->History.Redo();
        EXPECT_EQ(State(), states[i]) << Edits[i - 1].Name;
    }
    Eps->History.Undo();
    Eps->History.Undo();
    Edits[0].Run(*Eps);
    EXPECT_FALSE(Eps->History.CanRedo());
    Eps->History.Undo();
    EXPECT_EQ(State(), states[states.size() - 3]);
}

// A wavesample so long that its work area fits in the sampler but a copy of
// it beside does not: normalizing it asks first. No sends no edit and keeps
// the older step; Yes normalizes with no step to undo.
TEST_F(EditHistoryTest, NoRoomForTheCopyAsksBeforeTheEdit) {
    std::size_t free = 0;
    Sampler().Inspect(
        [&](TSamplerModel& model) { free = model.MemoryWords() - model.UsedWords(); });
    const std::size_t length = (free - 1024) * 2 / 5;
    ASSERT_NO_FATAL_FAILURE(OpenRamp(length));
    Edits[0].Run(*Eps);
    const TState cleared = State(length);
    NewMessages();

    Dialogs.EditWithoutUndo = false;
    Edits[5].Run(*Eps);
    EXPECT_EQ(Dialogs.UndoQuestions, 1);
    const std::vector<TBytes> declined = NewMessages();
    EXPECT_TRUE(std::none_of(declined.begin(), declined.end(),
                             [](const TBytes& m) { return CodeOf(m) == NormalizeCode; }));
    EXPECT_EQ(State(length), cleared);
    EXPECT_TRUE(Eps->History.CanUndo());

    Dialogs.EditWithoutUndo = true;
    Edits[5].Run(*Eps);
    EXPECT_EQ(Dialogs.UndoQuestions, 2);
    const TState normalized = State(length);
    EXPECT_EQ(*std::max_element(normalized.Data.begin(), normalized.Data.end()), 32767);
    EXPECT_FALSE(Eps->History.CanUndo());
    Eps->History.Undo();
    EXPECT_EQ(State(length), normalized);
}

// At the limit a new edit's copy may take the place of the oldest step's
// copy, since that step goes with the edit. When the sampler does not answer
// the copy, the copy may have landed all the same: the oldest step goes too.
// Every step left undoes exactly and redoes exactly.
TEST_F(EditHistoryTest, BeyondTheLimitAndAfterAnUnansweredCopyEveryStepLeftIsExact) {
    constexpr std::int32_t Span = 200;
    constexpr std::int32_t Apart = 100;
    constexpr int Beyond = static_cast<int>(TEditHistory::MaxSteps) + 1;
    Eps->MidiIn->ByteTimeout = 1;
    ASSERT_NO_FATAL_FAILURE(OpenRamp());
    const auto reverse = [this](std::int32_t start) {
        RangeEdit(*Eps, start, start + Span,
                  [start](TEps& s) { s.ReverseData(start, start + Span); });
    };
    // states[n]: after the n-th edit.
    std::vector<TState> states{State()};
    for (int i = 0; i < Beyond; ++i) {
        reverse(i * Apart);
        states.push_back(State());
    }
    Sampler().SetFaults({.Silent = true});
    reverse(Beyond * Apart + 2 * Span);
    SettleSampler();
    Sampler().SetFaults({});
    EXPECT_EQ(Dialogs.Warnings.size(), 1u);
    EXPECT_EQ(State(), states.back());

    // The first edit went beyond the limit, the second with the copy.
    const int oldestLeft = 3;
    int n = Beyond;
    for (; n > 0 && Eps->History.CanUndo(); --n) {
        Eps->History.Undo();
        EXPECT_EQ(State(), states[static_cast<std::size_t>(n - 1)]) << n;
    }
    EXPECT_EQ(n, oldestLeft - 1);
    for (n = oldestLeft; n <= Beyond; ++n) {
        Eps->History.Redo();
        EXPECT_EQ(State(), states[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_FALSE(Eps->History.CanRedo());
}

TEST_F(EditHistoryTest, ClosingEndsTheHistoryAndSilencesTheSpareArea) {
    ASSERT_NO_FATAL_FAILURE(OpenRamp());
    Edits[1].Run(*Eps);
    Edits[3].Run(*Eps);
    const TData kept = Spare();
    EXPECT_FALSE(std::all_of(kept.begin(), kept.end(), [](std::int16_t v) { return v == 0; }));
    Eps->CloseWavesample();
    EXPECT_FALSE(Eps->History.CanUndo());
    const TData left = Spare();
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](std::int16_t v) { return v == 0; }));
    ASSERT_NO_FATAL_FAILURE(OpenWaveSample(Slot, Number));
    EXPECT_FALSE(Eps->History.CanUndo());
    EXPECT_FALSE(Eps->History.CanRedo());
}
