#include "transfer/SoundFile.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "debug/DebugDevice.h"

namespace {

// How far a file's rate may lie from a period's and still play at its pitch:
// every rate a download writes (625000 div period) lies well within it.
constexpr double RateTolerance = 0.0005;
constexpr std::size_t BlockFrames = 4096;
// The same noise on every decoding: a verification compares word for word.
constexpr std::uint32_t NoiseSeed = 0x9E3779B9;
constexpr float FullScale = 32768.0f;

sf_count_t VirtualLength(void* stream) {
    auto* file = static_cast<std::FILE*>(stream);
    const long here = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end;
}

sf_count_t VirtualSeek(sf_count_t offset, int whence, void* stream) {
    auto* file = static_cast<std::FILE*>(stream);
    std::fseek(file, static_cast<long>(offset), whence);
    return std::ftell(file);
}

sf_count_t VirtualRead(void* to, sf_count_t count, void* stream) {
    return static_cast<sf_count_t>(
        std::fread(to, 1, static_cast<std::size_t>(count), static_cast<std::FILE*>(stream)));
}

sf_count_t VirtualWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t VirtualTell(void* stream) {
    return std::ftell(static_cast<std::FILE*>(stream));
}

// libsndfile reads through the stream the upload opened, and the fuzzer
// hands it a stream over its bytes.
SF_VIRTUAL_IO StreamIo = {VirtualLength, VirtualSeek, VirtualRead, VirtualWrite, VirtualTell};

struct TConverterDeleter {
    void operator()(SRC_STATE* state) const { src_delete(state); }
};

std::string FormatName(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        return "WAVE";
    case SF_FORMAT_AIFF:
        return "AIFF";
    case SF_FORMAT_FLAC:
        return "FLAC";
    case SF_FORMAT_OGG:
        return (format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS ? "Ogg Opus" : "Ogg Vorbis";
    case SF_FORMAT_MPEG:
        return "MP3";
    default:
        break;
    }
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info);
    std::string name = info.extension != nullptr ? info.extension : "sound";
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// The depth of the samples, and whether they are integers of at most 16
// bits.
std::pair<std::string, bool> DepthOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return {"8-bit", true};
    case SF_FORMAT_PCM_16:
        return {"16-bit", true};
    case SF_FORMAT_ULAW:
        return {"u-law", true};
    case SF_FORMAT_ALAW:
        return {"A-law", true};
    case SF_FORMAT_PCM_24:
        return {"24-bit", false};
    case SF_FORMAT_PCM_32:
        return {"32-bit", false};
    case SF_FORMAT_FLOAT:
        return {"32-bit float", false};
    case SF_FORMAT_DOUBLE:
        return {"64-bit float", false};
    default:
        return {"", false};
    }
}

