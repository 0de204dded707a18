// The manifest of an instrument backup, DIR/instrument.json: the
// instrument's name and every one of its parameter words, and for each used
// wavesample slot its parameter words and either the WAVE file that holds its
// samples or the slot it is a parameters-only copy of. A restore takes every
// setting from here, so a sound edited in another tool, which may drop the
// file's own chunks, still comes back with its settings.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "eps/ParameterBlocks.h"

struct TManifestWaveSample {
    // 1..127.
    int Number = 1;
    TWaveSampleBlock Words{};
    // The addresses whose samples the file in the backup's folder holds,
    // and that file; none for a parameters-only copy or a wavesample that
    // cannot be saved (it has no rate).
    TSampleRange Held;
    std::string File;

    std::uint32_t Samples() const { return static_cast<std::uint32_t>(Held.Count()); }

    // The wavesample this one copies (word 12), 0 when it has data.
    int CopyOf() const { return HighByte(Words[wpCopyOf]); }
};

class TInstrumentManifest {
public:
    static constexpr const char* FileName = "instrument.json";

    // The slot it was backed up from, 0..7.
    int Instrument = 0;
    TInstrumentBlock Words{};
    // In ascending order of their numbers.
    std::vector<TManifestWaveSample> WaveSamples;

    // The instrument's name as the browser shows it.
    std::string Name() const;
    const TManifestWaveSample* Find(int number) const;

    // Written whole under another name first, so that a folder never holds
    // half a manifest. False with the reason.
    bool Write(const std::filesystem::path& folder, std::string& problem) const;
    // The manifest of a folder, checked through: every word count and value,
    // the wavesample numbers, that each file is a plain name in the folder
    // and that each copy copies a wavesample with data in the backup. Empty
    // with one line naming the file and the problem.
    static std::optional<TInstrumentManifest> Read(const std::filesystem::path& folder,
                                                   std::string& problem);
};
