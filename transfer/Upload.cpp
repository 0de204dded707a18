#include "transfer/Upload.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <span>
#include <thread>

#include "debug/MidiInDump.h"
#include "eps/Names.h"
#include "platform/Utf8.h"

namespace {

// What the sampler asks for each time it is not ready for a block.
constexpr int DelayStep = 100;

constexpr double BitsPerSecond = 31250;
constexpr int BitsPerByte = 10;
constexpr int BytesPerWord = 3;

// The file's name without its folder, cut before its first dot.
std::string NameOf(const std::string& file) {
    const std::string name = TUtf8::Text(TUtf8::Path(file).filename());
    return name.substr(0, name.find('.'));
}

// Where the first frame of a file saved with these words lies among their
// addresses: a download saves the samples from the start marker through the
// end, a backup all the memory from address 0, and the first releases saved
// the samples from the start up to the end without the end's own. None when
// the file holds other frames than any of these: another program changed it.
std::optional<std::int32_t> OriginOf(const TWaveSampleBlock& words, std::uint32_t frames) {
    const TSampleRange played = SampleRangeOf(words);
    const auto count = static_cast<std::int64_t>(frames);
    if (played.Count() == count || (!played.Empty() && played.Count() - 1 == count)) {
        return played.First;
    }
    if (MemoryRangeOf(words).Count() == count) {
        return 0;
    }
    return std::nullopt;
}

TSampleRange Moved(const TSampleRange& range, std::int32_t origin) {
    return {range.First - origin, range.Last - origin};
}

// The addresses become the file's frames, so that the sample and the loop
// stay on the same samples. When the words describe other frames than the
// file's, the data wins: the whole data plays and loops, never a loop
// clamped onto other frames than the words meant.
void Rebase(TWaveSampleBlock& words, std::uint32_t frames) {
    const TSampleRange file = TSampleRange::Counted(0, static_cast<std::int32_t>(frames));
    const std::optional<std::int32_t> origin = OriginOf(words, frames);
    TSampleRange played = file;
    TSampleRange loop = file;
    if (origin) {
        const TSampleRange saved = Moved(SampleRangeOf(words), *origin);
        played = {saved.First, std::min(saved.Last, file.Last)};
        const TSampleRange savedLoop = Moved(LoopRangeOf(words), *origin);
        if (!savedLoop.Empty() && file.Contains(savedLoop)) {
            loop = savedLoop;
        }
    }
    SetSampleRangeOf(words, played);
    SetLoopRangeOf(words, loop);
}

} // namespace

TUpload::TUpload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath)
    : TTransfer(eps, frontEnd, uploadDownloadPath) {}

TTransferReport TUpload::Run() {
    if (Prepare()) {
        Transfer();
    }
    FrontEnd.TransferEnded(Report);
    return Report;
}

void TUpload::UseWords(const TWaveSampleBlock& words) {
    Words = words;
}

void TUpload::KeepInstrumentName() {
    KeepName = true;
}

bool TUpload::Prepare() {
    if (!Eps.CheckConnection()) {
        return false;
    }
    if (!OpenFile() || !FrontEnd.ChooseTarget(tdUpload)) {
        return false;
    }
    // Set aside only once the user has chosen: a cancelled choice keeps the
    // open wavesample as it is.
    Eps.SetAsideWavesample();
    return true;
}

bool TUpload::OpenFile() {
    if (!ChooseAndOpen(tdUpload, "rb", "Unable to open file ", "Cannot open ")) {
        return false;
    }
    Sound = std::make_unique<TSoundFile>(File.get(), Report.File, KeepRate);
    if (const std::optional<std::string> problem =
            Examine(File.get(), Report.File, *Sound, Loop, Samples)) {
        return Fail(*problem);
    }
    Report.Total = Sound->Words();
    return Words || !Sound->IsWave() || ReadWords();
}

