#include "transfer/InstrumentBackup.h"

#include <cstdio>
#include <span>

#include "eps/Names.h"
#include "eps/ReplyText.h"
#include "platform/Utf8.h"
#include "transfer/BackupFolder.h"
#include "transfer/Download.h"
#include "transfer/JoinedText.h"
#include "transfer/SafeFileName.h"
#include "transfer/WaveFile.h"

namespace {

template <std::size_t N> std::string NameIn(const std::array<std::int32_t, N>& words) {
    return DecodeName(std::span<const std::int32_t, NameWords>(words.data(), NameWords));
}

// What a backup saves of a wavesample with data of its own: all the memory
// its addresses reach; nothing when it has no rate a file could say.
TSampleRange HeldOf(const TWaveSampleBlock& words) {
    const auto period = static_cast<std::uint32_t>(words[wpSamplingPeriod]);
    return PeriodToRate(period) != 0 ? MemoryRangeOf(words) : TSampleRange{};
}

} // namespace

TInstrumentBackup::TInstrumentBackup(TEps& eps, TTransferFrontEnd& frontEnd,
                                     std::string& uploadDownloadPath)
    : Eps(eps), Job(eps, frontEnd), UploadDownloadPath(uploadDownloadPath) {}

std::string TInstrumentBackup::FileName(int waveSample, const std::string& name) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", waveSample);
    return number + SafeFileName(name, "Unnamed") + ".wav";
}

std::string TInstrumentBackup::FolderName(int instrument, const std::string& name) {
    return std::to_string(instrument + 1) + "-" + SafeFileName(name, "Unnamed");
}

TTransferReport TInstrumentBackup::Run(const std::vector<TTarget>& targets) {
    Eps.SetAsideWavesample();
    std::vector<TInstrumentManifest> manifests(targets.size());
    std::uint64_t words = 0;
    for (std::size_t t = 0; t < targets.size(); ++t) {
        if (!ReadParameters(targets[t], manifests[t])) {
            return Report;
        }
    }
    for (const TInstrumentManifest& manifest : manifests) {
        for (const TManifestWaveSample& waveSample : manifest.WaveSamples) {
            Report.Total += waveSample.File.empty() ? 0 : 1;
            words += waveSample.Samples();
        }
    }
    Job.Begin("Backing up...", static_cast<int>(Report.Total), words);
    for (std::size_t t = 0; t < targets.size(); ++t) {
        if (!BackUp(targets[t], manifests[t])) {
            Job.End();
            return Report;
        }
    }
    Job.End();
    Report.Outcome = toCompleted;
    Report.Message = "Backed up " + DoneText() + ".";
    return Report;
}

bool TInstrumentBackup::ReadParameters(const TTarget& target, TInstrumentManifest& manifest) {
    const auto i = static_cast<std::size_t>(target.Instrument);
    const std::string instrument = "instrument " + std::to_string(target.Instrument + 1);
    if (const TReplyResult reply = Eps.ReadInstrument(target.Instrument);
        reply != rrInstrumentParameters) {
        return Stop("The parameters of " + instrument + " could not be read (" + ReplyText(reply) +
                    ").");
    }
    manifest.Instrument = target.Instrument;
    manifest.Words = Eps.InstrumentParameters;
    for (int n = 1; n <= InstrumentSlots; ++n) {
        if (!Eps.WaveSampleUsed[i][static_cast<std::size_t>(n - 1)]) {
            continue;
        }
        Eps.Instrument = target.Instrument;
        Eps.WaveSample = n;
        if (Eps.OpenWavesample(false) == orFailed) {
            return Stop("The parameters of wavesample " + std::to_string(n) + " of " + instrument +
                        " could not be read.");
        }
        TManifestWaveSample waveSample;
        waveSample.Number = n;
        waveSample.Words = Eps.WaveSampleParameters;
        if (waveSample.CopyOf() == 0) {
            waveSample.Held = HeldOf(waveSample.Words);
        }
        if (!waveSample.Held.Empty()) {
            waveSample.File = FileName(n, NameIn(waveSample.Words));
        }
        manifest.WaveSamples.push_back(waveSample);
    }
    return true;
}

bool TInstrumentBackup::BackUp(const TTarget& target, const TInstrumentManifest& manifest) {
    TBackupFolder folder(target.Folder);
    std::string problem;
    if (!folder.Prepare(problem)) {
        return Stop(problem);
    }
    for (const TManifestWaveSample& waveSample : manifest.WaveSamples) {
        if (!waveSample.File.empty() && !Download(folder, manifest, waveSample)) {
            return false;
        }
    }
    if (!manifest.Write(folder.Staging(), problem) || !folder.PutInPlace(problem)) {
        return Stop("The backup stopped: " + problem + ".");
    }
    Finished.push_back(manifest.Name() + " in " + TUtf8::Text(target.Folder));
    return true;
}

bool TInstrumentBackup::Download(const TBackupFolder& folder, const TInstrumentManifest& manifest,
                                 const TManifestWaveSample& waveSample) {
    Job.Next(manifest.Instrument, waveSample.Number,
             TUtf8::Text(folder.Staging() / TUtf8::Path(waveSample.File)), waveSample.Samples());
    TDownload download(Eps, Job, UploadDownloadPath);
    download.SaveWholeMemory();
    const TTransferReport report = download.Run();
    if (report.Outcome == toCompleted) {
        ++Report.Done;
        return true;
    }
    const std::string where =
        "wavesample " + std::to_string(waveSample.Number) + " of " + manifest.Name();
    const std::string why = report.Message.empty() ? "it could not be read." : report.Message;
    const std::string kept =
        folder.TargetHoldsBackup()
            ? " The earlier backup in " + TUtf8::Text(folder.Target()) + " is as it was."
            : "";
    return Stop("The backup stopped at " + where + ": " + why + " What it saved is in " +
                    TUtf8::Text(folder.Staging()) + ", which no restore reads." + kept,
                report.Outcome);
}

bool TInstrumentBackup::Stop(const std::string& message, TTransferOutcome outcome) {
    Report.Outcome = outcome == toCompleted || outcome == toNotStarted ? toFailed : outcome;
    Report.Message = message + " Complete: " + DoneText() + ".";
    return false;
}

std::string TInstrumentBackup::DoneText() const {
    if (Finished.empty()) {
        return "no instrument";
    }
    return Joined(Finished, "; ");
}
