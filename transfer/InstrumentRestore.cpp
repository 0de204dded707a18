#include "transfer/InstrumentRestore.h"

#include <algorithm>

#include "eps/ReplyText.h"
#include "platform/Utf8.h"
#include "transfer/JoinedText.h"
#include "transfer/Upload.h"
#include "transfer/Verify.h"

namespace {

// The sample memory of the family's largest sampler, in words: a backup
// beyond it cannot go into any of them.
constexpr std::uint64_t LargestMemoryWords = 8 * 1024 * 1024;

std::string InstrumentText(int instrument) {
    return "instrument " + std::to_string(instrument + 1);
}

} // namespace

TInstrumentRestore::TInstrumentRestore(TEps& eps, TTransferFrontEnd& frontEnd,
                                       std::string& uploadDownloadPath)
    : Eps(eps), Job(eps, frontEnd), UploadDownloadPath(uploadDownloadPath) {}

TTransferReport TInstrumentRestore::Run(const std::vector<TTarget>& targets) {
    if (!CheckBackups(targets) || !Eps.CheckConnection() || !CheckSlots()) {
        return Report;
    }
    Eps.SetAsideWavesample();
    std::uint64_t words = 0;
    for (const TPlan& plan : Plans) {
        for (const TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
            Report.Total += waveSample.File.empty() ? 0 : 1;
            words += waveSample.Samples();
        }
    }
    // Reading back moves as many words again.
    Job.Begin("Restoring...", static_cast<int>(Report.Total), Verify ? 2 * words : words);
    const bool restored =
        std::all_of(Plans.begin(), Plans.end(), [&](const TPlan& plan) { return Restore(plan); });
    Job.End();
    // The browser is to show what the sampler holds now.
    Eps.ReadConfiguration();
    if (restored) {
        Report.Outcome = toCompleted;
        Report.Message =
            "Restored " + DoneText() + "." + (Verify ? " Every sample read back the same." : "");
    }
    return Report;
}

bool TInstrumentRestore::CheckBackups(const std::vector<TTarget>& targets) {
    std::uint64_t words = 0;
    for (const TTarget& target : targets) {
        std::string problem;
        std::optional<TInstrumentManifest> manifest =
            TInstrumentManifest::Read(target.Folder, problem);
        if (!manifest) {
            return Fail(problem);
        }
        TPlan plan{std::move(*manifest), target.Folder, target.Instrument};
        if (plan.Instrument < 0) {
            plan.Instrument = plan.Manifest.Instrument;
        }
        for (TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
            if (waveSample.File.empty()) {
                continue;
            }
            // A file edited since would put other samples under the
            // backup's addresses.
            const std::string file = TUtf8::Text(target.Folder / TUtf8::Path(waveSample.File));
            std::uint32_t frames = 0;
            if (const auto problem = TUpload::Inspect(file, frames)) {
                return Fail(*problem);
            }
            if (frames != waveSample.Samples()) {
                return Fail(file + ": it holds " + std::to_string(frames) +
                            " samples; the backup's manifest says " +
                            std::to_string(waveSample.Samples()) + ".");
            }
            words += frames;
        }
        const auto same = [&](const TPlan& p) { return p.Instrument == plan.Instrument; };
        if (std::any_of(Plans.begin(), Plans.end(), same)) {
            return Fail("Two backups are to go into " + InstrumentText(plan.Instrument) + ".");
        }
        Plans.push_back(std::move(plan));
    }
    if (words > LargestMemoryWords) {
        return Fail("The backup holds " + std::to_string(words) +
                    " samples; no sampler of the family holds more than " +
                    std::to_string(LargestMemoryWords) + ".");
    }
    return true;
}

bool TInstrumentRestore::CheckSlots() {
    if (!Eps.ReadConfiguration()) {
        return Fail("The sampler's " + InstrumentText(Eps.UnreadInstrument) +
                    " could not be read (" + ReplyText(Eps.UnreadReply) +
                    "); nothing was restored.");
    }
    for (const TPlan& plan : Plans) {
        const auto i = static_cast<std::size_t>(plan.Instrument);
        if (Eps.InstrumentPresent[i] && !Replace) {
            return Fail("Instrument " + std::to_string(plan.Instrument + 1) + " holds " +
                        Eps.InstrumentName[i] + "; nothing was restored" +
                        (ReplaceAdvice.empty() ? "" : " (" + ReplaceAdvice + ")") + ".");
        }
    }
    return true;
}