std::optional<std::string> TUpload::Inspect(const std::string& file, std::uint32_t& frames) {
    const TFile stream(TUtf8::Open(file, "rb"));
    if (!stream) {
        return "Cannot open " + file + ".";
    }
    TSoundFile sound(stream.get(), file, false);
    std::optional<TWaveLoop> loop;
    std::vector<std::int16_t> samples;
    std::optional<std::string> problem = Examine(stream.get(), file, sound, loop, samples);
    frames = sound.Words();
    return problem;
}

std::optional<std::string> TUpload::Examine(std::FILE* stream, const std::string& name,
                                            TSoundFile& sound, std::optional<TWaveLoop>& loop,
                                            std::vector<std::int16_t>& samples) {
    if (sound.Problem()) {
        return sound.Problem();
    }
    const std::uint64_t frames = sound.Source().Frames;
    const TWaveLoopChunk chunk = sound.IsWave() ? ReadWaveLoop(stream) : TWaveLoopChunk{};
    if (chunk.Problem) {
        return name + ": " + *chunk.Problem;
    }
    loop = chunk.Loop;
    // Many programs end a loop that runs to the last frame at the frame
    // count.
    if (loop && loop->Loops && loop->End == frames) {
        --loop->End;
    }
    // Clamped, the loop would play other samples than the file's author chose.
    if (loop && loop->Loops && (loop->Start > loop->End || loop->End >= frames)) {
        return name + ": its loop (frames " + std::to_string(loop->Start) + ".." +
               std::to_string(loop->End) + ") lies outside its " + std::to_string(frames) +
               " frames.";
    }
    std::optional<std::vector<std::int16_t>> words = sound.Decode();
    if (!words) {
        return sound.Problem();
    }
    samples = std::move(*words);
    return std::nullopt;
}

double TUpload::CableSeconds(std::uint32_t words, int blockSize) {
    const std::uint64_t blocks =
        (words + static_cast<std::uint64_t>(blockSize) - 1) / static_cast<std::uint64_t>(blockSize);
    const std::uint64_t bytes = std::uint64_t{words} * BytesPerWord +
                                blocks * (DataHeaderBytes + DataFramingBytes + 2 * ResponseBytes);
    return static_cast<double>(bytes) * BitsPerByte / BitsPerSecond;
}

bool TUpload::ReadWords() {
    TWaveParameters parameters = ReadWaveParameters(File.get());
    // Part of the words would set other parameters than the ones saved.
    if (parameters.Problem) {
        return Fail(Report.File + ": " + *parameters.Problem);
    }
    Words = parameters.Words;
    return true;
}

void TUpload::Transfer() {
    FrontEnd.ShowFileInfo(Sound->Description() + ", about " +
                          ClockText(CableSeconds(Report.Total, Eps.BlockSize()), false) +
                          " at MIDI speed");
    FrontEnd.BeginTransfer("Uploading...");
    Eps.UploadState = 1;
    RunLoop(Eps.UploadState, "State ");
    DumpMidiIn(*Eps.MidiIn);
    File.reset();
    FrontEnd.EndTransfer();
    Settle();
}

int TUpload::Step(int state) {
    switch (state) {
    case 1:
        SetParameters();
        return 2;
    case 2:
        TakeBlock();
        return 3;
    case 3:
        SendBlockHeader();
        return 4;
    case 4:
        return Await(ResponseBytes, 4, 5);
    case 5:
        return AnswerBlockHeader();
    case 6:
        SendBlock();
        return 7;
    case 7:
        return Await(ResponseBytes, 7, 8);
    case 8:
        return AcceptBlock();
    case 9:
        Eps.SendWaveSampleParametersHeader();
        return 10;
    case 10:
        return Await(ResponseBytes, 10, 11);
    case 11:
        return Expect(rrAck, 12);
    case 12:
        Eps.SendWaveSampleParameterData();
        return 13;
    case 13:
        return Await(ResponseBytes, 13, 14);
    case 14:
        return CheckParameters();
    case 24:
        NameInstrument();
        return 0;
    default:
        return RepairStep(state);
    }
}

