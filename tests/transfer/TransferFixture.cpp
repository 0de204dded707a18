#include "tests/transfer/TransferFixture.h"

#include "tests/support/SamplerPlacement.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "emulator/SamplerName.h"
#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/TempFolder.h"
#include "transfer/Download.h"
#include "transfer/Upload.h"

bool TScriptedFrontEnd::ChooseTarget(TTransferDirection) {
    if (TargetChoices == static_cast<int>(Targets.size())) {
        return false;
    }
    const auto [instrument, waveSample] = Targets[static_cast<std::size_t>(TargetChoices++)];
    Eps->Instrument = instrument;
    Eps->WaveSample = waveSample;
    return true;
}

std::string TScriptedFrontEnd::ChooseFile(TTransferDirection, const std::string& initialFolder) {
    ++FileChoices;
    InitialFolder = initialFolder;
    return File;
}

void TScriptedFrontEnd::BeginTransfer(const std::string& caption) {
    Caption = caption;
    CancelRequested = false;
    Showing = true;
}

void TScriptedFrontEnd::ShowProgress(float secondsLeft, float percent) {
    EXPECT_TRUE(Showing);
    Progress.emplace_back(secondsLeft, percent);
}

void TScriptedFrontEnd::ShowStall(int seconds) {
    EXPECT_TRUE(Showing);
    Stalls.push_back(seconds);
}

void TScriptedFrontEnd::ProcessEvents() {
    if (OnEvents) {
        OnEvents();
    }
}

void TransferTest::SetUp() {
    Folder = MakeTempFolder("tavimor-xfer");
    Restart({});
}

void TransferTest::TearDown() {
    StopSampler();
    std::filesystem::remove_all(Folder);
}

void TransferTest::Restart(const TSamplerOptions& options) {
    StopSampler();
    Peer = std::make_shared<TTestSampler>(options);
    ASSERT_TRUE(MidiRegisterLocalPeer(Peer));
    Sampler().SetLog([this](const std::string& line) {
        std::lock_guard lock(LogMutex);
        Log.push_back(line);
    });
    Eps = std::make_unique<TEps>(nullptr, &FrontEnd);
    Eps->MidiIn->DeviceID = MidiInputNumber(TTestSampler::DeviceName);
    Eps->MidiOut->DeviceID = MidiOutputNumber(TTestSampler::DeviceName);
    FrontEnd.Eps = Eps.get();
}

void TransferTest::StopSampler() {
    Eps.reset();
    if (Peer) {
        MidiUnregisterLocalPeer(TTestSampler::DeviceName);
        Peer.reset();
    }
}

TTransferReport TransferTest::Download(int instrument, int waveSample, const std::string& file) {
    FrontEnd.Targets = {{instrument, waveSample}};
    FrontEnd.TargetChoices = 0;
    FrontEnd.File = file;
    TDownload download(*Eps, FrontEnd, UploadDownloadPath);
    return download.Run();
}

TTransferReport TransferTest::Upload(const std::string& file, int instrument, int waveSample) {
    FrontEnd.Targets = {{instrument, waveSample}};
    FrontEnd.TargetChoices = 0;
    FrontEnd.File = file;
    TUpload upload(*Eps, FrontEnd, UploadDownloadPath);
    return upload.Run();
}

void TransferTest::Place(int instrument, int number, const TSamples& data, std::uint32_t start,
                         std::uint32_t end) {
    Sampler().Inspect([&](TSamplerModel& model) {
        PlaceWaveSample(model, instrument, number, data, start, end);
    });
}

TSamples TransferTest::DataOf(int instrument, int number, std::size_t start, std::size_t end) {
    const std::optional<TWaveSample> waveSample = WaveSampleAt(instrument, number);
    if (!waveSample || waveSample->Data.size() < end) {
        return {};
    }
    return {waveSample->Data.begin() + static_cast<std::ptrdiff_t>(start),
            waveSample->Data.begin() + static_cast<std::ptrdiff_t>(end)};
}