bool TInstrumentRestore::Restore(const TPlan& plan) {
    Changed = false;
    Restored.clear();
    Fillers.clear();
    if (!CreateInstrument(plan) || !CreateSlots(plan)) {
        return false;
    }
    for (const TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
        if (!waveSample.File.empty() && !Upload(plan, waveSample)) {
            return false;
        }
    }
    for (const TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
        if (waveSample.File.empty() && !WriteWaveSampleWords(plan, waveSample)) {
            return false;
        }
    }
    if (!WriteInstrumentWords(plan)) {
        return false;
    }
    std::string done = plan.Manifest.Name() + " into " + InstrumentText(plan.Instrument);
    if (!Fillers.empty()) {
        done += " (slots " + Joined(Fillers, ", ") +
                " were free in the backup and now hold empty wavesamples: the sampler numbers "
                "new wavesamples in order)";
    }
    Finished.push_back(done);
    return true;
}

bool TInstrumentRestore::CreateInstrument(const TPlan& plan) {
    Eps.Instrument = plan.Instrument;
    if (Eps.InstrumentPresent[static_cast<std::size_t>(plan.Instrument)]) {
        return true;
    }
    if (!Create(plan, &TEps::CreateInstrument, "the instrument")) {
        return false;
    }
    Eps.SelectInstrument();
    return Create(plan, &TEps::CreateLayer, "its layer");
}

// The sampler puts a new wavesample into the lowest free slot, so slots are
// made in order until every one of the backup's is there.
bool TInstrumentRestore::CreateSlots(const TPlan& plan) {
    auto used = Eps.WaveSampleUsed[static_cast<std::size_t>(plan.Instrument)];
    for (const TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
        while (!used[static_cast<std::size_t>(waveSample.Number - 1)]) {
            if (!Create(plan, &TEps::CreateWaveSample,
                        "wavesample " + std::to_string(waveSample.Number))) {
                return false;
            }
            const auto slot = std::find(used.begin(), used.end(), false);
            *slot = true;
            const int number = static_cast<int>(slot - used.begin()) + 1;
            if (plan.Manifest.Find(number) == nullptr) {
                Fillers.push_back(number);
            }
        }
    }
    return true;
}

bool TInstrumentRestore::Create(const TPlan& plan, void (TEps::*request)(),
                                const std::string& what) {
    if (Job.Cancelled()) {
        return Stop(plan, "The restore was cancelled", toCancelled);
    }
    (Eps.*request)();
    TReplyResult reply = Eps.ProcessInput();
    if (reply == rrNoLayer && request == &TEps::CreateWaveSample) {
        Eps.CreateLayer();
        reply = Eps.ProcessInput();
        if (reply == rrAck) {
            Eps.CreateWaveSample();
            reply = Eps.ProcessInput();
        }
    }
    if (reply == rrAck) {
        Changed = true;
        return true;
    }
    const bool silent = IsUnanswered(reply);
    return Stop(plan,
                "The sampler " +
                    (silent ? std::string("did not answer")
                            : "refused (" + std::string(ReplyText(reply)) + ")") +
                    " when " + what + " was to be made",
                silent ? toNoAnswer : toRefused);
}

bool TInstrumentRestore::Upload(const TPlan& plan, const TManifestWaveSample& waveSample) {
    const std::string file = TUtf8::Text(plan.Folder / TUtf8::Path(waveSample.File));
    Job.Next(plan.Instrument, waveSample.Number, file, waveSample.Samples());
    TUpload upload(Eps, Job, UploadDownloadPath);
    upload.UseWords(waveSample.Words);
    upload.KeepInstrumentName();
    upload.KeepTarget();
    upload.NameJob("restore");
    const TTransferReport report = upload.Run();
    Changed = Changed || report.Done > 0;
    if (report.Outcome != toCompleted) {
        return Stop(plan,
                    report.Message.empty() ? "The upload of " + file + " did not start"
                                           : report.Message,
                    report.Outcome);
    }
    if (Verify && !CheckUpload(plan, waveSample)) {
        return false;
    }
    Restored.push_back(waveSample.Number);
    ++Report.Done;
    return true;
}

