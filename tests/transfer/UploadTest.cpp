// The upload against the virtual sampler: the blocks and parameters it
// sends, the repairs of a missing instrument, layer or wavesample, the delay
// the sampler asks for, the rename after the file, and the round trip and
// the verification of every format the reader converts.
#include <sndfile.h>

#include "tests/transfer/TransferFixture.h"

#include "emulator/SamplerName.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <tuple>

#include "transfer/Upload.h"
#include "transfer/Verify.h"

namespace {

std::vector<std::uint8_t> Pcm16(const TSamples& samples) {
    std::vector<std::uint8_t> bytes;
    for (std::int16_t sample : samples) {
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    }
    return bytes;
}

TSamples Wave(std::size_t count, int seed = 1) {
    TSamples samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>((static_cast<int>(i) * 97 * seed) % 60000 - 30000);
    }
    return samples;
}

// A file libsndfile writes, of frames given channel by channel as 32-bit
// integers (ints) or as samples of -1..1 (floats).
struct TSound {
    int Format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int Channels = 1;
    int Rate = 31250;
    std::vector<int> Ints;
    std::vector<float> Floats;
    std::optional<SF_INSTRUMENT> Instrument;
};

void WriteSound(const std::string& file, const TSound& sound) {
    SF_INFO info{};
    info.samplerate = sound.Rate;
    info.channels = sound.Channels;
    info.format = sound.Format;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    if (sound.Instrument) {
        SF_INSTRUMENT instrument = *sound.Instrument;
        ASSERT_EQ(sf_command(out, SFC_SET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
    }
    if (sound.Floats.empty()) {
        sf_writef_int(out, sound.Ints.data(),
                      static_cast<sf_count_t>(sound.Ints.size()) / sound.Channels);
    } else {
        sf_writef_float(out, sound.Floats.data(),
                        static_cast<sf_count_t>(sound.Floats.size()) / sound.Channels);
    }
    sf_close(out);
}

class UploadTest : public TransferTest {
protected:
    // A mono 16-bit file of these samples, at a rate period 20 plays: its
    // words go in as they are.
    std::string MonoFile(const std::string& name, const TSamples& samples,
                         std::uint32_t rate = 31250) {
        const std::string file = Path(name);
        WriteWaveFile(file, 1, 16, rate, Pcm16(samples));
        return file;
    }
};

TEST_F(UploadTest, SendsTheFileInBlocksAndThenTheParameters) {
    const TSamples samples = Wave(1000);
    const std::string file = MonoFile("ramp.wav", samples);

    const TTransferReport report = Upload(file, 1, 1);

    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(report.Message,
              "Sent 1000 samples to instrument 2, wavesample 1 and named the instrument after "
              "the file.");
    EXPECT_EQ(SamplerLog("SendWaveSampleDataHeader"),
              (std::vector<std::string>{"SendWaveSampleDataHeader 1/0/1 0..256 -> 0",
                                        "SendWaveSampleDataHeader 1/0/1 256..512 -> 0",
                                        "SendWaveSampleDataHeader 1/0/1 512..768 -> 0",
                                        "SendWaveSampleDataHeader 1/0/1 768..1000 -> 0"}));
    EXPECT_EQ(SamplerLog("SendWaveSampleParametersHeader").size(), 1u);
    EXPECT_EQ(DataOf(1, 1, 0, 1000), samples);
    const std::optional<TWaveSample> target = WaveSampleAt(1, 1);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->High(TWaveSample::PeriodWord), 20);
    EXPECT_EQ(target->Address(TWaveSample::StartWord), 0u);
    EXPECT_EQ(target->Address(TWaveSample::EndWord), 999u);
    EXPECT_EQ(target->Address(TWaveSample::LoopEndWord), 999u);
    EXPECT_EQ(InstrumentNameOf(1), "RAMP");
    // The wavesample is named after the file too.
    EXPECT_EQ(TSamplerName::Decode(target->Parameters.data()), "RAMP");
    ASSERT_EQ(FrontEnd.Progress.size(), 4u);
    EXPECT_EQ(FrontEnd.Progress[0].second, 25.0f);
    EXPECT_EQ(FrontEnd.Progress[3].second, 100.0f);
    EXPECT_EQ(FrontEnd.Caption, "Uploading...");
    EXPECT_FALSE(FrontEnd.Showing);
    const std::string trace = Trace.Text();
    EXPECT_NE(trace.find("State 13\r\nState 14\r\nProc.Inp"), std::string::npos) << trace;
    EXPECT_NE(trace.find("State 24\r\nStart of rename"), std::string::npos);
    EXPECT_EQ(CountLines(trace, "** Start of MidiIn Dump **"), 1);
    EXPECT_EQ(Eps->UploadState, 0);
    EXPECT_EQ(UploadDownloadPath, Folder.string());
}

// Channels, bits, and the sample words the reader makes of the frames.
using TFormatCase = std::tuple<int, int>;

class UploadRoundTripTest : public UploadTest, public ::testing::WithParamInterface<TFormatCase> {
protected:
    // Frames of the format from a pattern, and what the sampler should hold.
    void MakeFrames(std::size_t count, std::vector<std::uint8_t>& bytes, TSamples& expected) {
        const auto [channels, bits] = GetParam();
        const TSamples left = Wave(count, 1);
        const TSamples right = Wave(count, 3);
        for (std::size_t i = 0; i < count; ++i) {
            if (bits == 8) {
                const auto l = static_cast<std::uint8_t>((left[i] >> 8) + 128);
                const auto r = static_cast<std::uint8_t>((right[i] >> 8) + 128);
                bytes.push_back(l);
                if (channels == 2) {
                    bytes.push_back(r);
                }
                expected.push_back(static_cast<std::int16_t>(
                    channels == 1 ? l * 256 - 32768 : l * 128 + r * 128 - 32768));
            } else {
                const TSamples frame =
                    channels == 1 ? TSamples{left[i]} : TSamples{left[i], right[i]};
                const std::vector<std::uint8_t> pcm = Pcm16(frame);
                bytes.insert(bytes.end(), pcm.begin(), pcm.end());
                expected.push_back(channels == 1
                                       ? left[i]
                                       : static_cast<std::int16_t>(left[i] / 2 + right[i] / 2));
            }
        }
    }

    // A file of 777 frames of the format, to go in blocks of 300.
    std::string FileOfFrames(TSamples& expected) {
        const auto [channels, bits] = GetParam();
        std::vector<std::uint8_t> bytes;
        MakeFrames(777, bytes, expected);
        const std::string file = Path("in.wav");
        WriteWaveFile(file, static_cast<std::uint16_t>(channels), static_cast<std::uint16_t>(bits),
                      31250, bytes);
        Eps->SetBlockSize(300);
        return file;
    }
};

TEST_P(UploadRoundTripTest, ComesBackAsTheReaderConvertedIt) {
    TSamples expected;
    const std::string file = FileOfFrames(expected);

    // Instrument 1 uses wavesamples 1 and 2: the browser's new row is 3.
    ASSERT_EQ(Upload(file, 0, 3).Outcome, toCompleted);
    const std::string back = Path("back.wav");
    ASSERT_EQ(Download(0, 3, back).Outcome, toCompleted);

    EXPECT_EQ(SamplesOfWaveFile(back), expected);
    // Period 20.
    EXPECT_EQ(RateOfWaveFile(back), 31250u);
    EXPECT_EQ(SamplerLog("CreateWaveSample"),
              std::vector<std::string>{"CreateWaveSample 0/0/1 as 3 -> 0"});
}

// The verification compares with the file as the reader converts it: it
// passes, then names the first sample changed in the sampler behind it.
TEST_P(UploadRoundTripTest, AVerificationFindsASampleChangedAfterTheUpload) {
    TSamples expected;
    const std::string file = FileOfFrames(expected);
    ASSERT_EQ(Upload(file, 0, 3).Outcome, toCompleted);

    const TTransferReport verified = TVerify(*Eps, FrontEnd, file, 777).Run();

    EXPECT_EQ(verified.Outcome, toCompleted) << verified.Message;
    EXPECT_EQ(verified.Message, "Verified 777 samples.");
    EXPECT_EQ(SamplerLog("GetWaveSampleData"),
              (std::vector<std::string>{"GetWaveSampleData 0/0/3 0..300 -> 0",
                                        "GetWaveSampleData 0/0/3 300..600 -> 0",
                                        "GetWaveSampleData 0/0/3 600..777 -> 0"}));
    EXPECT_EQ(FrontEnd.Caption, "Verifying...");
    EXPECT_EQ(FrontEnd.Progress.back().second, 100.0f);
    EXPECT_FALSE(FrontEnd.Showing);

    const std::int16_t changed = static_cast<std::int16_t>(expected[450] ^ 0x0101);
    Sampler().Inspect(
        [&](TSamplerModel& model) { model.Instrument(0)->WaveSample(3)->Data[450] = changed; });
    const TTransferReport differing = TVerify(*Eps, FrontEnd, file, 777).Run();

    EXPECT_EQ(differing.Outcome, toFailed);
    EXPECT_EQ(differing.Message, "Verify: sample 450 differs (file " +
                                     std::to_string(expected[450]) + ", sampler " +
                                     std::to_string(changed) + ").");
    // It stops at the block that differs.
    EXPECT_EQ(SamplerLog("GetWaveSampleData").size(), 5u);
    EXPECT_EQ(differing.Done, 300u);
    EXPECT_EQ(Eps->DownloadState, 0);
    EXPECT_EQ(FrontEnd.Reports.back().Message, differing.Message);
}

TEST_F(UploadTest, ACancelledVerificationSaysHowFarItMatched) {
    const std::string file = MonoFile("c.wav", Wave(1000));
    ASSERT_EQ(Upload(file, 1, 2).Outcome, toCompleted);
    FrontEnd.OnEvents = [&] {
        if (Eps->DownloadState == 5 && FrontEnd.Progress.size() == 5) {
            FrontEnd.CancelRequested = true;
        }
    };

    const TTransferReport report = TVerify(*Eps, FrontEnd, file, 1000).Run();

    EXPECT_EQ(report.Outcome, toCancelled);
    EXPECT_EQ(report.Message, "The verification was cancelled after 256 of 1000 samples of "
                              "instrument 2, wavesample 2 matched.");
    EXPECT_NE(Trace.Text().find("User pressed Cancel\r\nState :0\r\nEnd of Verify\r\n"),
              std::string::npos);
    EXPECT_FALSE(FrontEnd.Showing);
}

INSTANTIATE_TEST_SUITE_P(Formats, UploadRoundTripTest,
                         ::testing::Values(TFormatCase{1, 8}, TFormatCase{2, 8}, TFormatCase{1, 16},
                                           TFormatCase{2, 16}));

// Every format libsndfile reads goes in as 16-bit words, its channels mixed
// into one: 16-bit samples exactly, deeper ones dithered within a step of
// their value, samples beyond full scale held at it and counted. A
// verification decodes the same words again.
TEST_F(UploadTest, EveryFormatBecomesSixteenBitWords) {
    struct TCase {
        std::string Name;
        int Format;
        int Channels;
        std::string Info;
        std::string Note;
    };
    const std::vector<TCase> cases = {
        {"deep.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, "WAVE, 31250 Hz, 1 channel, 24-bit",
         " (rounded from 24-bit)"},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2,
         "WAVE, 31250 Hz, 2 channels, 32-bit float", " (rounded from 32-bit float)"},
        {"wide.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, "WAVE, 31250 Hz, 2 channels, 16-bit",
         ""},
        {"apple.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, "AIFF, 31250 Hz, 2 channels, 16-bit",
         ""},
        {"free.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, "FLAC, 31250 Hz, 1 channel, 24-bit",
         " (rounded from 24-bit)"},
        {"loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, "WAVE, 31250 Hz, 1 channel, 32-bit float",
         " (rounded from 32-bit float; 12 samples clipped)"},
    };
    constexpr int Frames = 3000;
    for (const TCase& c : cases) {
        const bool floats = (c.Format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT;
        const bool deep = (c.Format & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16;
        TSound sound;
        sound.Format = c.Format;
        sound.Channels = c.Channels;
        // What each word should be, in steps of 16 bits.
        std::vector<double> exact;
        for (int i = 0; i < Frames; ++i) {
            double sum = 0;
            std::int32_t words = 0;
            for (int channel = 0; channel < c.Channels; ++channel) {
                double value = 0.8 * std::sin(i * 0.013 * (channel + 1));
                // Six frames beyond full scale each way.
                if (c.Note.find("clipped") != std::string::npos && i % 250 == 0) {
                    value = i % 500 == 0 ? 1.5 : -1.5;
                }
                if (floats) {
                    sound.Floats.push_back(static_cast<float>(value));
                    sum += static_cast<float>(value) * 32768.0;
                } else if (deep) {
                    const auto sample = static_cast<int>(std::lround(value * (1 << 23)));
                    sound.Ints.push_back(sample * 256);
                    sum += sample / 256.0;
                } else {
                    const auto sample = static_cast<int>(std::lround(value * 32767));
                    sound.Ints.push_back(sample * 65536);
                    words += sample / c.Channels;
                }
            }
            exact.push_back(deep ? sum / c.Channels : words);
        }
        const std::string file = Path(c.Name);
        WriteSound(file, sound);

        const TTransferReport report = Upload(file, 1, 2);

        ASSERT_EQ(report.Outcome, toCompleted) << c.Name << ": " << report.Message;
        EXPECT_EQ(report.Message, "Sent 3000 samples to instrument 2, wavesample 2" + c.Note + ".");
        EXPECT_EQ(FrontEnd.FileInfos.back().rfind(
                      c.Info + ", 0:00.1 \u2192 31250 Hz as it is, 3,000 words, about 0:0", 0),
                  0u)
            << FrontEnd.FileInfos.back();
        const TSamples words = DataOf(1, 2, 0, Frames);
        ASSERT_EQ(words.size(), static_cast<std::size_t>(Frames));
        for (int i = 0; i < Frames; ++i) {
            const long expected =
                std::clamp(std::lround(exact[static_cast<std::size_t>(i)]), -32768L, 32767L);
            EXPECT_LE(std::abs(words[static_cast<std::size_t>(i)] - expected), deep ? 1 : 0)
                << c.Name << " frame " << i;
        }
        EXPECT_EQ(WaveSampleAt(1, 2)->High(TWaveSample::PeriodWord), 20);
        EXPECT_EQ(TVerify(*Eps, FrontEnd, file, Frames).Run().Message, "Verified 3000 samples.")
            << c.Name;
    }
}

// A 44.1 kHz sine goes in at period 14, resampled to 625000 / 14 Hz so that
// it keeps its pitch and length; the loop of its "smpl" chunk moves with it.
TEST_F(UploadTest, AFileOfAnotherRateIsResampledToPlayAtItsPitch) {
    constexpr double Pi = 3.14159265358979323846;
    TSound sound;
    sound.Rate = 44100;
    for (int i = 0; i < 44100; ++i) {
        sound.Ints.push_back(
            static_cast<int>(std::lround(20000 * std::sin(2 * Pi * 440 * i / 44100))) * 65536);
    }
    SF_INSTRUMENT instrument{};
    instrument.basenote = 69;
    instrument.velocity_hi = 127;
    instrument.key_hi = 127;
    instrument.loop_count = 1;
    instrument.loops[0] = {SF_LOOP_FORWARD, 1000, 40001, 0};
    sound.Instrument = instrument;
    const std::string file = Path("a440.wav");
    WriteSound(file, sound);
    Eps->SetBlockSize(10240);

    const TTransferReport report = Upload(file, 1, 2);

    ASSERT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(report.Message,
              "Sent 44643 samples to instrument 2, wavesample 2 (converted from 44100 Hz).");
    EXPECT_EQ(FrontEnd.FileInfos,
              std::vector<std::string>{"WAVE, 44100 Hz, 1 channel, 16-bit, 0:01.0 \u2192 44642 "
                                       "Hz, 44,643 words, about 0:43 at MIDI speed"});
    const std::optional<TWaveSample> target = WaveSampleAt(1, 2);
    ASSERT_TRUE(target);
    const double rate = 625000.0 / 14;
    EXPECT_EQ(target->High(TWaveSample::PeriodWord), 14);
    EXPECT_EQ(target->Address(TWaveSample::EndWord), 44642u);
    // The loop's frames 1000..40000 are the time from frame 1000 up to
    // frame 40001; its last word is the one before the word of that end.
    EXPECT_EQ(target->Address(TWaveSample::LoopStartWord),
              static_cast<std::uint32_t>(std::lround(1000 * rate / 44100)));
    EXPECT_EQ(target->Address(TWaveSample::LoopEndWord),
              static_cast<std::uint32_t>(std::lround(40001 * rate / 44100)) - 1);
    // The rising zero crossings, placed between their samples, away from
    // the converter's edges.
    const TSamples words = DataOf(1, 2, 0, 44643);
    std::vector<double> crossings;
    for (std::size_t i = 500; i + 500 < words.size(); ++i) {
        if (words[i - 1] < 0 && words[i] >= 0) {
            crossings.push_back(static_cast<double>(i) - 1 +
                                words[i - 1] / static_cast<double>(words[i - 1] - words[i]));
        }
    }
    ASSERT_GT(crossings.size(), 400u);
    const double frequency =
        static_cast<double>(crossings.size() - 1) * rate / (crossings.back() - crossings.front());
    EXPECT_LT(std::abs(1200 * std::log2(frequency / 440)), 1.0) << frequency;
    EXPECT_EQ(TVerify(*Eps, FrontEnd, file, 44643).Run().Outcome, toCompleted);
}

// A loop of one cycle keeps its length in time through the conversion, to
// within a word, wherever it lies: a loop a word short plays sharp. A
// 1000 Hz file goes in at the slowest period's 2451 Hz, over twice as many
// words.
TEST_F(UploadTest, AResampledSingleCycleLoopKeepsItsLength) {
    constexpr unsigned Cycle = 50;
    const double ratio = 625000.0 / 255 / 1000;
    for (const unsigned first : {0u, 1000u, 4950u}) {
        TSound sound;
        sound.Rate = 1000;
        sound.Ints.assign(5000, 0);
        SF_INSTRUMENT instrument{};
        instrument.basenote = 69;
        instrument.velocity_hi = 127;
        instrument.key_hi = 127;
        instrument.loop_count = 1;
        // libsndfile takes the end after the loop's last frame.
        instrument.loops[0] = {SF_LOOP_FORWARD, first, first + Cycle, 0};
        sound.Instrument = instrument;
        const std::string file = Path("cycle.wav");
        WriteSound(file, sound);

        ASSERT_EQ(Upload(file, 1, 2).Outcome, toCompleted);
        const std::optional<TWaveSample> target = WaveSampleAt(1, 2);
        ASSERT_TRUE(target);
        const auto loop = static_cast<std::int32_t>(target->Address(TWaveSample::LoopStartWord));
        const TSampleRange range{
            loop, static_cast<std::int32_t>(target->Address(TWaveSample::LoopEndWord))};
        EXPECT_LE(std::abs(range.Count() - Cycle * ratio), 1.0) << first;
        EXPECT_LE(target->Address(TWaveSample::LoopEndWord), target->Address(TWaveSample::EndWord));
    }
}

TEST_F(UploadTest, CreatesAMissingInstrumentItsLayerAndTheWaveSample) {
    const TSamples samples = Wave(300);
    const std::string file = MonoFile("new.one.wav", samples);

    const TTransferReport report = Upload(file, 2, 1);

    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    const std::vector<std::string> log = SamplerLog();
    const std::vector<std::string> expected = {"SendWaveSampleDataHeader 2/0/1 0..256 -> 5",
                                               "CreateInstrument 2/0/1 -> 0",
                                               "Program 10",
                                               "Program 2",
                                               "Program 2",
                                               "SendWaveSampleDataHeader 2/0/1 0..256 -> 6",
                                               "CreateLayer 2/0/1 -> 0",
                                               "SendWaveSampleDataHeader 2/0/1 0..256 -> 8",
                                               "CreateWaveSample 2/0/1 as 1 -> 0",
                                               "SendWaveSampleDataHeader 2/0/1 0..256 -> 0"};
    const auto first = std::find(log.begin(), log.end(), expected.front());
    ASSERT_NE(first, log.end());
    EXPECT_EQ(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(DataOf(2, 1, 0, 300), samples);
    EXPECT_EQ(InstrumentNameOf(2), "NEW");
    const std::string trace = Trace.Text();
    for (const char* state :
         {"State 15", "State 17", "State 18", "State 20", "State 21", "State 23"}) {
        EXPECT_EQ(CountLines(trace, state), 1) << state;
    }
}

TEST_F(UploadTest, AMissingLayerMakesWaveSampleOneTheTarget) {
    Sampler().Inspect([](TSamplerModel& model) { model.CreateInstrument(6); });
    const std::string file = MonoFile("layer.wav", Wave(100));

    EXPECT_EQ(Upload(file, 6, 4).Outcome, toCompleted);

    EXPECT_EQ(Eps->WaveSample, 1);
    EXPECT_EQ(DataOf(6, 1, 0, 100), Wave(100));
    EXPECT_EQ(InstrumentNameOf(6), "LAYER");
}

TEST_F(UploadTest, OnlyAnUploadIntoWaveSampleOneRenamesTheInstrument) {
    const std::string file = MonoFile("kick.drum.wav", Wave(64));
    ASSERT_EQ(Upload(file, 1, 2).Outcome, toCompleted);
    EXPECT_EQ(InstrumentNameOf(1), "DRUM KIT");
    EXPECT_EQ(CountLines(Trace.Text(), "Start of rename"), 0);

    ASSERT_EQ(Upload(file, 1, 1).Outcome, toCompleted);
    EXPECT_EQ(InstrumentNameOf(1), "KICK");
}

TEST_F(UploadTest, ASamplerThatIsNotReadyGetsALongerDelay) {
    TSamplerOptions options;
    // Storing a block of 256 words takes 77 ms.
    options.Timing.BlockPerWord = std::chrono::microseconds(300);
    Restart(options);
    const TSamples samples = Wave(768);
    const std::string file = MonoFile("slow.wav", samples);

    const TTransferReport report = Upload(file, 1, 2);

    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(CountLines(Trace.Text(), "Delay set to100"), 1);
    EXPECT_GE(Eps->Delay(), 100);
    EXPECT_EQ(SamplerLog("SendWaveSampleDataHeader 1/0/2 256..512 -> 20").size(), 1u);
    EXPECT_EQ(DataOf(1, 2, 0, 768), samples);
}

// A file from another tool's writer (libsndfile) brings its root key and
// loop; a loop beyond the file's frames is refused before anything is sent.
TEST_F(UploadTest, AFilesLoopAndRootKeyComeAlong) {
    struct TCase {
        int Mode;
        unsigned End;
        int PlaybackMode;
    };
    const std::vector<TCase> cases = {
        {SF_LOOP_FORWARD, 400, 2}, {SF_LOOP_ALTERNATING, 1000, 3}, {SF_LOOP_FORWARD, 1002, 0}};
    for (const TCase& c : cases) {
        const std::string file = Path("looped.wav");
        SF_INFO info{};
        info.samplerate = 31250;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
        ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
        SF_INSTRUMENT instrument{};
        instrument.basenote = 48;
        instrument.velocity_hi = 127;
        instrument.key_hi = 127;
        instrument.loop_count = 1;
        instrument.loops[0] = {c.Mode, 100, c.End, 0};
        ASSERT_EQ(sf_command(sound, SFC_SET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
        const TSamples samples = Wave(1000);
        sf_write_short(sound, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(sound);

        const TTransferReport report = Upload(file, 1, 2);
        if (c.PlaybackMode == 0) {
            EXPECT_EQ(report.Outcome, toFailed);
            EXPECT_EQ(report.Message,
                      file + ": its loop (frames 100..1001) lies outside its 1000 frames.");
            continue;
        }
        ASSERT_EQ(report.Outcome, toCompleted) << report.Message;
        const std::optional<TWaveSample> target = WaveSampleAt(1, 2);
        ASSERT_TRUE(target);
        EXPECT_EQ(target->Address(TWaveSample::LoopStartWord), 100u);
        EXPECT_EQ(target->Address(TWaveSample::LoopEndWord), c.End - 1);
        EXPECT_EQ(target->High(TWaveSample::PlaybackModeWord), c.PlaybackMode);
        EXPECT_EQ(target->High(TWaveSample::RootKeyWord), 48);
        EXPECT_EQ(DataOf(1, 2, 0, 1000), samples);
    }
}

// A "smpl" chunk as other programs write it: a loop ending at the frame
// count ends at the last frame; one ending beyond it, or a chunk too short
// for the loop it names, is refused before anything is sent, never read on
// into the chunk that follows.
TEST_F(UploadTest, AFilesLoopEndsAtItsLastFrameAtTheLatest) {
    constexpr std::uint32_t Frames = 1000;
    const TSamples samples = Wave(Frames);
    struct TCase {
        const char* Name;
        // The loop records the chunk holds; it names one.
        std::uint32_t Loops;
        std::uint32_t End;
        // The loop end word; 0 for a file refused with Problem.
        std::uint32_t LoopEnd;
        std::string Problem;
    };
    const std::vector<TCase> cases = {
        {"ends beyond", 1, Frames + 1, 0,
         ": its loop (frames 100..1001) lies outside its 1000 frames."},
        {"names a loop it does not hold", 0, 0, 0,
         ": its smpl chunk holds 36 bytes; 60 expected for the 1 loop it names."},
        {"ends at the last frame", 1, Frames - 1, Frames - 1, ""},
        {"ends at the frame count", 1, Frames, Frames - 1, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = MonoFile("looped.wav", samples);
        std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        const auto put = [&bytes](std::uint32_t value) {
            bytes.resize(bytes.size() + 4);
            SetLittle(bytes, bytes.size() - 4, value, 4);
        };
        // A chunk naming one loop and holding c.Loops of them, then the chunk
        // a short one would be read on into.
        bytes.insert(bytes.end(), {'s', 'm', 'p', 'l'});
        put(36 + 24 * c.Loops);
        for (std::uint32_t field : {0u, 0u, 32000u, 60u, 0u, 0u, 0u, 1u, 0u}) {
            put(field);
        }
        for (std::uint32_t i = 0; i < c.Loops; ++i) {
            for (std::uint32_t field : {0u, 0u, 100u, c.End, 0u, 0u}) {
                put(field);
            }
        }
        bytes.insert(bytes.end(), {'L', 'I', 'S', 'T'});
        put(24);
        bytes.resize(bytes.size() + 24, 0x11);
        SetLittle(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8), 4);
        WriteFileBytes(file, bytes);

        const TTransferReport report = Upload(file, 1, 2);
        if (!c.Problem.empty()) {
            EXPECT_EQ(report.Outcome, toFailed);
            EXPECT_EQ(report.Message, file + c.Problem);
            EXPECT_EQ(FrontEnd.TargetChoices, 0);
            continue;
        }
        ASSERT_EQ(report.Outcome, toCompleted) << report.Message;
        const std::optional<TWaveSample> target = WaveSampleAt(1, 2);
        ASSERT_TRUE(target);
        EXPECT_EQ(target->Address(TWaveSample::LoopStartWord), 100u);
        EXPECT_EQ(target->Address(TWaveSample::LoopEndWord), c.LoopEnd);
        EXPECT_EQ(target->High(TWaveSample::PlaybackModeWord), 2);
        EXPECT_EQ(DataOf(1, 2, 0, Frames), samples);
    }
}

// A downloaded file brings every parameter word back into another slot, the
// addresses rebased to the uploaded data: Loop and Release and a root key
// outside the key range too, which its "smpl" chunk cannot say. A "smpl"
// chunk another writer changed wins with its root key and loop; data of
// another length than the words describe wins with its addresses.
TEST_F(UploadTest, ADownloadedFileBringsBackEveryParameterWord) {
    enum TEdit { edNone, edLoop, edLength };
    struct TCase {
        std::uint32_t Start;
        std::uint32_t End;
        std::uint32_t LoopStart;
        std::uint32_t LoopEnd;
        int Mode;
        TEdit Edit;
        // What the uploaded wavesample holds.
        std::uint32_t Frames;
        std::uint32_t NewLoopStart;
        std::uint32_t NewLoopEnd;
        int RootKey;
        int NewMode;
        // The wavesample's period: every rate a download writes comes back
        // at its period, sample for sample.
        int Period;
    };
    const std::vector<TCase> cases = {
        {100, 1099, 300, 899, 4, edNone, 1000, 200, 799, 30, 4, 17},
        {0, 1499, 10, 1499, 3, edNone, 1500, 10, 1499, 30, 3, 14},
        {0, 1499, 10, 1499, 3, edNone, 1500, 10, 1499, 30, 3, 255},
        {0, 1499, 10, 1499, 3, edNone, 1500, 10, 1499, 30, 3, 1},
        {100, 1099, 300, 899, 4, edLoop, 1000, 10, 500, 50, 2, 17},
        {100, 1099, 300, 899, 4, edLength, 900, 0, 899, 30, 4, 17},
    };
    const TSamples data = Wave(2000);
    for (const TCase& c : cases) {
        Place(5, 1, data, c.Start, c.End);
        Sampler().Inspect([&](TSamplerModel& model) {
            TWaveSample& waveSample = *model.Instrument(5)->WaveSample(1);
            waveSample.SetAddress(TWaveSample::LoopStartWord, c.LoopStart);
            waveSample.SetAddress(TWaveSample::LoopEndWord, c.LoopEnd);
            waveSample.SetHigh(TWaveSample::PlaybackModeWord, c.Mode);
            waveSample.SetHigh(TWaveSample::RootKeyWord, 30);
            waveSample.SetHigh(TWaveSample::LowKeyWord, 40);
            waveSample.SetHigh(TWaveSample::HighKeyWord, 90);
            waveSample.SetHigh(TWaveSample::PeriodWord, c.Period);
            // Filter and envelope words, some with a low byte.
            waveSample.Parameters[20] = 0x1234;
            waveSample.Parameters[47] = 0x00FF;
            waveSample.Parameters[110] = 0xABCD;
            waveSample.Parameters[138] = 0x7F01;
        });
        const std::optional<TWaveSample> original = WaveSampleAt(5, 1);
        const std::string file = Path("saved.wav");
        ASSERT_EQ(Download(5, 1, file).Outcome, toCompleted);
        std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        if (c.Edit == edLoop) {
            const std::size_t smpl = ChunkOfWaveFile(bytes, "smpl");
            SetLittle(bytes, smpl + 12, 50, 4); // unity note
            SetLittle(bytes, smpl + 40, 0, 4);  // forward
            SetLittle(bytes, smpl + 44, 10, 4);
            SetLittle(bytes, smpl + 48, 500, 4);
        } else if (c.Edit == edLength) {
            const auto frames = static_cast<std::ptrdiff_t>(c.Start);
            const std::size_t samples = ChunkOfWaveFile(bytes, "data");
            const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(samples);
            bytes.erase(first + 2 * static_cast<std::ptrdiff_t>(c.Frames),
                        first + 2 * (static_cast<std::ptrdiff_t>(c.End) + 1 - frames));
            SetLittle(bytes, samples - 4, 2 * c.Frames, 4);
            SetLittle(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8), 4);
        }
        WriteFileBytes(file, bytes);

        const TTransferReport report = Upload(file, 1, 2);

        ASSERT_EQ(report.Outcome, toCompleted) << report.Message;
        const std::optional<TWaveSample> target = WaveSampleAt(1, 2);
        ASSERT_TRUE(target && original);
        for (std::size_t word = 0; word < TWaveSample::ParameterCount; ++word) {
            const bool address = word >= TWaveSample::StartWord && word < TWaveSample::PeriodWord;
            const bool fromLoop =
                word == TWaveSample::RootKeyWord || word == TWaveSample::PlaybackModeWord;
            if (!address && !fromLoop) {
                EXPECT_EQ(target->Parameters[word], original->Parameters[word])
                    << "word " << word << ", edit " << c.Edit;
            }
        }
        EXPECT_EQ(target->High(TWaveSample::RootKeyWord), c.RootKey) << c.Edit;
        EXPECT_EQ(target->High(TWaveSample::PlaybackModeWord), c.NewMode) << c.Edit;
        EXPECT_EQ(target->Address(TWaveSample::StartWord), 0u);
        EXPECT_EQ(target->Address(TWaveSample::EndWord), c.Frames - 1);
        EXPECT_EQ(target->Address(TWaveSample::LoopStartWord), c.NewLoopStart) << c.Edit;
        EXPECT_EQ(target->Address(TWaveSample::LoopEndWord), c.NewLoopEnd) << c.Edit;
        const auto start = data.begin() + static_cast<std::ptrdiff_t>(c.Start);
        EXPECT_EQ(DataOf(1, 2, 0, c.Frames),
                  TSamples(start, start + static_cast<std::ptrdiff_t>(c.Frames)));
    }
}

// Part of the words of a damaged "tvwp" chunk would set other parameters
// than the ones saved: the file is refused before anything is sent.
TEST_F(UploadTest, ADamagedParameterChunkIsRefusedBeforeAnythingIsSent) {
    Place(5, 1, Wave(600), 0, 599);
    const std::string file = Path("damaged.wav");
    ASSERT_EQ(Download(5, 1, file).Outcome, toCompleted);
    const std::vector<std::uint8_t> saved = ReadFileBytes(file);
    // The layout version, the word count, then the words: the last chunk.
    const std::size_t chunk = ChunkOfWaveFile(saved, "tvwp");
    ASSERT_EQ(saved.size(), chunk + 4 + 2 * 139);
    struct TCase {
        std::size_t At;
        std::uint32_t Value;
        std::size_t Cut;
        std::string Problem;
    };
    const std::vector<TCase> cases = {
        {chunk + 2, 138, 0, "holds 138 words; 139 expected."},
        {chunk, 2, 0, "has layout version 2; only 1 is known."},
        {chunk, 1, 10, "holds 272 bytes; 282 expected."},
    };
    const std::optional<TWaveSample> before = WaveSampleAt(1, 2);
    for (const TCase& c : cases) {
        std::vector<std::uint8_t> bytes = saved;
        SetLittle(bytes, c.At, c.Value, 2);
        bytes.resize(bytes.size() - c.Cut);
        WriteFileBytes(file, bytes);

        const TTransferReport report = Upload(file, 1, 2);

        EXPECT_EQ(report.Outcome, toFailed);
        EXPECT_EQ(report.Message, file + ": its Tavimor parameter chunk " + c.Problem);
        EXPECT_EQ(FrontEnd.TargetChoices, 0);
    }
    EXPECT_TRUE(SamplerLog("SendWaveSample").empty());
    EXPECT_EQ(WaveSampleAt(1, 2), before);
}

// A caller that kept the words elsewhere gives them in place of the file's
// chunk; they are made the upload's own as the chunk's would be, and the
// instrument keeps its name.
TEST_F(UploadTest, WordsGivenByTheCallerAreRebasedAndTheNameKept) {
    const std::string file = MonoFile("plain.wav", Wave(500));
    // A copy of wavesample 2 at 29762 Hz whose sample and loop lie further on.
    TWaveSampleBlock words = DefaultWaveSampleParameters;
    words[wpCopyOf] = 2 << 8;
    SetSampleAddressOf(words, wpSampleStart, 1000);
    SetSampleAddressOf(words, wpSampleEnd, 1499);
    SetSampleAddressOf(words, wpLoopStart, 1100);
    SetSampleAddressOf(words, wpLoopEnd, 1399);
    words[wpPlaybackMode] = 4 << 8;
    words[40] = 0x1234;
    FrontEnd.Targets = {{1, 1}};
    FrontEnd.File = file;
    TUpload upload(*Eps, FrontEnd, UploadDownloadPath);
    upload.UseWords(words);
    upload.KeepInstrumentName();
    std::uint32_t framesSeen = 0;
    FrontEnd.OnEvents = [&] { framesSeen = framesSeen == 0 ? upload.Frames() : framesSeen; };

    const TTransferReport report = upload.Run();

    ASSERT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(report.Message, "Sent 500 samples to instrument 2, wavesample 1.");
    EXPECT_EQ(framesSeen, 500u);
    EXPECT_EQ(InstrumentNameOf(1), "DRUM KIT");
    const std::optional<TWaveSample> target = WaveSampleAt(1, 1);
    ASSERT_TRUE(target);
    EXPECT_FALSE(target->IsCopy());
    EXPECT_EQ(target->Address(TWaveSample::StartWord), 0u);
    EXPECT_EQ(target->Address(TWaveSample::EndWord), 499u);
    EXPECT_EQ(target->Address(TWaveSample::LoopStartWord), 100u);
    EXPECT_EQ(target->Address(TWaveSample::LoopEndWord), 399u);
    // The file's 31250 Hz.
    EXPECT_EQ(target->High(TWaveSample::PeriodWord), 20);
    for (std::size_t word = 0; word < TWaveSample::ParameterCount; ++word) {
        if (word != TWaveSample::CopyOfWord &&
            (word < TWaveSample::StartWord || word > TWaveSample::PeriodWord)) {
            EXPECT_EQ(target->Parameters[word], words[word]) << word;
        }
    }
    EXPECT_EQ(DataOf(1, 1, 0, 500), Wave(500));
}

// A cancelled upload says what it left changed, as the sampler holds it: the
// front of an existing wavesample, or an instrument it created, whose
// samples that came are made to play, or that holds none.
TEST_F(UploadTest, CancelInAWaitStateEndsTheUploadAndSaysWhatChanged) {
    const std::string file = MonoFile("c.wav", Wave(1000));
    struct TCase {
        int Instrument;
        int WaveSample;
        // The state whose pass sees the cancel, and whether a block must
        // have gone first.
        int CancelAt;
        bool AfterABlock;
        std::string Changed;
        // What the target plays afterwards, by the sampler's own words.
        std::int32_t Plays;
    };
    const std::vector<TCase> cases = {
        {1, 2, 7, true,
         " Wavesample 2 of Drum Kit now begins with 256 new samples of the file's 1000; the rest "
         "of its 400 samples is unchanged.",
         400},
        {7, 1, 7, true,
         " Instrument 8 was created for the upload; its wavesample 1 holds the first 256 of the "
         "file's 1000 samples.",
         256},
        {6, 1, 6, false, " Instrument 7 was created for the upload and holds no samples.", 0},
    };
    for (const TCase& c : cases) {
        // As the browser reads the directory after the connection check.
        ASSERT_TRUE(Eps->CheckConnection());
        ASSERT_TRUE(Eps->ReadConfiguration());
        FrontEnd.Progress.clear();
        FrontEnd.OnEvents = [&] {
            if (Eps->UploadState == c.CancelAt && FrontEnd.Progress.empty() != c.AfterABlock) {
                FrontEnd.CancelRequested = true;
            }
        };
        const TTransferReport report = Upload(file, c.Instrument, c.WaveSample);
        FrontEnd.CancelRequested = false;

        EXPECT_EQ(report.Outcome, toCancelled);
        EXPECT_EQ(report.Message,
                  "The upload was cancelled after " + std::string(c.AfterABlock ? "256" : "0") +
                      " of 1000 samples sent to instrument " + std::to_string(c.Instrument + 1) +
                      ", wavesample " + std::to_string(c.WaveSample) + "." + c.Changed);
        EXPECT_EQ(Eps->UploadState, 0);
        EXPECT_FALSE(FrontEnd.Showing);
        const std::optional<TWaveSample> target = WaveSampleAt(c.Instrument, c.WaveSample);
        const std::int32_t plays = !target || SampleRangeOf(WordsOf(*target)).Empty()
                                       ? 0
                                       : SampleRangeOf(WordsOf(*target)).Count();
        EXPECT_EQ(plays, c.Plays) << c.Changed;
    }
    // The pass that sees the cancel writes state 0 in place of the wait.
    EXPECT_NE(Trace.Text().find("State 6\r\nState 0\r\n** Start of MidiIn Dump **"),
              std::string::npos);
}

TEST_F(UploadTest, ASamplerThatFallsSilentStopsTheUpload) {
    FrontEnd.OnEvents = [&] {
        if (FrontEnd.Progress.size() == 1) {
            Sampler().SetFaults({.Silent = true});
        }
    };
    FrontEnd.Targets = {{1, 2}};
    FrontEnd.File = MonoFile("s.wav", Wave(1000));
    TUpload upload(*Eps, FrontEnd, UploadDownloadPath);
    upload.SilenceLimit = std::chrono::milliseconds(300);

    const TTransferReport report = upload.Run();

    EXPECT_EQ(report.Outcome, toNoAnswer);
    EXPECT_NE(report.Message.find("The sampler sent nothing for 300 ms; the upload was stopped "
                                  "after 256 of 1000 samples"),
              std::string::npos)
        << report.Message;
    EXPECT_NE(Trace.Text().find("State 4\r\nNo answer for 300 ms\r\n"), std::string::npos);
}

// The cable's time counts only for what the sampler has not answered yet:
// after a long upload over a line faster than MIDI, the next exchange starts
// at once, with no wait for what a MIDI cable would still be carrying.
TEST_F(UploadTest, ALongUploadDoesNotHoldUpTheNextExchange) {
    // About 19 s on a MIDI cable.
    ASSERT_EQ(Upload(MonoFile("long.wav", Wave(20000)), 1, 2).Outcome, toCompleted);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Eps->CheckConnection());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Every file that cannot be read, or not whole, or that no wavesample
// holds, is refused with one line before the browser, and nothing is sent.
TEST_F(UploadTest, FormatsTheReaderCannotConvertStopBeforeTheTransfer) {
    // 20000 frames of FLAC, for a file cut short and one whose header claims
    // ten hours: the 36 bits of the frame count end STREAMINFO's rate word.
    const std::string flac = Path("whole.flac");
    TSound sound;
    sound.Format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    for (int i = 0; i < 20000; ++i) {
        sound.Ints.push_back((i * 7919 % 65536 - 32768) * 65536);
    }
    WriteSound(flac, sound);
    const std::vector<std::uint8_t> whole = ReadFileBytes(flac);
    std::vector<std::uint8_t> tenHours = whole;
    const std::uint64_t frames = 10ULL * 3600 * 31250;
    for (int i = 0; i < 4; ++i) {
        tenHours.at(22 + static_cast<std::size_t>(i)) =
            static_cast<std::uint8_t>(frames >> (24 - 8 * i));
    }
    tenHours.at(21) = static_cast<std::uint8_t>((tenHours.at(21) & 0xF0) | (frames >> 32));
    struct TCase {
        std::string Name;
        std::vector<std::uint8_t> Bytes;
        std::string Problem;
    };
    std::vector<std::uint8_t> noChannels;
    std::vector<std::uint8_t> noRate;
    for (auto [bytes, at] : {std::pair{&noChannels, 22}, {&noRate, 24}}) {
        WriteWaveFile(Path("x.wav"), 1, 16, 31250, std::vector<std::uint8_t>(200, 1));
        *bytes = ReadFileBytes(Path("x.wav"));
        SetLittle(*bytes, static_cast<std::size_t>(at), 0, 2);
    }
    // One frame at 96 kHz: less than half a sample at the sampler's rate.
    WriteWaveFile(Path("x.wav"), 1, 16, 96000, {0x10, 0x20});
    const std::vector<std::uint8_t> tiny = ReadFileBytes(Path("x.wav"));
    const std::vector<TCase> cases = {
        {"empty.wav", {}, " is empty."},
        {"text.flac",
         {'h', 'e', 'l', 'l', 'o'},
         " is not a sound file that can be read (Format not recognised)."},
        {"cut.flac", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 9000),
         " ends after "},
        {"none.wav", noChannels, " has no channels."},
        {"rate.wav", noRate, " gives no sample rate."},
        {"tiny.wav", tiny,
         " is too short: its 1 frame at 96000 Hz makes no sample at the sampler's rate of 44642 "
         "Hz."},
        {"long.flac", tenHours,
         ": at 31250 Hz it would be 1,125,000,000 samples; a wavesample holds at most "
         "8,388,607 (0:04:28.4)."},
    };
    for (const TCase& c : cases) {
        const std::string file = Path(c.Name);
        WriteFileBytes(file, c.Bytes);

        const TTransferReport report = Upload(file, 1, 2);

        EXPECT_EQ(report.Outcome, toFailed) << c.Name;
        EXPECT_EQ(report.Message.rfind(file + c.Problem, 0), 0u) << report.Message;
        EXPECT_EQ(report.Message.find('\n'), std::string::npos);
        EXPECT_EQ(FrontEnd.TargetChoices, 0);
    }
    EXPECT_TRUE(SamplerLog("SendWaveSample").empty());
    EXPECT_EQ(CountLines(Trace.Text(), "State 1"), 0);
}

// One frame more than a sample address can end at: the wavesample's end
// would wrap round to 0.
TEST_F(UploadTest, AFileLongerThanAWaveSampleCanBeIsRefusedBeforeTheTransfer) {
    const std::string file = Path("long.wav");
    WriteWaveFile(file, 1, 8, 44100, std::vector<std::uint8_t>(std::size_t{1} << 23, 128));

    const TTransferReport report = Upload(file, 1, 2);

    EXPECT_EQ(report.Outcome, toFailed);
    EXPECT_EQ(report.Message, file + ": at 44642 Hz it would be 8,491,869 samples; a wavesample "
                                     "holds at most 8,388,607 (0:03:07.9).");
    EXPECT_EQ(FrontEnd.TargetChoices, 0);
}

TEST_F(UploadTest, AFileThatIsNotWaveIsRefused) {
    const std::string file = Path("text.wav");
    std::ofstream(file) << "hello";
    const TTransferReport report = Upload(file, 1, 2);
    EXPECT_EQ(report.Outcome, toFailed);
    EXPECT_EQ(report.Message,
              file + " is not a sound file that can be read (Format not recognised).");
    EXPECT_EQ(CountLines(Trace.Text(), "Not a RIFF file"), 1);
}

TEST_F(UploadTest, AMissingFileIsReported) {
    const std::string file = Path("gone.wav");
    EXPECT_EQ(Upload(file, 1, 2).Message, "Cannot open " + file + ".");
    EXPECT_EQ(CountLines(Trace.Text(), "Unable to open file " + file), 1);
}

// The open wavesample is set aside only once the user has chosen the target,
// under its own address; a choice cancelled keeps it open. Taken up again
// after an upload elsewhere, it has its view and its undo history: the undo
// brings the sampler's data back.
TEST_F(UploadTest, TheOpenWaveSampleIsSetAsideAndTakenUpAsItWas) {
    const std::string file = MonoFile("short.wav", Wave(300));
    ASSERT_TRUE(Eps->CheckConnection());
    Eps->Instrument = 1;
    Eps->WaveSample = 1;
    ASSERT_EQ(Eps->OpenWavesample(true), orOpened);
    const TSamples before = DataOf(1, 1, 0, 3000);
    Eps->History.Edit("Reverse Data", {1000, 1999}, [](TEps& eps) {
        eps.ReverseData(1000, 2000);
        return eps.WaitForReply();
    });
    ASSERT_NE(DataOf(1, 1, 0, 3000), before);
    Eps->SetViewStart(1024);
    Eps->SetViewEnd(2048);
    ASSERT_TRUE(Eps->RefreshView());

    // Cancelled at the file dialog, then at the browser.
    EXPECT_EQ(Upload("", 3, 2).Outcome, toNotStarted);
    FrontEnd.Targets.clear();
    FrontEnd.File = file;
    EXPECT_EQ(TUpload(*Eps, FrontEnd, UploadDownloadPath).Run().Outcome, toNotStarted);
    EXPECT_TRUE(Eps->WaveSampleOpen);
    EXPECT_TRUE(SamplerLog("Close").empty());

    const TTransferReport report = Upload(file, 3, 2);
    EXPECT_EQ(report.Outcome, toCompleted) << report.Message;
    EXPECT_EQ(SamplerLog("Close"), (std::vector<std::string>{"Close 1/0/1 -> 0"}));
    EXPECT_FALSE(Eps->WaveSampleOpen);
    EXPECT_EQ(DataOf(3, 2, 0, 300), Wave(300));

    ASSERT_TRUE(Eps->Aside());
    ASSERT_EQ(Eps->TakeUpWavesample(true), orOpened);
    EXPECT_EQ(Eps->Instrument, 1);
    EXPECT_EQ(Eps->WaveSample, 1);
    EXPECT_EQ(Eps->ViewStart, 1024);
    EXPECT_EQ(Eps->ViewEnd, 2048);
    ASSERT_EQ(Eps->History.UndoName(), "Reverse Data");
    Eps->History.Undo();
    EXPECT_EQ(DataOf(1, 1, 0, 3000), before);

    // An upload into the open wavesample opens it afresh, its history gone.
    ASSERT_EQ(Upload(file, 1, 1).Outcome, toCompleted);
    ASSERT_EQ(Eps->TakeUpWavesample(false), orOpened);
    EXPECT_FALSE(Eps->History.CanUndo() || Eps->History.CanRedo());
    EXPECT_EQ(Eps->ViewStart, 0);
    EXPECT_EQ(Eps->LastSample, 299);
}

} // namespace
