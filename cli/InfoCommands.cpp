#include "cli/InfoCommands.h"

#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <span>
#include <vector>

#include "cli/MidiDeviceChoice.h"
#include "cli/SamplerTexts.h"
#include "eps/Names.h"
#include "midi/MidiDeviceNames.h"
#include "transfer/JoinedText.h"
#include "transfer/WaveFile.h"

namespace {

// Keys in the order written, as scripts and people read them.
using TJson = nlohmann::ordered_json;

void PrintDevices(const char* title, const std::vector<std::string>& names) {
    std::cout << title << "\n";
    if (names.empty()) {
        std::cout << "  (none)\n";
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::cout << "  " << i << "  " << names[i] << "\n";
    }
}

std::vector<int> UsedWaveSamples(const TEps& eps, int instrument) {
    std::vector<int> numbers;
    const auto& used = eps.WaveSampleUsed[static_cast<std::size_t>(instrument)];
    for (std::size_t j = 0; j < used.size(); ++j) {
        if (used[j]) {
            numbers.push_back(static_cast<int>(j) + 1);
        }
    }
    return numbers;
}

void PrintDirectoryJson(const TEps& eps) {
    TJson instruments = TJson::array();
    for (int i = 0; i < InstrumentCount; ++i) {
        if (eps.InstrumentPresent[static_cast<std::size_t>(i)]) {
            instruments.push_back(
                {{"number", i + 1},
                 {"name", NameAsUtf8(eps.InstrumentName[static_cast<std::size_t>(i)])},
                 {"wavesamples", UsedWaveSamples(eps, i)}});
        }
    }
    std::cout << TJson{{"instruments", instruments}}.dump() << std::endl;
}

void PrintDirectory(const TEps& eps) {
    bool any = false;
    for (int i = 0; i < InstrumentCount; ++i) {
        if (!eps.InstrumentPresent[static_cast<std::size_t>(i)]) {
            continue;
        }
        any = true;
        char name[16];
        std::snprintf(name, sizeof name, "%-12s",
                      eps.InstrumentName[static_cast<std::size_t>(i)].c_str());
        std::cout << i + 1 << "  " << name << "  wavesamples "
                  << Joined(UsedWaveSamples(eps, i), " ") << "\n";
    }
    if (!any) {
        std::cout << "No instruments loaded.\n";
    }
}

const char* ModeName(int mode) {
    switch (mode) {
    case 0:
        return "Forward - No Loop";
    case 256:
        return "Backward - No Loop";
    case 512:
        return "Loop Forward";
    case 768:
        return "Loop Bidirectional";
    case 1024:
        return "Loop and Release";
    default:
        return "unknown";
    }
}

struct TParameters {
    std::string Name;
    std::int32_t Start, End, LoopStart, LoopEnd;
    int Mode;
    std::uint32_t Rate;
    int RootKey, LowKey, HighKey, CopyOf;
};

TParameters ParametersOf(const TEps& eps) {
    const TWaveSampleBlock& words = eps.WaveSampleParameters;
    return {DecodeName(std::span<const std::int32_t, NameWords>(words.begin(), NameWords)),
            eps.GetSampleAddress(wpSampleStart),
            eps.GetSampleAddress(wpSampleEnd),
            eps.GetSampleAddress(wpLoopStart),
            eps.GetSampleAddress(wpLoopEnd),
            words[wpPlaybackMode] & 0xFFFF,
            PeriodToRate(static_cast<std::uint32_t>(words[wpSamplingPeriod])),
            HighByte(words[wpRootKey]),
            HighByte(words[wpLowKey]),
            HighByte(words[wpHighKey]),
            HighByte(words[wpCopyOf])};
}

void PrintParametersJson(const TParameters& p) {
    const TJson json = {{"name", NameAsUtf8(p.Name)},
                        {"start", p.Start},
                        {"end", p.End},
                        {"loop_start", p.LoopStart},
                        {"loop_end", p.LoopEnd},
                        {"mode", p.Mode},
                        {"rate", p.Rate},
                        {"root_key", p.RootKey},
                        {"low_key", p.LowKey},
                        {"high_key", p.HighKey},
                        {"copy_of", p.CopyOf}};
    std::cout << json.dump() << std::endl;
}

void PrintParameters(const TParameters& p) {
    std::cout << "name        " << p.Name << "\n"
              << "start       " << p.Start << "\n"
              << "end         " << p.End << "\n"
              << "loop start  " << p.LoopStart << "\n"
              << "loop end    " << p.LoopEnd << "\n"
              << "mode        " << p.Mode << " (" << ModeName(p.Mode) << ")\n"
              << "rate        " << p.Rate << " Hz\n"
              << "root key    " << p.RootKey << "\n"
              << "key range   " << p.LowKey << ".." << p.HighKey << "\n"
              << "copy of     "
              << (p.CopyOf == 0 ? "none" : "wavesample " + std::to_string(p.CopyOf)) << "\n";
}

} // namespace

int ListDevices() {
    PrintDevices("MIDI inputs:", MidiInputNames());
    PrintDevices("MIDI outputs:", MidiOutputNames());
    return esSuccess;
}

int Probe(TCliSession& session) {
    if (!session.Connect()) {
        return esFailed;
    }
    std::cout << "The sampler answers on channel " << session.Eps().MidiOut->Channel() << "."
              << std::endl;
    return esSuccess;
}

int ListInstruments(TCliSession& session, bool json) {
    if (!session.Connect()) {
        return esFailed;
    }
    std::string problem;
    if (!ReadDirectory(session.Eps(), problem)) {
        return session.Fail(problem);
    }
    if (json) {
        PrintDirectoryJson(session.Eps());
    } else {
        PrintDirectory(session.Eps());
    }
    return esSuccess;
}

int ShowParameters(TCliSession& session, const TCliArguments& arguments) {
    if (!session.Connect()) {
        return esFailed;
    }
    TEps& eps = session.Eps();
    eps.Instrument = arguments.Instrument;
    eps.WaveSample = arguments.WaveSample;
    if (eps.OpenWavesample(false) == orFailed) {
        return session.Fail(MissingWaveSampleText(eps, arguments.Instrument, arguments.WaveSample));
    }
    const TParameters parameters = ParametersOf(eps);
    if (arguments.Json) {
        PrintParametersJson(parameters);
    } else {
        PrintParameters(parameters);
    }
    return esSuccess;
}
