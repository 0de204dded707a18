#include "transfer/JobFrontEnd.h"

namespace {

std::string KilobytesText(std::uint64_t words) {
    return std::to_string((2 * words + 1023) / 1024);
}

} // namespace

TJobFrontEnd::TJobFrontEnd(TEps& eps, TTransferFrontEnd& outer) : Eps(eps), Outer(outer) {}

void TJobFrontEnd::Begin(const std::string& caption, int count, std::uint64_t words) {
    Count = count;
    Words = words;
    Index = 0;
    WordsBefore = 0;
    CurrentWords = 0;
    CancelSeen = false;
    Start = TClock::now();
    LastProgress = Start;
    Outer.BeginTransfer(caption);
}

void TJobFrontEnd::Next(int instrument, int waveSample, const std::string& file,
                        std::uint32_t words) {
    WordsBefore += CurrentWords;
    CurrentWords = words;
    ++Index;
    Instrument = instrument;
    WaveSample = waveSample;
    File = file;
    TargetGiven = false;
    Last = {};
    ShowWhere(WordsBefore);
}

void TJobFrontEnd::Again(std::uint32_t words) {
    WordsBefore += CurrentWords;
    CurrentWords = words;
    TargetGiven = false;
    Last = {};
}

void TJobFrontEnd::End() {
    Outer.EndTransfer();
}

// A second choice in one transfer means the wavesample chosen could not be
// read: there is no other to offer.
bool TJobFrontEnd::ChooseTarget(TTransferDirection) {
    if (TargetGiven) {
        return false;
    }
    TargetGiven = true;
    Eps.Instrument = Instrument;
    Eps.WaveSample = WaveSample;
    return true;
}

std::string TJobFrontEnd::ChooseFile(TTransferDirection, const std::string&) {
    return File;
}

void TJobFrontEnd::ShowProgress(float, float percent) {
    const auto done =
        WordsBefore + static_cast<std::uint64_t>(static_cast<double>(percent) / 100 * CurrentWords);
    const TClock::time_point now = TClock::now();
    const double elapsed = std::chrono::duration<double>(now - Start).count();
    const double estimate =
        done == 0 ? 0 : elapsed * static_cast<double>(Words - done) / static_cast<double>(done);
    const float secondsLeft = TimeLeft.Next(
        static_cast<float>(estimate), std::chrono::duration<float>(now - LastProgress).count());
    LastProgress = now;
    ShowWhere(done);
    Outer.ShowProgress(secondsLeft, Words == 0
                                        ? 100.0f
                                        : static_cast<float>(100.0 * static_cast<double>(done) /
                                                             static_cast<double>(Words)));
}

bool TJobFrontEnd::Cancelled() {
    CancelSeen = CancelSeen || Outer.Cancelled();
    return CancelSeen;
}

void TJobFrontEnd::ShowWhere(std::uint64_t done) {
    Outer.ShowStep("Wavesample " + std::to_string(Index) + " of " + std::to_string(Count) + ", " +
                   KilobytesText(done) + " of " + KilobytesText(Words) + " KB");
}