int TUpload::RepairStep(int state) {
    switch (state) {
    case 15:
        Eps.CreateInstrument();
        return 16;
    case 16:
        return Await(ResponseBytes, 16, 17);
    case 17:
        if (const TReplyResult reply = Eps.ProcessInput(); reply != rrAck) {
            return Stop(reply);
        }
        Eps.SelectInstrument();
        return 3;
    case 18:
        // The new layer's first wavesample becomes the target.
        Eps.WaveSample = 1;
        Eps.CreateLayer();
        return 19;
    case 19:
        return Await(ResponseBytes, 19, 20);
    case 20:
        return Expect(rrAck, 3);
    case 21:
        Eps.CreateWaveSample();
        return 22;
    case 22:
        return Await(ResponseBytes, 22, 23);
    case 23:
        return Expect(rrAck, 3);
    default:
        return 0;
    }
}

// The words saved with the file, or the default block named after the file,
// made the upload's own: the converted words as the sample, data of its own (no copy), the
// sound's period unless the words hold it already.
void TUpload::SetParameters() {
    FirstFrame = 0;
    FramesRead = 0;
    TWaveSampleBlock& words = Eps.WaveSampleParameters;
    words = Words.value_or(DefaultWaveSampleParameters);
    if (!Words) {
        // Named as Rename names an instrument: the sampler's characters,
        // twelve of them.
        EncodeName(std::span<std::int32_t, NameWords>(words.data(), NameWords),
                   NameOf(Report.File));
    }
    Rebase(words, Report.Total);
    words[wpCopyOf] = 0;
    if (HighByte(words[wpSamplingPeriod]) != Sound->Period()) {
        words[wpSamplingPeriod] = static_cast<std::int32_t>(Sound->Period() << 8);
    }
    if (Loop && LoopEdited()) {
        SetLoop(*Loop);
    }
}

void TUpload::TakeBlock() {
    const auto count =
        std::min(static_cast<std::uint32_t>(Eps.BlockSize()), Report.Total - FramesRead);
    std::copy_n(Samples.begin() + FramesRead, count, Eps.TransferBuffer.begin());
    FramesRead += count;
}

// The download wrote the "smpl" chunk from the words; while it still says
// that, the words keep what it cannot say (Loop and Release, a root key
// outside the key range). The chunk's rate is not compared: the words'
// period says it.
bool TUpload::LoopEdited() const {
    if (!Words) {
        return true;
    }
    const auto frames = static_cast<std::uint32_t>(Sound->Source().Frames);
    const std::int32_t origin =
        OriginOf(*Words, frames).value_or(SampleAddressOf(*Words, wpSampleStart));
    return *Loop != WaveLoopOf(*Words, origin, frames, Loop->SampleRate);
}

// Parameter words keep their value in the high byte.
void TUpload::SetLoop(const TWaveLoop& loop) {
    constexpr std::uint32_t HighestKey = 127;
    constexpr int LoopForward = 2;
    constexpr int LoopBidirectional = 3;
    Eps.WaveSampleParameters[wpRootKey] =
        static_cast<std::int32_t>(std::min(loop.UnityNote, HighestKey) << 8);
    if (loop.Loops) {
        // The end is mapped as the frame after the loop, so that a short
        // loop keeps its length in time; its last word is the one before.
        const std::int32_t first =
            std::min(Scaled(loop.Start), static_cast<std::int32_t>(Report.Total) - 1);
        const std::int32_t last = std::max(Scaled(loop.End + 1) - 1, first);
        SetLoopRangeOf(Eps.WaveSampleParameters, {first, last});
        Eps.WaveSampleParameters[wpPlaybackMode] =
            (loop.Alternating ? LoopBidirectional : LoopForward) << 8;
    }
}