bool TInstrumentRestore::CheckUpload(const TPlan& plan, const TManifestWaveSample& waveSample) {
    const std::string file = TUtf8::Text(plan.Folder / TUtf8::Path(waveSample.File));
    Job.Again(waveSample.Samples());
    TVerify verify(Eps, Job, file, waveSample.Samples());
    const TTransferReport report = verify.Run();
    return report.Outcome == toCompleted || Stop(plan, report.Message, report.Outcome);
}

bool TInstrumentRestore::WriteWaveSampleWords(const TPlan& plan,
                                              const TManifestWaveSample& waveSample) {
    if (Job.Cancelled()) {
        return Stop(plan, "The restore was cancelled", toCancelled);
    }
    Eps.Instrument = plan.Instrument;
    Eps.WaveSample = waveSample.Number;
    Eps.WaveSampleParameters = waveSample.Words;
    const TWriteResult result = Eps.PutWaveSampleParameters();
    if (result != wrWritten) {
        return StopUnwritten(plan, result,
                             "the parameters of wavesample " + std::to_string(waveSample.Number));
    }
    Restored.push_back(waveSample.Number);
    return true;
}

// Which slots are used is the sampler's to say: the backup's words would
// hide or invent wavesamples.
bool TInstrumentRestore::WriteInstrumentWords(const TPlan& plan) {
    constexpr int SlotWords = 2 * InstrumentSlots;
    if (Job.Cancelled()) {
        return Stop(plan, "The restore was cancelled", toCancelled);
    }
    const TReplyResult reply = Eps.ReadInstrument(plan.Instrument);
    if (reply != rrInstrumentParameters) {
        return Stop(plan,
                    "The instrument's parameters could not be read (" +
                        std::string(ReplyText(reply)) + ")",
                    IsUnanswered(reply) ? toNoAnswer : toRefused);
    }
    TInstrumentBlock words = plan.Manifest.Words;
    std::copy_n(Eps.InstrumentParameters.begin() + InstrumentSlotWord, SlotWords,
                words.begin() + InstrumentSlotWord);
    Eps.InstrumentParameters = words;
    const TWriteResult result = Eps.WriteInstrument(plan.Instrument);
    if (result != wrWritten) {
        return StopUnwritten(plan, result, "the instrument's parameters");
    }
    return true;
}

bool TInstrumentRestore::Stop(const TPlan& plan, const std::string& message,
                              TTransferOutcome outcome) {
    std::vector<int> missing;
    for (const TManifestWaveSample& waveSample : plan.Manifest.WaveSamples) {
        if (std::find(Restored.begin(), Restored.end(), waveSample.Number) == Restored.end()) {
            missing.push_back(waveSample.Number);
        }
    }
    std::string text = message;
    while (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    text += ". Of " + plan.Manifest.Name() + ", restored into " + InstrumentText(plan.Instrument) +
            ": " + (Restored.empty() ? "no wavesample" : "wavesamples " + Joined(Restored, ", ")) +
            "; not restored: " +
            (missing.empty() ? std::string() : "wavesamples " + Joined(missing, ", ") + " and ") +
            "the instrument's own parameters.";
    if (Changed) {
        // A sampler that stopped answering is not asked for more.
        const bool renamed =
            outcome != toNoAnswer && Eps.RenameInstrument(plan.Instrument, IncompleteName);
        text += renamed ? " The instrument is named " + std::string(IncompleteName) + "."
                        : " The instrument could not be renamed to show it is incomplete.";
    }
    Report.Outcome = outcome == toCompleted || outcome == toNotStarted ? toFailed : outcome;
    Report.Message = text + (Finished.empty() ? "" : " Complete: " + DoneText() + ".");
    return false;
}

bool TInstrumentRestore::StopUnwritten(const TPlan& plan, TWriteResult result,
                                       const std::string& what) {
    const bool silent = result == wrUnanswered;
    return Stop(plan,
                std::string("The sampler ") + (silent ? "did not answer" : "refused") + " " + what,
                silent ? toNoAnswer : toRefused);
}

bool TInstrumentRestore::Fail(const std::string& message) {
    Report.Outcome = toFailed;
    Report.Message = message;
    return false;
}

std::string TInstrumentRestore::DoneText() const {
    return Joined(Finished, "; ");
}
