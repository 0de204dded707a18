#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/MidiPieces.h"
#include "platform/OsMidiProvider.h"

namespace {

using TBytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

struct TPieceCopy {
    bool SysEx;
    TBytes Bytes;
    bool operator==(const TPieceCopy&) const = default;
};

// Everything Split emits for one call, copied: the pieces only live during
// the call.
std::vector<TPieceCopy> Split(TMidiPieces& splitter, const TBytes& data) {
    std::vector<TPieceCopy> pieces;
    splitter.Split(data.data(), data.size(), [&](const TMidiPieces::TPiece& piece) {
        pieces.push_back({piece.SysEx, TBytes(piece.Bytes.begin(), piece.Bytes.end())});
    });
    return pieces;
}

TPieceCopy Short(TBytes bytes) {
    return {false, std::move(bytes)};
}
TPieceCopy Fragment(TBytes bytes) {
    return {true, std::move(bytes)};
}

// A whole System Exclusive message of the given length, F0 and F7 included.
TBytes SysExMessage(std::size_t length) {
    TBytes message(length);
    for (std::size_t i = 0; i < length; ++i) {
        message[i] = static_cast<std::uint8_t>(i * 7 % 128);
    }
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

// The fragments must be System Exclusive, none longer than the limit, and
// together exactly the message.
void ExpectFragmentsOf(const std::vector<TPieceCopy>& pieces, const TBytes& message) {
    TBytes joined;
    for (const auto& piece : pieces) {
        ASSERT_TRUE(piece.SysEx);
        ASSERT_FALSE(piece.Bytes.empty());
        ASSERT_LE(piece.Bytes.size(), std::size_t{TMidiPieces::MaxFragment});
        joined.insert(joined.end(), piece.Bytes.begin(), piece.Bytes.end());
    }
    EXPECT_EQ(joined, message);
}

TBytes Join(TMidiPieces& joiner, const std::vector<TPieceCopy>& events) {
    TBytes out;
    for (const auto& event : events) {
        joiner.Join(event.Bytes.data(), event.Bytes.size(), event.SysEx, out);
    }
    return out;
}

TEST(MidiPiecesSplit, LargeBlockLeavesInFullFragments) {
    TMidiPieces splitter;
    const TBytes message = SysExMessage(30725);
    const auto pieces = Split(splitter, message);
    ExpectFragmentsOf(pieces, message);
    ASSERT_EQ(pieces.size(), 121u); // 120 full fragments and 5 bytes
    EXPECT_EQ(pieces[0].Bytes.size(), 256u);
    EXPECT_EQ(pieces.back().Bytes.size(), 5u);
}

TEST(MidiPiecesSplit, MessageOverSeveralCallsKeepsItsState) {
    TMidiPieces splitter;
    const TBytes message = SysExMessage(40000);
    const TBytes first(message.begin(), message.begin() + 32768);
    TBytes second(message.begin() + 32768, message.end());
    second.insert(second.end(), {0xC0, 0x05});

    auto pieces = Split(splitter, first);
    ExpectFragmentsOf(pieces, first);
    auto rest = Split(splitter, second);
    ASSERT_EQ(rest.back(), Short({0xC0, 0x05}));
    rest.pop_back();
    // The continuation is System Exclusive data, not running-status bytes.
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    ExpectFragmentsOf(pieces, message);
}

TEST(MidiPiecesSplit, ShortMessagesLeaveWhole) {
    TMidiPieces splitter;
    const TBytes stream = {0x90, 0x3C, 0x7F, 0x80, 0x3C, 0x00, 0xC3, 0x12, 0xB0, 0x07,
                           0x64, 0xD1, 0x40, 0xA2, 0x3C, 0x20, 0xE0, 0x00, 0x40, 0xF6};
    EXPECT_EQ(Split(splitter, stream),
              (std::vector<TPieceCopy>{Short({0x90, 0x3C, 0x7F}), Short({0x80, 0x3C, 0x00}),
                                       Short({0xC3, 0x12}), Short({0xB0, 0x07, 0x64}),
                                       Short({0xD1, 0x40}), Short({0xA2, 0x3C, 0x20}),
                                       Short({0xE0, 0x00, 0x40}), Short({0xF6})}));
}

TEST(MidiPiecesSplit, RunningStatusAndMessagesSplitOverCalls) {
    TMidiPieces splitter;
    EXPECT_TRUE(Split(splitter, {0x90, 0x3C}).empty());
    EXPECT_EQ(Split(splitter, {0x40, 0x3E, 0x41}),
              (std::vector<TPieceCopy>{Short({0x90, 0x3C, 0x40}), Short({0x90, 0x3E, 0x41})}));
    // A system common message cancels running status: the data is stray.
    EXPECT_EQ(Split(splitter, {0xF3, 0x02, 0x3C, 0x40}),
              (std::vector<TPieceCopy>{Short({0xF3, 0x02})}));
}

TEST(MidiPiecesSplit, RealtimeInsideSysExKeepsItsPlace) {
    TMidiPieces splitter;
    EXPECT_EQ(Split(splitter, {0xF0, 0x01, 0x02, 0xF8, 0x03, 0xF7}),
              (std::vector<TPieceCopy>{Fragment({0xF0, 0x01, 0x02}), Short({0xF8}),
                                       Fragment({0x03, 0xF7})}));
}

TEST(MidiPiecesSplit, StatusBytesEndAnUnfinishedMessage) {
    TMidiPieces splitter;
    // A new F0 before the F7: both messages go out as they are.
    EXPECT_EQ(
        Split(splitter, {0xF0, 0x01, 0x02, 0xF0, 0x03, 0xF7}),
        (std::vector<TPieceCopy>{Fragment({0xF0, 0x01, 0x02}), Fragment({0xF0, 0x03, 0xF7})}));
    // A channel message ends one too; what follows is that message's data.
    EXPECT_EQ(Split(splitter, {0xF0, 0x01, 0x90, 0x3C, 0x40, 0x3E, 0x41}),
              (std::vector<TPieceCopy>{Fragment({0xF0, 0x01}), Short({0x90, 0x3C, 0x40}),
                                       Short({0x90, 0x3E, 0x41})}));
    // After a whole message data bytes are stray, and so is a lone F7.
    EXPECT_EQ(Split(splitter, {0x90, 0x3C, 0x40, 0xF0, 0x05, 0xF7, 0x3C, 0x40, 0xF7}),
              (std::vector<TPieceCopy>{Short({0x90, 0x3C, 0x40}), Fragment({0xF0, 0x05, 0xF7})}));
}

TEST(MidiPiecesPace, DelayIsWireTimeLessTimeSpent) {
    EXPECT_EQ(TMidiPieces::PaceDelay(256, 0us), 81920us);
    EXPECT_EQ(TMidiPieces::PaceDelay(256, 1920us), 80000us);
    EXPECT_EQ(TMidiPieces::PaceDelay(3, 5000us), 0us);

    // A 30725-byte block takes as long as on a cable, however it is cut.
    TMidiPieces splitter;
    std::chrono::microseconds total{0};
    for (const auto& piece : Split(splitter, SysExMessage(30725))) {
        total += TMidiPieces::PaceDelay(piece.Bytes.size(), 0us);
    }
    EXPECT_EQ(total, 9832000us);
}

TEST(MidiPiecesJoin, FragmentsOfALargeBlockJoinWhole) {
    TMidiPieces splitter;
    TMidiPieces joiner;
    const TBytes message = SysExMessage(30725);
    EXPECT_EQ(Join(joiner, Split(splitter, message)), message);
}

TEST(MidiPiecesJoin, RealtimeBetweenFragmentsDoesNotEndTheMessage) {
    TMidiPieces joiner;
    EXPECT_EQ(Join(joiner, {Fragment({0xF0, 0x01}), Short({0xF8}), Fragment({0x02}), Short({0xFE}),
                            Fragment({0x03, 0xF7})}),
              (TBytes{0xF0, 0x01, 0xF8, 0x02, 0xFE, 0x03, 0xF7}));
}

TEST(MidiPiecesJoin, NewMessageBeforeTheEndOfTheLast) {
    TMidiPieces joiner;
    // The unfinished message is delivered as received; the receiver sees the
    // new F0 end it, as on a cable.
    EXPECT_EQ(Join(joiner,
                   {Fragment({0xF0, 0x01, 0x02}), Fragment({0xF0, 0x03}), Fragment({0x04, 0xF7})}),
              (TBytes{0xF0, 0x01, 0x02, 0xF0, 0x03, 0x04, 0xF7}));
}

TEST(MidiPiecesJoin, DataOfAMessageWhoseStartWasMissedIsDropped) {
    TMidiPieces joiner;
    // Opened in the middle of a message.
    EXPECT_EQ(Join(joiner, {Fragment({0x05, 0x06}), Fragment({0x07, 0xF7}), Short({0xC0, 0x01})}),
              (TBytes{0xC0, 0x01}));
    // A short message cut into a message ends it; its rest is dropped.
    EXPECT_EQ(Join(joiner, {Fragment({0xF0, 0x01}), Short({0x90, 0x3C, 0x40}), Short({0xF8}),
                            Fragment({0x02, 0xF7})}),
              (TBytes{0xF0, 0x01, 0x90, 0x3C, 0x40, 0xF8}));
}

TEST(MidiPiecesJoin, SplitAndJoinGiveBackAMixedStream) {
    TBytes stream = {0xC0, 0x05, 0x90, 0x3C, 0x40};
    const TBytes message = SysExMessage(1000);
    stream.insert(stream.end(), message.begin(), message.begin() + 600);
    stream.push_back(0xF8);
    stream.insert(stream.end(), message.begin() + 600, message.end());
    stream.insert(stream.end(), {0xB0, 0x07, 0x64, 0xF0, 0x01, 0xF7});

    TMidiPieces splitter;
    TMidiPieces joiner;
    EXPECT_EQ(Join(joiner, Split(splitter, stream)), stream);
}

// This machine has no sound devices; where one has, the OS ports are real.
// On Windows (and Wine in front of a sequencer) the path means nothing, and
// only the list itself tells whether the system has ports.
TEST(OsMidiProvider, WithoutASequencerListsNothingAndOpensNothing) {
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this system has a MIDI sequencer";
    }
    const auto provider = CreateOsMidiProvider();
    ASSERT_NE(provider, nullptr);
#ifdef _WIN32
    if (!provider->InputNames().empty() || !provider->OutputNames().empty()) {
        GTEST_SKIP() << "this system has MIDI devices";
    }
#endif
    EXPECT_TRUE(provider->InputNames().empty());
    EXPECT_TRUE(provider->OutputNames().empty());
    struct TNoSink : TMidiByteSink {
        void Received(const std::uint8_t*, std::size_t) override { ADD_FAILURE(); }
    } sink;
    EXPECT_EQ(provider->OpenInput(0, sink), nullptr);
    EXPECT_EQ(provider->OpenOutput(0), nullptr);
}

} // namespace
