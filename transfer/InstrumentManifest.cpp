#include "transfer/InstrumentManifest.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <span>

#include "eps/Eps.h"
#include "eps/Names.h"
#include "platform/Utf8.h"

namespace {

// Keys in the order written, so that the manifest reads from the top.
using json = nlohmann::ordered_json;

constexpr const char* FormatName = "tavimor instrument backup";
// Version 1 files held the samples from the start marker up to the end,
// without the end's own; version 2 files hold the range they name.
constexpr int FormatVersion = 2;

// What makes a manifest unusable, thrown from deep in the reading and
// caught once, where the file's name is put before it.
struct TManifestProblem {
    std::string Text;
};

template <std::size_t N> std::string NameOf(const std::array<std::int32_t, N>& words) {
    return NameAsUtf8(
        DecodeName(std::span<const std::int32_t, NameWords>(words.data(), NameWords)));
}

template <std::size_t N> json WordsJson(const std::array<std::int32_t, N>& words) {
    return json(std::vector<std::int32_t>(words.begin(), words.end()));
}

const json& Member(const json& object, const char* key, const std::string& where) {
    if (!object.is_object() || !object.contains(key)) {
        throw TManifestProblem{where + " has no \"" + key + "\""};
    }
    return object.at(key);
}

int Integer(const json& value, int low, int high, const std::string& what) {
    if (!value.is_number_integer() || value.get<std::int64_t>() < low ||
        value.get<std::int64_t>() > high) {
        throw TManifestProblem{what + " is not a whole number from " + std::to_string(low) +
                               " to " + std::to_string(high)};
    }
    return value.get<int>();
}

template <std::size_t N>
std::array<std::int32_t, N> Words(const json& object, const std::string& where) {
    const json& list = Member(object, "words", where);
    if (!list.is_array() || list.size() != N) {
        throw TManifestProblem{where + " holds " +
                               (list.is_array() ? std::to_string(list.size()) : "no") +
                               " parameter words; " + std::to_string(N) + " expected"};
    }
    std::array<std::int32_t, N> words{};
    for (std::size_t i = 0; i < N; ++i) {
        words[i] = Integer(list[i], 0, 0xFFFF, where + ", word " + std::to_string(i));
    }
    return words;
}

// A plain name of a file in the backup's own folder: a manifest must not
// send a restore to read files elsewhere.
std::string FileName(const json& entry, const std::filesystem::path& folder,
                     const std::string& where) {
    const json& value = Member(entry, "file", where);
    const std::string name = value.is_string() ? value.get<std::string>() : std::string();
    const std::filesystem::path path = TUtf8::Path(name);
    if (name.empty() || path.has_parent_path() || name == "." || name == "..") {
        throw TManifestProblem{where + " names no file of the backup's folder"};
    }
    if (!std::filesystem::is_regular_file(folder / path)) {
        throw TManifestProblem{where + ": " + name + " is missing"};
    }
    return name;
}

TManifestWaveSample WaveSampleOf(const json& entry, const std::filesystem::path& folder,
                                 int version) {
    TManifestWaveSample waveSample;
    waveSample.Number =
        Integer(Member(entry, "number", "a wavesample"), 1, InstrumentSlots, "a wavesample number");
    const std::string where = "wavesample " + std::to_string(waveSample.Number);
    waveSample.Words = Words<WaveSampleWords>(entry, where);
    if (waveSample.CopyOf() != 0) {
        return waveSample;
    }
    if (version == 1) {
        const int samples =
            Integer(Member(entry, "samples", where), 0, INT32_MAX, where + ", its samples");
        waveSample.Held =
            TSampleRange::Counted(SampleAddressOf(waveSample.Words, wpSampleStart), samples);
    } else if (entry.contains("file")) {
        const int first =
            Integer(Member(entry, "first", where), 0, INT32_MAX, where + ", its first");
        waveSample.Held = {
            first, Integer(Member(entry, "last", where), first, INT32_MAX, where + ", its last")};
    }
    if (!waveSample.Held.Empty()) {
        waveSample.File = FileName(entry, folder, where);
    }
    return waveSample;
}

void CheckCopies(const TInstrumentManifest& manifest) {
    for (const TManifestWaveSample& waveSample : manifest.WaveSamples) {
        const int original = waveSample.CopyOf();
        const TManifestWaveSample* copied = original == 0 ? nullptr : manifest.Find(original);
        if (original != 0 && (copied == nullptr || copied->CopyOf() != 0)) {
            throw TManifestProblem{"wavesample " + std::to_string(waveSample.Number) +
                                   " copies wavesample " + std::to_string(original) +
                                   ", which the backup holds no samples of"};
        }
    }
}

TInstrumentManifest ManifestOf(const json& document, const std::filesystem::path& folder) {
    const json& format = Member(document, "format", "the manifest");
    if (format != FormatName) {
        throw TManifestProblem{"it is not a Tavimor instrument backup"};
    }
    const int version =
        Integer(Member(document, "version", "the manifest"), 1, 1000, "its version");
    if (version > FormatVersion) {
        throw TManifestProblem{"it has a version this program does not read"};
    }
    TInstrumentManifest manifest;
    manifest.Instrument = Integer(Member(document, "instrument", "the manifest"), 1,
                                  InstrumentCount, "its instrument") -
                          1;
    manifest.Words = Words<InstrumentWords>(document, "the instrument");
    const json& list = Member(document, "waveSamples", "the manifest");
    if (!list.is_array() || list.empty()) {
        throw TManifestProblem{"it lists no wavesamples"};
    }
    for (const json& entry : list) {
        TManifestWaveSample waveSample = WaveSampleOf(entry, folder, version);
        if (!manifest.WaveSamples.empty() &&
            waveSample.Number <= manifest.WaveSamples.back().Number) {
            throw TManifestProblem{"wavesample " + std::to_string(waveSample.Number) +
                                   " is listed twice or out of order"};
        }
        manifest.WaveSamples.push_back(std::move(waveSample));
    }
    CheckCopies(manifest);
    return manifest;
}

// The parser's own words without its "[json.exception...]" tag.
std::string ParserText(const std::exception& error) {
    const std::string text = error.what();
    const std::size_t tagEnd = text.find("] ");
    return tagEnd == std::string::npos ? text : text.substr(tagEnd + 2);
}

} // namespace