// Rounded, and never past the word after the last.
std::int32_t TUpload::Scaled(std::uint32_t frame) const {
    const auto word = static_cast<std::uint32_t>(std::lround(frame * Sound->Ratio()));
    return static_cast<std::int32_t>(std::min(word, Report.Total));
}

// The pause before each header is not spent serving the window: the
// sampler asked for it, and it is short.
void TUpload::SendBlockHeader() {
    if (Eps.Delay() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(Eps.Delay()));
    }
    Eps.SendWaveSampleDataHeader(static_cast<std::int32_t>(FirstFrame),
                                 static_cast<std::int32_t>(FramesRead));
}

int TUpload::AnswerBlockHeader() {
    const TReplyResult reply = Eps.ProcessInput();
    switch (reply) {
    case rrAck:
        return 6;
    case rrNoInstrument:
        return Repair(reply, rkInstrument, 15);
    case rrNoLayer:
        return Repair(reply, rkLayer, 18);
    case rrInvalidWaveSample:
        return Repair(reply, rkWaveSample, 21);
    case rrSlowDown:
        RaiseDelay();
        return 3;
    default:
        return Stop(reply);
    }
}

const char* TUpload::RepairText(unsigned kind) {
    switch (kind) {
    case rkInstrument:
        return "instrument";
    case rkLayer:
        return "layer";
    default:
        return "wavesample";
    }
}

int TUpload::Repair(TReplyResult reply, unsigned kind, int step) {
    if (FixedTarget) {
        Trace("No repair: the target is fixed");
        Missing = kind;
        return Stop(reply);
    }
    if ((Repairs & kind) == 0) {
        Repairs |= kind;
        Created |= kind;
        return step;
    }
    Trace("Refused again after the repair");
    RepairInVain = kind;
    return Stop(reply);
}

void TUpload::SendBlock() {
    if (FirstFrame == 0) {
        StartClock();
    }
    Eps.SendWaveSampleData(
        std::span<const std::int32_t>(Eps.TransferBuffer.data(), FramesRead - FirstFrame));
}

int TUpload::AcceptBlock() {
    if (const TReplyResult reply = Eps.ProcessInput(); reply != rrAck) {
        return Stop(reply);
    }
    ShowProgress(FramesRead, Report.Total);
    FirstFrame = FramesRead;
    Repairs = 0;
    return FramesRead == Report.Total ? 9 : 2;
}

// The upload goes on to the name whatever the answer, but the report does
// not call an upload whose parameters were refused complete.
int TUpload::CheckParameters() {
    const TReplyResult reply = Eps.ProcessInput();
    ParametersTaken = reply == rrAck;
    if (!ParametersTaken) {
        Report.Reply = reply;
    }
    return 24;
}

// The raised delay stays in the engine, so that later uploads start with it.
void TUpload::RaiseDelay() {
    Eps.SetDelay(Eps.Delay() + DelayStep);
    Trace("Delay set to" + std::to_string(Eps.Delay()));
}

void TUpload::NameInstrument() {
    Completed = true;
    if (Eps.WaveSample == 1 && !KeepName) {
        Renamed = Eps.RenameInstrument(Eps.Instrument, NameOf(Report.File));
    }
}

