#include "transfer/Download.h"

#include "debug/MidiInDump.h"
#include "transfer/WaveFile.h"

namespace {

// The sampler's answer to a data request: an acknowledgement, a data header
// and the data message of three bytes a word with its framing.
constexpr std::uint32_t DataHeaderBytes = 20;
constexpr std::uint32_t DataFramingBytes = 5;

} // namespace

TDownload::TDownload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath)
    : TTransfer(eps, frontEnd, uploadDownloadPath) {}

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
    SampleStart = Eps.GetSampleAddress(wpSampleStart);
    SampleEnd = Eps.GetSampleAddress(wpSampleEnd);
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
    if (SampleEnd <= SampleStart) {
        return "Nothing to download: " + TargetText() + " holds no samples (start " +
               std::to_string(SampleStart) + ", end " + std::to_string(SampleEnd) + ").";
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
    Report.Total = static_cast<std::uint32_t>(SampleEnd - SampleStart);
    Rate = PeriodToRate(static_cast<std::uint32_t>(Eps.WaveSampleParameters[wpSamplingPeriod]));
    Trace("Size :" + std::to_string(Report.Total));
    WriteWaveHeader(File.get(), Report.Total, Rate);
    return true;
}

void TDownload::Transfer() {
    FrontEnd.BeginTransfer("Downloading...");
    Eps.DownloadState = 1;
    RunLoop(Eps.DownloadState, "State :");
    Trace("End of Download");
    DumpMidiIn(*Eps.MidiIn);
    FrontEnd.EndTransfer();
    const bool written = CloseFile();
    Settle(Completed, written);
}

int TDownload::Step(int state) {
    switch (state) {
    case 1:
        StartClock();
        BlockStart = SampleStart;
        return 2;
    case 2:
        return RequestBlock();
    case 3:
        return Await(ResponseBytes, 3, 4);
    case 4:
        return Expect(rrAck, 5);
    case 5:
        return Await(DataHeaderBytes, 5, 6);
    case 6:
        return Expect(rrDataHeader, 7);
    case 7:
        return Await(3 * static_cast<std::uint32_t>(BlockEnd - BlockStart) + DataFramingBytes, 7,
                     8);
    case 8:
        return ReceiveBlock();
    default:
        return 0;
    }
}

void TDownload::UserCancelled() {
    Trace("User pressed Cancel");
}

int TDownload::RequestBlock() {
    BlockEnd = BlockStart + Eps.BlockSize();
    if (SampleEnd < BlockEnd) {
        BlockEnd = SampleEnd;
    }
    Eps.GetWaveSampleData(BlockStart, BlockEnd);
    Trace("GetWaveSampleData(" + std::to_string(BlockStart) + "," + std::to_string(BlockEnd) + ")");
    return 3;
}

int TDownload::ReceiveBlock() {
    const TReplyResult reply = Eps.ProcessInput();
    if (reply != rrData) {
        Trace("No data received");
        return Stop(reply);
    }
    WriteWaveBlock(File.get(), Eps.TransferBuffer.data(),
                   static_cast<std::uint32_t>(BlockEnd - BlockStart));
    ShowProgress(static_cast<std::uint32_t>(BlockEnd - SampleStart), Report.Total);
    BlockStart = BlockEnd;
    if (BlockEnd != SampleEnd) {
        return 2;
    }
    Trace("Last block received");
    Completed = true;
    return 0;
}

bool TDownload::CloseFile() {
    if (Completed) {
        WriteWaveLoop(File.get(), WaveLoopOf(Eps.WaveSampleParameters, Report.Total, Rate));
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
