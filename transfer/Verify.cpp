#include "transfer/Verify.h"

#include "debug/MidiInDump.h"
#include "transfer/SoundFile.h"

namespace {

// The upload sends words whose low 16 bits are the sample.
std::int16_t SampleOf(std::int32_t word) {
    return static_cast<std::int16_t>(word & 0xFFFF);
}

} // namespace

TVerify::TVerify(TEps& eps, TTransferFrontEnd& frontEnd, const std::string& file,
                 std::uint32_t frames)
    : TBlockReader(eps, frontEnd) {
    Report.File = file;
    Report.Total = frames;
}

TTransferReport TVerify::Run() {
    Trace("-Verify-");
    if (Prepare()) {
        Transfer();
    }
    FrontEnd.TransferEnded(Report);
    return Report;
}

bool TVerify::Prepare() {
    if (!Eps.CheckConnection() || !OpenReportFile("rb", "Unable to open file ", "Cannot open ")) {
        return false;
    }
    TSoundFile sound(File.get(), Report.File, KeepRate);
    std::optional<std::vector<std::int16_t>> words = sound.Decode();
    if (!words) {
        return Fail(*sound.Problem());
    }
    // No samples to compare would leave no progress to show.
    if (Report.Total == 0 || words->size() < Report.Total) {
        return Fail(Report.File + " holds " + std::to_string(words->size()) + " frames; " +
                    std::to_string(Report.Total) + " were to be verified.");
    }
    FileWords = std::move(*words);
    return true;
}

void TVerify::Transfer() {
    FrontEnd.BeginTransfer("Verifying...");
    const bool completed =
        ReadBlocks(TSampleRange::Counted(0, static_cast<std::int32_t>(Report.Total)));
    Trace("End of Verify");
    DumpMidiIn(*Eps.MidiIn);
    File.reset();
    FrontEnd.EndTransfer();
    Settle(completed);
}

bool TVerify::TakeBlock(std::span<const std::int32_t> words) {
    const std::uint32_t first = FramesRead;
    FramesRead += static_cast<std::uint32_t>(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::int16_t file = FileWords[first + i];
        if (file != SampleOf(words[i])) {
            Difference = {first + static_cast<std::uint32_t>(i), file, SampleOf(words[i])};
            return false;
        }
    }
    return true;
}

void TVerify::Settle(bool completed) {
    if (Difference) {
        Fail("Verify: sample " + std::to_string(Difference->Sample) + " differs (file " +
             std::to_string(Difference->File) + ", sampler " + std::to_string(Difference->Sampler) +
             ").");
        return;
    }
    const std::string ending = SettleOutcome(completed, "verification");
    const std::string total = std::to_string(Report.Total);
    Report.Message = Report.Outcome == toCompleted
                         ? "Verified " + total + " samples."
                         : ending + " after " + std::to_string(Report.Done) + " of " + total +
                               " samples of " + TargetText() + " matched.";
}