std::optional<TWaveSample> TransferTest::WaveSampleAt(int instrument, int number) {
    EXPECT_TRUE(Sampler().WaitUntilIdle());
    std::optional<TWaveSample> copy;
    Sampler().Inspect([&](TSamplerModel& model) {
        const TInstrument* found = model.Instrument(instrument);
        if (const TWaveSample* waveSample = found ? found->WaveSample(number) : nullptr) {
            copy = *waveSample;
        }
    });
    return copy;
}

std::string TransferTest::InstrumentNameOf(int instrument) {
    EXPECT_TRUE(Sampler().WaitUntilIdle());
    std::string name;
    Sampler().Inspect([&](TSamplerModel& model) {
        if (const TInstrument* found = model.Instrument(instrument)) {
            name = TSamplerName::Decode(found->Parameters().data());
        }
    });
    return name;
}

std::vector<std::string> TransferTest::SamplerLog() {
    EXPECT_TRUE(Sampler().WaitUntilIdle());
    std::lock_guard lock(LogMutex);
    return Log;
}

std::vector<std::string> TransferTest::SamplerLog(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : SamplerLog()) {
        if (line.starts_with(prefix)) {
            lines.push_back(line);
        }
    }
    return lines;
}

namespace {

void PutLittle(std::vector<std::uint8_t>& to, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PutTag(std::vector<std::uint8_t>& to, const char* tag) {
    to.insert(to.end(), tag, tag + 4);
}

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

constexpr std::size_t HeaderBytes = 44;

} // namespace

void WriteWaveFile(const std::string& path, std::uint16_t channels, std::uint16_t bits,
                   std::uint32_t rate, const std::vector<std::uint8_t>& data) {
    const auto align = static_cast<std::uint16_t>(channels * bits / 8);
    std::vector<std::uint8_t> file;
    PutTag(file, "RIFF");
    PutLittle(file, static_cast<std::uint32_t>(data.size() + 36), 4);
    PutTag(file, "WAVE");
    PutTag(file, "fmt ");
    PutLittle(file, 16, 4);
    PutLittle(file, 1, 2);
    PutLittle(file, channels, 2);
    PutLittle(file, rate, 4);
    PutLittle(file, rate * align, 4);
    PutLittle(file, align, 2);
    PutLittle(file, bits, 2);
    PutTag(file, "data");
    PutLittle(file, static_cast<std::uint32_t>(data.size()), 4);
    file.insert(file.end(), data.begin(), data.end());
    WriteFileBytes(path, file);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::size_t ChunkOfWaveFile(const std::vector<std::uint8_t>& bytes, const char* tag) {
    std::size_t at = 12;
    while (at + 8 <= bytes.size() &&
           !std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at))) {
        const std::uint32_t size = Little(bytes, at + 4, 4);
        at += 8 + size + (size & 1);
    }
    return at + 8 <= bytes.size() ? at + 8 : 0;
}

void SetLittle(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t RateOfWaveFile(const std::string& path) {
    return Little(ReadFileBytes(path), 24, 4);
}

// The data chunk only: a "smpl" chunk may follow it.
TSamples SamplesOfWaveFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    TSamples samples;
    if (bytes.size() < HeaderBytes) {
        return samples;
    }
    const std::size_t end = std::min<std::size_t>(bytes.size(), HeaderBytes + Little(bytes, 40, 4));
    for (std::size_t at = HeaderBytes; at + 1 < end; at += 2) {
        samples.push_back(static_cast<std::int16_t>(Little(bytes, at, 2)));
    }
    return samples;
}

std::uint32_t AnnouncedSamplesOfWaveFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < HeaderBytes || Little(bytes, 4, 4) != bytes.size() - 8 ||
        Little(bytes, 40, 4) > bytes.size() - HeaderBytes) {
        return 0;
    }
    return Little(bytes, 40, 4) / 2;
}

std::uintmax_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

int CountLines(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string each; std::getline(lines, each);) {
        if (!each.empty() && each.back() == '\r') {
            each.pop_back();
        }
        count += each == line ? 1 : 0;
    }
    return count;
}

TWaveSampleBlock WordsOf(const TWaveSample& waveSample) {
    TWaveSampleBlock words{};
    std::copy(waveSample.Parameters.begin(), waveSample.Parameters.end(), words.begin());
    return words;
}