// Whole numbers of any size a header may claim, in groups of three digits.
std::string Grouped(double number) {
    char text[400] = {};
    std::snprintf(text, sizeof text, "%.0f", number);
    const std::string digits = text;
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

std::string Plural(std::uint64_t count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string TwoDigits(long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string ClockText(double seconds, bool tenths, bool withHours) {
    const long long units = std::llround(seconds * (tenths ? 10 : 1));
    const long long whole = tenths ? units / 10 : units;
    const long long hours = whole / 3600;
    std::string text = hours > 0 || withHours
                           ? std::to_string(hours) + ":" + TwoDigits(whole / 60 % 60)
                           : std::to_string(whole / 60);
    text += ":" + TwoDigits(whole % 60);
    return tenths ? text + "." + std::to_string(units % 10) : text;
}

void TSoundFile::TLibraryCloser::operator()(sf_private_tag* sound) const {
    sf_close(sound);
}

TSoundFile::TSoundFile(std::FILE* stream, const std::string& name, bool keepRate)
    : Stream(stream), Name(name) {
    std::optional<std::string> waveProblem;
    if (!OpenWave(waveProblem) && !OpenLibrary(waveProblem)) {
        return;
    }
    if (Info.Channels == 0) {
        Refuse(Name + " has no channels.");
    } else if (Info.Rate == 0) {
        Refuse(Name + " gives no sample rate.");
    } else if (Info.Frames == 0) {
        Refuse(Name + " holds no samples.");
    } else {
        PlanRate(keepRate);
    }
}

TSoundFile::~TSoundFile() = default;

// Our reader keeps its own diagnostics for the files it reads; a header it
// reads with frames it cannot convert leaves the reason, for when
// libsndfile cannot read them either.
bool TSoundFile::OpenWave(std::optional<std::string>& problem) {
    Wave = ReadWaveHeader(Stream);
    if (!Wave) {
        return false;
    }
    Info = {"WAVE",           Wave->SampleRate,
            Wave->Channels,   std::to_string(Wave->BitsPerSample) + "-bit",
            Wave->FrameCount, true};
    problem = WaveFormatProblem(*Wave);
    // Without channels or a rate libsndfile has nothing to read either: the
    // constructor refuses such a header.
    if (problem && Info.Channels != 0 && Info.Rate != 0) {
        Wave.reset();
        return false;
    }
    return true;
}

bool TSoundFile::OpenLibrary(const std::optional<std::string>& waveProblem) {
    if (VirtualLength(Stream) == 0) {
        return Refuse(Name + " is empty.");
    }
    std::fseek(Stream, 0, SEEK_SET);
    SF_INFO info{};
    Library.reset(sf_open_virtual(&StreamIo, SFM_READ, &info, Stream));
    if (!Library) {
        std::string reason = sf_strerror(nullptr);
        DebugWriteLn(DebugDevice, "libsndfile: " + reason);
        if (reason.ends_with('.')) {
            reason.pop_back();
        }
        Refuse(waveProblem ? Name + ": " + *waveProblem
                           : Name + " is not a sound file that can be read (" + reason + ").");
        return false;
    }
    const auto [depth, exact] = DepthOf(info.format);
    Info = {FormatName(info.format),
            static_cast<std::uint32_t>(std::max(info.samplerate, 0)),
            static_cast<std::uint32_t>(std::max(info.channels, 0)),
            depth,
            static_cast<std::uint64_t>(std::max<sf_count_t>(info.frames, 0)),
            exact};
    DebugWriteLn(DebugDevice, "Read by libsndfile: " + Info.Format);
    return true;
}

void TSoundFile::PlanRate(bool keepRate) {
    const double rate = Info.Rate;
    const auto plays = [rate](std::uint32_t period) {
        const double periodRate = static_cast<double>(PeriodTicksPerSecond) / period;
        return std::abs(rate - periodRate) <= RateTolerance * periodRate;
    };
    const auto nearest = static_cast<std::uint32_t>(std::clamp<long long>(
        std::llround(PeriodTicksPerSecond / rate), 1, static_cast<long long>(LongestPeriod)));
    if (keepRate) {
        PeriodTicks = RateToPeriod(Info.Rate) >> 8;
    } else if (plays(nearest)) {
        PeriodTicks = nearest;
    } else {
        PeriodTicks = std::clamp(nearest, FastestPeriod, LongestPeriod);
        Resampled = true;
    }
    const std::string target = PeriodRateText();
    if (Resampled && src_is_valid_ratio(Ratio()) == 0) {
        Refuse(Name + ": its " + std::to_string(Info.Rate) + " Hz cannot be converted to " +
               target + ".");
        return;
    }
    const double words = std::round(static_cast<double>(Info.Frames) * Ratio());
    if (words == 0) {
        Refuse(Name + " is too short: its " + Plural(Info.Frames, "frame") + " at " +
               std::to_string(Info.Rate) + " Hz " + (Info.Frames == 1 ? "makes" : "make") +
               " no sample at the sampler's rate of " + target + ".");
        return;
    }
    if (words > MaxWords) {
        Refuse(Name + ": at " + target + " it would be " + Grouped(words) +
               " samples; a wavesample holds at most " + Grouped(MaxWords) + " (" +
               ClockText(MaxWords / PeriodRate(), true, true) + ").");
        return;
    }
    WordCount = static_cast<std::uint32_t>(words);
}

double TSoundFile::PeriodRate() const {
    return static_cast<double>(PeriodTicksPerSecond) / PeriodTicks;
}

std::string TSoundFile::PeriodRateText() const {
    return std::to_string(PeriodToRate(PeriodTicks << 8)) + " Hz";
}

std::optional<std::vector<std::int16_t>> TSoundFile::Decode() {
    if (Why) {
        return std::nullopt;
    }
    std::vector<std::int16_t> words;
    words.reserve(WordCount);
    NoiseState = NoiseSeed;
    const bool decoded = Info.Exact && !Resampled ? DecodeExact(words) : DecodeRounded(words);
    Library.reset();
    if (!decoded) {
        return std::nullopt;
    }
    if (FramesRead < Info.Frames) {
        Refuse(Name + " ends after " + Grouped(static_cast<double>(FramesRead)) + " of the " +
               Grouped(static_cast<double>(Info.Frames)) + " frames its header announces.");
        return std::nullopt;
    }
    // The converter's last few frames may fall short of the length the
    // ratio gives, which the upload announced.
    words.resize(WordCount, 0);
    return words;
}

bool TSoundFile::DecodeExact(std::vector<std::int16_t>& words) {
    std::vector<std::int32_t> block(BlockFrames);
    while (words.size() < WordCount) {
        const std::size_t count =
            ReadWords(block.data(), std::min(BlockFrames, WordCount - words.size()));
        if (count == 0) {
            break;
        }
        for (std::size_t i = 0; i < count; ++i) {
            words.push_back(static_cast<std::int16_t>(block[i]));
        }
    }
    return true;
}

// The converter takes the file block by block, so that only the words are
// ever held whole.
bool TSoundFile::DecodeRounded(std::vector<std::int16_t>& words) {
    std::unique_ptr<SRC_STATE, TConverterDeleter> converter;
    if (Resampled) {
        int error = 0;
        converter.reset(src_new(SRC_SINC_BEST_QUALITY, 1, &error));
        if (!converter) {
            return Refuse(Name + ": " + src_strerror(error));
        }
    }
    std::vector<float> in(BlockFrames);
    std::vector<float> out(static_cast<std::size_t>(BlockFrames * Ratio()) + 16);
    bool ended = false;
    while (!ended && words.size() < WordCount) {
        const std::size_t count = ReadSamples(in.data(), in.size());
        ended = count == 0;
        if (!converter) {
            for (std::size_t i = 0; i < count; ++i) {
                Round(in[i], words);
            }
            continue;
        }
        SRC_DATA data{};
        data.data_in = in.data();
        data.input_frames = static_cast<long>(count);
        data.data_out = out.data();
        data.output_frames = static_cast<long>(out.size());
        data.end_of_input = ended ? 1 : 0;
        data.src_ratio = Ratio();
        do {
            if (const int error = src_process(converter.get(), &data); error != 0) {
                return Refuse(Name + ": " + src_strerror(error));
            }
            for (long i = 0; i < data.output_frames_gen; ++i) {
                Round(out[static_cast<std::size_t>(i)], words);
            }
            data.data_in += data.input_frames_used;
            data.input_frames -= data.input_frames_used;
        } while (data.input_frames > 0 || (ended && data.output_frames_gen > 0));
    }
    return true;
}

std::size_t TSoundFile::ReadWords(std::int32_t* out, std::size_t count) {
    if (Wave) {
        auto read = static_cast<std::uint32_t>(FramesRead);
        const std::uint32_t got =
            ReadWaveBlock(Stream, *Wave, out, static_cast<std::uint32_t>(count), read);
        FramesRead = read;
        // The reader leaves a mono 16-bit sample in the low 16 bits.
        std::transform(out, out + got, out, [](std::int32_t word) {
            return static_cast<std::int16_t>(static_cast<std::uint16_t>(word));
        });
        return got;
    }
    const std::size_t channels = Info.Channels;
    InterleavedWords.resize(count * channels);
    const auto got = static_cast<std::size_t>(
        sf_readf_short(Library.get(), InterleavedWords.data(), static_cast<sf_count_t>(count)));
    // Each channel's share truncated, as our reader mixes stereo.
    for (std::size_t frame = 0; frame < got; ++frame) {
        std::int32_t mixed = 0;
        for (std::size_t channel = 0; channel < channels; ++channel) {
            mixed += InterleavedWords[frame * channels + channel] / static_cast<int>(channels);
        }
        out[frame] = mixed;
    }
    FramesRead += got;
    return got;
}

std::size_t TSoundFile::ReadSamples(float* out, std::size_t count) {
    if (Info.Exact) {
        MixedWords.resize(count);
        const std::size_t got = ReadWords(MixedWords.data(), count);
        for (std::size_t i = 0; i < got; ++i) {
            out[i] = static_cast<float>(MixedWords[i]) / FullScale;
        }
        return got;
    }
    const std::size_t channels = Info.Channels;
    Interleaved.resize(count * channels);
    const auto got = static_cast<std::size_t>(
        sf_readf_float(Library.get(), Interleaved.data(), static_cast<sf_count_t>(count)));
    for (std::size_t frame = 0; frame < got; ++frame) {
        float sum = 0;
        for (std::size_t channel = 0; channel < channels; ++channel) {
            sum += Interleaved[frame * channels + channel];
        }
        out[frame] = sum / static_cast<float>(channels);
    }
    FramesRead += got;
    return got;
}

void TSoundFile::Round(float sample, std::vector<std::int16_t>& words) {
    if (words.size() == WordCount) {
        return;
    }
    float value = std::floor(sample * FullScale + Noise() + 0.5f);
    if (std::isnan(value)) {
        value = 0;
    } else if (value > FullScale - 1 || value < -FullScale) {
        ++ClippedCount;
        value = std::clamp(value, -FullScale, FullScale - 1);
    }
    words.push_back(static_cast<std::int16_t>(value));
}

float TSoundFile::Noise() {
    return Uniform() + Uniform() - 1.0f;
}

// xorshift32: the same sequence on every platform.
float TSoundFile::Uniform() {
    NoiseState ^= NoiseState << 13;
    NoiseState ^= NoiseState >> 17;
    NoiseState ^= NoiseState << 5;
    return static_cast<float>(NoiseState >> 8) / 16777216.0f;
}

bool TSoundFile::Refuse(const std::string& why) {
    Why = why;
    return false;
}

std::string TSoundFile::Description() const {
    std::string text = Info.Format + ", " + std::to_string(Info.Rate) + " Hz, " +
                       Plural(Info.Channels, "channel") + ", ";
    if (!Info.Depth.empty()) {
        text += Info.Depth + ", ";
    }
    return text + ClockText(static_cast<double>(Info.Frames) / Info.Rate, true) + " \u2192 " +
           PeriodRateText() + (Resampled ? "" : " as it is") + ", " + Grouped(WordCount) + " words";
}

std::string TSoundFile::ConversionNote() const {
    std::vector<std::string> parts;
    if (Resampled) {
        parts.push_back("converted from " + std::to_string(Info.Rate) + " Hz");
    } else if (!Info.Exact) {
        parts.push_back(Info.Depth.empty() ? "rounded to 16 bits" : "rounded from " + Info.Depth);
    }
    if (ClippedCount > 0) {
        parts.push_back(Plural(ClippedCount, "sample") + " clipped");
    }
    std::string note;
    for (const std::string& part : parts) {
        note += (note.empty() ? "" : "; ") + part;
    }
    return note;
}

// libsndfile names one extension a format; the usual others come along.
std::vector<std::string> TSoundFile::Extensions() {
    static const std::multimap<std::string, std::string> aliases = {
        {"aiff", "aif"}, {"aiff", "aifc"}, {"oga", "ogg"}, {"m1a", "mp3"}, {"m1a", "mp2"}};
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    std::vector<std::string> extensions;
    const auto add = [&extensions](const std::string& extension) {
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
            extensions.push_back(extension);
        }
    };
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        // Headerless files cannot be recognised by their contents.
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW || info.extension == nullptr) {
            continue;
        }
        add(info.extension);
        const auto [first, last] = aliases.equal_range(info.extension);
        std::for_each(first, last, [&add](const auto& alias) { add(alias.second); });
    }
    return extensions;
}