std::string TInstrumentManifest::Name() const {
    return NameOf(Words);
}

const TManifestWaveSample* TInstrumentManifest::Find(int number) const {
    const auto found =
        std::find_if(WaveSamples.begin(), WaveSamples.end(),
                     [&](const TManifestWaveSample& w) { return w.Number == number; });
    return found == WaveSamples.end() ? nullptr : &*found;
}

bool TInstrumentManifest::Write(const std::filesystem::path& folder, std::string& problem) const {
    json list = json::array();
    for (const TManifestWaveSample& waveSample : WaveSamples) {
        json entry = {{"number", waveSample.Number}, {"name", NameOf(waveSample.Words)}};
        if (waveSample.CopyOf() != 0) {
            entry["copyOf"] = waveSample.CopyOf();
        }
        if (!waveSample.File.empty()) {
            entry["file"] = waveSample.File;
            entry["first"] = waveSample.Held.First;
            entry["last"] = waveSample.Held.Last;
            entry["samples"] = waveSample.Samples();
        }
        entry["words"] = WordsJson(waveSample.Words);
        list.push_back(std::move(entry));
    }
    const json document = {{"format", FormatName},         {"version", FormatVersion},
                           {"instrument", Instrument + 1}, {"name", Name()},
                           {"words", WordsJson(Words)},    {"waveSamples", std::move(list)}};
    const std::filesystem::path path = folder / FileName;
    const std::filesystem::path partial = folder / (std::string(FileName) + ".partial");
    {
        std::ofstream out(partial, std::ios::binary);
        out << document.dump(1) << '\n';
        if (!out.flush()) {
            problem = "cannot write " + TUtf8::Text(partial);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) {
        problem = "cannot write " + TUtf8::Text(path) + ": " + error.message();
        return false;
    }
    return true;
}

std::optional<TInstrumentManifest> TInstrumentManifest::Read(const std::filesystem::path& folder,
                                                             std::string& problem) {
    const std::filesystem::path path = folder / FileName;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = TUtf8::Text(path) + ": there is no such file";
        return std::nullopt;
    }
    try {
        return ManifestOf(json::parse(in), folder);
    } catch (const json::exception& error) {
        problem = TUtf8::Text(path) + ": not a manifest (" + ParserText(error) + ")";
    } catch (const TManifestProblem& error) {
        problem = TUtf8::Text(path) + ": " + error.Text;
    }
    return std::nullopt;
}
