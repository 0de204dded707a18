#include "transfer/Download.h"

#include "debug/MidiInDump.h"
#include "transfer/WaveFile.h"

TDownload::TDownload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath)
    : TBlockReader(eps, frontEnd, uploadDownloadPath) {}

TTransferReport TDownload::Run() {
    Trace("-Download-");
    if (Prepare()) {
        Transfer();
    }
    FrontEnd.TransferEnded(Report);
    return Report;
}

bool TDownload::Prepare() {
    if (!Eps.CheckConnection()) {
        return false;
    }
    if (!Eps.WaveSampleOpen && !ChooseWaveSample()) {
        return false;
    }
    const TWaveSampleBlock& words = Eps.WaveSampleParameters;
    Saved = WholeMemory ? MemoryRangeOf(words) : SampleRangeOf(words);
    // Checked before the file is asked for, so that nothing is written.
    if (const std::optional<std::string> problem = NothingToSave()) {
        return Fail(*problem);
    }
    return CreateFile();
}

bool TDownload::ChooseWaveSample() {
    for (;;) {
        if (!FrontEnd.ChooseTarget(tdDownload)) {
            return false;
        }
        // A parameters-only copy goes on too: the sampler decides whether
        // it serves the data.
        if (Eps.OpenWavesample(false) != orFailed) {
            return true;
        }
    }
}

std::optional<std::string> TDownload::NothingToSave() const {
    if (Saved.Empty()) {
        return "Nothing to download: " + TargetText() + " holds no samples (start " +
               std::to_string(Saved.First) + ", end " + std::to_string(Saved.Last) + ").";
    }
    if (PeriodToRate(static_cast<std::uint32_t>(Eps.WaveSampleParameters[wpSamplingPeriod])) == 0) {
        return "Cannot download " + TargetText() + ": it has no sample rate (its period is 0).";
    }
    return std::nullopt;
}

bool TDownload::CreateFile() {
    if (!ChooseAndOpen(tdDownload, "wb", "Unable to write download file ", "Cannot create ")) {
        return false;
    }
    Report.Total = static_cast<std::uint32_t>(Saved.Count());
    Rate = PeriodToRate(static_cast<std::uint32_t>(Eps.WaveSampleParameters[wpSamplingPeriod]));
    Trace("Size :" + std::to_string(Report.Total));
    WriteWaveHeader(File.get(), Report.Total, Rate);
    return true;
}

void TDownload::Transfer() {
    FrontEnd.BeginTransfer("Downloading...");
    Completed = ReadBlocks(Saved);
    Trace("End of Download");
    DumpMidiIn(*Eps.MidiIn);
    FrontEnd.EndTransfer();
    const bool written = CloseFile();
    Settle(Completed, written);
}

bool TDownload::TakeBlock(std::span<const std::int32_t> words) {
    WriteWaveBlock(File.get(), words.data(), static_cast<std::uint32_t>(words.size()));
    return true;
}

bool TDownload::CloseFile() {
    if (Completed) {
        WriteWaveLoop(File.get(),
                      WaveLoopOf(Eps.WaveSampleParameters, Saved.First, Report.Total, Rate));
        WriteWaveParameters(File.get(), Eps.WaveSampleParameters);
    } else {
        // Not rewind: it would clear the error of a write that failed.
        std::fseek(File.get(), 0, SEEK_SET);
        WriteWaveHeader(File.get(), Report.Done, Rate);
    }
    const bool failed = std::ferror(File.get()) != 0;
    return std::fclose(File.release()) == 0 && !failed;
}

void TDownload::Settle(bool completed, bool written) {
    const std::string ending = SettleOutcome(completed, "download");
    const std::string counts =
        " (" + std::to_string(Report.Done) + " of " + std::to_string(Report.Total) + " samples)";
    if (!written) {
        Report.IncompleteFile = true;
        Fail("Could not write all of " + Report.File + "; it is incomplete" + counts + ".");
    } else if (Report.Outcome == toCompleted) {
        Report.Message =
            "Saved " + std::to_string(Report.Total) + " samples to " + Report.File + ".";
    } else {
        Report.IncompleteFile = true;
        Report.Message = ending + "; " + Report.File + " is incomplete" + counts + ".";
    }
}
