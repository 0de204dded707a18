// What the upload's decoding costs before the transfer: a minute of 48 kHz
// stereo 24-bit WAVE decoded, mixed, resampled to 44,642 Hz and dithered, set
// against the time its words need on a MIDI cable.
//
//   bench_decode
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "transfer/SoundFile.h"
#include "transfer/Upload.h"

namespace {

constexpr int Rate = 48000;
constexpr int Seconds = 60;
constexpr int Channels = 2;
constexpr int BlockSize = 1024;

bool WriteSound(const std::string& path) {
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = Channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* sound = sf_open(path.c_str(), SFM_WRITE, &info);
    if (sound == nullptr) {
        return false;
    }
    std::vector<float> frames(static_cast<std::size_t>(Rate) * Channels);
    for (int second = 0; second < Seconds; ++second) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            frames[i] = 0.5f * std::sin(static_cast<float>(i) * (i % 2 == 0 ? 0.0576f : 0.0312f));
        }
        sf_writef_float(sound, frames.data(), Rate);
    }
    sf_close(sound);
    return true;
}

} // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "tavimor-bench-decode.wav").string();
    if (!WriteSound(path)) {
        std::fprintf(stderr, "bench_decode: cannot write %s\n", path.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    TSoundFile sound(file, path, false);
    const auto words = sound.Decode();
    std::fclose(file);
    const double decoding =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(path);
    if (!words) {
        std::fprintf(stderr, "bench_decode: %s\n", sound.Problem()->c_str());
        return 1;
    }
    const double cable = TUpload::CableSeconds(sound.Words(), BlockSize);
    std::printf("%d s of %d Hz stereo 24-bit WAVE into %u words at 44642 Hz\n", Seconds, Rate,
                sound.Words());
    std::printf("decode and convert %.2f s, transfer at MIDI speed (block %d) %.0f s\n", decoding,
                BlockSize, cable);
    std::printf("decoding as a share of the transfer: %.2f %%\n", 100.0 * decoding / cable);
    return 0;
}
