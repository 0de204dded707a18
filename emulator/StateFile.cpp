#include "emulator/StateFile.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr char Magic[8] = {'T', 'V', 'E', 'P', 'S', 'M', 'E', 'M'};

class TWriter {
public:
    void Bytes(const void* data, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        Out.insert(Out.end(), p, p + count);
    }
    void Flag(bool value) { Out.push_back(value ? 1 : 0); }
    void U16(std::uint16_t v) { Little(v, 2); }
    void U32(std::uint32_t v) { Little(v, 4); }
    template <typename TWords> void Words(const TWords& words) {
        for (const auto w : words) {
            U16(static_cast<std::uint16_t>(w));
        }
    }
    std::vector<std::uint8_t> Out;

private:
    void Little(std::uint32_t v, int count) {
        for (int i = 0; i < count; ++i) {
            Out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
};

// Reads what TWriter wrote; any read past the end or a bad flag marks the
// whole file bad.
class TReader {
public:
    explicit TReader(std::vector<std::uint8_t> in) : In(std::move(in)) {}
    bool Bad = false;
    bool AtEnd() const { return Position == In.size(); }
    bool Match(const void* data, std::size_t count) {
        const bool same = Take(count) && std::memcmp(&In[Position - count], data, count) == 0;
        Bad = Bad || !same;
        return same;
    }
    bool Flag() {
        const std::uint32_t v = Little(1);
        Bad = Bad || v > 1;
        return v == 1;
    }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Little(2)); }
    std::uint32_t U32() { return Little(4); }
    template <typename TWords> void Words(TWords& words) {
        for (auto& w : words) {
            w = static_cast<std::remove_reference_t<decltype(w)>>(U16());
        }
    }

private:
    bool Take(std::size_t count) {
        if (Bad || In.size() - Position < count) {
            Bad = true;
            return false;
        }
        Position += count;
        return true;
    }
    std::uint32_t Little(int count) {
        if (!Take(static_cast<std::size_t>(count))) {
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = count; i > 0; --i) {
            v = (v << 8) | In[Position - count + i - 1];
        }
        return v;
    }
    std::vector<std::uint8_t> In;
    std::size_t Position = 0;
};

void WriteWaveSample(TWriter& out, const TWaveSample& waveSample) {
    out.Words(waveSample.Parameters);
    out.U32(static_cast<std::uint32_t>(waveSample.Data.size()));
    out.Words(waveSample.Data);
}

void WriteInstrument(TWriter& out, const TInstrument& instrument) {
    out.Words(instrument.Parameters());
    out.Flag(instrument.HasLayer());
    for (int n = 1; n <= TInstrument::SlotCount; ++n) {
        const TWaveSample* waveSample = instrument.WaveSample(n);
        out.Flag(waveSample != nullptr);
        if (waveSample != nullptr) {
            WriteWaveSample(out, *waveSample);
        }
    }
}

// No wavesample of any model is larger than the largest memory; a count
// above it can only come from a damaged file.
void ReadWaveSample(TReader& in, TInstrument& instrument, int n) {
    TWaveSample waveSample;
    in.Words(waveSample.Parameters);
    const std::uint32_t count = in.U32();
    if (count > TSamplerModel::MemoryWords(TSamplerKind::Asr)) {
        in.Bad = true;
        return;
    }
    waveSample.Data.resize(count);
    in.Words(waveSample.Data);
    instrument.Place(n, std::move(waveSample));
}

void ReadInstrument(TReader& in, TInstrument& instrument) {
    TInstrument::TParameters block;
    in.Words(block);
    if (in.Flag()) {
        instrument.CreateLayer();
    }
    for (int n = 1; n <= TInstrument::SlotCount && !in.Bad; ++n) {
        if (in.Flag()) {
            ReadWaveSample(in, instrument, n);
        }
    }
    instrument.SetParameters(block);
}

// Writes the bytes and waits until they are on the disk, so that the rename
// that follows never puts an incomplete file in place of a good one.
#ifdef _WIN32

bool WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const HANDLE file = CreateFileW(TUtf8::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    return CloseHandle(file) && whole;
}

#else

bool WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    const bool synced = done == bytes.size() && fsync(fd) == 0;
    return close(fd) == 0 && synced;
}

#endif

} // namespace

bool TStateFile::Save(const TSamplerModel& model, const std::string& path, std::string& error) {
    TWriter out;
    out.Bytes(Magic, sizeof Magic);
    out.U32(Version);
    for (int i = 0; i < TSamplerModel::InstrumentCount; ++i) {
        const TInstrument* instrument = model.Instrument(i);
        out.Flag(instrument != nullptr);
        if (instrument != nullptr) {
            WriteInstrument(out, *instrument);
        }
    }
    const std::string temporary = path + ".tmp";
    std::error_code failure;
    if (!WriteWhole(temporary, out.Out)) {
        std::filesystem::remove(TUtf8::Path(temporary), failure);
        error = "cannot write " + temporary;
        return false;
    }
    // Replaces the old file in one step on every system.
    std::filesystem::rename(TUtf8::Path(temporary), TUtf8::Path(path), failure);
    if (failure) {
        std::filesystem::remove(TUtf8::Path(temporary), failure);
        error = "cannot replace " + path;
        return false;
    }
    return true;
}

bool TStateFile::Load(TSamplerModel& model, const std::string& path, std::string& error) {
    std::ifstream file(TUtf8::Path(path), std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    TReader in({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    TSamplerModel loaded(model.Kind());
    in.Match(Magic, sizeof Magic);
    if (!in.Bad && in.U32() != Version) {
        error = path + " is of another version";
        return false;
    }
    for (int i = 0; i < TSamplerModel::InstrumentCount && !in.Bad; ++i) {
        if (in.Flag()) {
            ReadInstrument(in, loaded.CreateInstrument(i));
        }
    }
    if (in.Bad || !in.AtEnd()) {
        error = path + " is not a sampler state file";
        return false;
    }
    if (loaded.UsedWords() > loaded.MemoryWords()) {
        error = path + " holds more than the memory of an " + TSamplerModel::KindName(model.Kind());
        return false;
    }
    model = std::move(loaded);
    return true;
}