// Told from the target's words as the sampler holds them afterwards: the
// samples sent only play where its addresses say.
std::string TUpload::LeftChanged() {
    const auto instrument = static_cast<std::size_t>(Eps.Instrument);
    const std::string owner = Eps.InstrumentPresent[instrument] && (Created & rkInstrument) == 0
                                  ? Eps.InstrumentName[instrument]
                                  : "instrument " + std::to_string(instrument + 1);
    const std::string waveSample = "Wavesample " + std::to_string(Eps.WaveSample) + " of " + owner;
    const std::string done = std::to_string(Report.Done);
    const bool newInstrument = (Created & rkInstrument) != 0;
    if (Report.Done == 0) {
        return Created == 0 ? std::string()
                            : " " +
                                  (newInstrument ? "Instrument " + std::to_string(instrument + 1)
                                                 : waveSample) +
                                  " was created for the upload and holds no samples.";
    }
    const std::string created = Created == 0 ? std::string()
                                : newInstrument
                                    ? " Instrument " + std::to_string(instrument + 1) +
                                          " was created for the upload; its wavesample " +
                                          std::to_string(Eps.WaveSample)
                                    : " " + waveSample + " was created for the upload and";
    if (Report.Outcome == toNoAnswer) {
        return (created.empty() ? " " + waveSample : created) + " holds the " + done +
               " samples sent only if the sampler kept them: it does not answer.";
    }
    const std::optional<TSampleRange> played = PlayedAfterwards();
    if (!played) {
        return " What " + waveSample + " plays now could not be read.";
    }
    const std::string first =
        "the first " + done + " of the file's " + std::to_string(Report.Total) + " samples";
    if (MadePlayable) {
        return (created.empty() ? " " + waveSample + " had no samples of its own and" : created) +
               " holds " + first + ".";
    }
    if (played->First == 0 && played->Count() > std::int64_t{Report.Done}) {
        return " " + waveSample + " now begins with " + done + " new samples of the file's " +
               std::to_string(Report.Total) + "; the rest of its " +
               std::to_string(played->Count()) + " samples is unchanged.";
    }
    return " " + waveSample + " plays " + std::to_string(played->Count()) +
           " samples from sample " + std::to_string(played->First) + "; " + first +
           " went to samples 0 to " + std::to_string(Report.Done - 1) + ".";
}

// Samples that came into a wavesample with none of its own (a new one) are
// made to play: its addresses are written for them, with the parameters the
// upload prepared. Empty when the sampler's words could not be read.
std::optional<TSampleRange> TUpload::PlayedAfterwards() {
    TWaveSampleBlock prepared = Eps.WaveSampleParameters;
    if (Eps.OpenWavesample(false) == orFailed) {
        return std::nullopt;
    }
    if (!SampleRangeOf(Eps.WaveSampleParameters).Empty()) {
        return SampleRangeOf(Eps.WaveSampleParameters);
    }
    const TSampleRange arrived = TSampleRange::Counted(0, static_cast<std::int32_t>(Report.Done));
    if (!arrived.Contains(LoopRangeOf(prepared))) {
        SetLoopRangeOf(prepared, arrived);
    }
    SetSampleRangeOf(prepared, arrived);
    Eps.WaveSampleParameters = prepared;
    if (Eps.PutWaveSampleParameters() != wrWritten || Eps.OpenWavesample(false) == orFailed) {
        return std::nullopt;
    }
    MadePlayable = true;
    return SampleRangeOf(Eps.WaveSampleParameters);
}

void TUpload::Settle() {
    std::string ending = SettleOutcome(Completed && ParametersTaken, Job);
    if (RepairInVain != 0 && Report.Outcome == toRefused) {
        ending = "The sampler took the new " + std::string(RepairText(RepairInVain)) +
                 " but refused the block again; the " + Job + " was stopped";
    } else if (Missing != 0 && Report.Outcome == toRefused) {
        ending = "The sampler has no such " + std::string(RepairText(Missing)) + "; the " + Job +
                 " writes only into the wavesample chosen and was stopped";
    }
    const std::string counts =
        std::to_string(Report.Done) + " of " + std::to_string(Report.Total) + " samples";
    if (Report.Outcome != toCompleted) {
        Report.Message =
            ending + " after " + counts + " sent to " + TargetText() + "." + LeftChanged();
        return;
    }
    Report.Message = "Sent " + std::to_string(Report.Total) + " samples to " + TargetText();
    if (const std::string note = Sound->ConversionNote(); !note.empty()) {
        Report.Message += " (" + note + ")";
    }
    if (Renamed) {
        Report.Message += *Renamed ? " and named the instrument after the file"
                                   : "; the instrument could not be renamed";
    }
    Report.Message += ".";
}
