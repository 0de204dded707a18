// The WAVE reader over arbitrary bytes: the header, then every frame the
// header announces, block by block as the verification once read them;
// then the upload's decoding of the same bytes (our reader or libsndfile,
// and the converter), held to what the upload relies on.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "eps/Eps.h"
#include "transfer/SoundFile.h"
#include "transfer/WaveFile.h"

namespace {

// Resampling a few bytes at a rate of a few hertz makes millions of words,
// which take their time: the fuzzer decodes the shorter sounds only.
constexpr std::uint32_t MostWordsDecoded = 1 << 16;

// The words of a file that decodes are exactly as many as announced before
// the decoding, never more than a wavesample holds; a file that does not
// decode says why.
void CheckDecoding(std::FILE* stream, bool keepRate) {
    TSoundFile sound(stream, "fuzz", keepRate);
    if (sound.Words() > MostWordsDecoded) {
        return;
    }
    const std::optional<std::vector<std::int16_t>> words = sound.Decode();
    if (words ? words->size() != sound.Words() || sound.Words() > TSoundFile::MaxWords
              : !sound.Problem()) {
        __builtin_trap();
    }
    if (words && sound.Period() == 0) {
        __builtin_trap(); // the sampler would get a rate of nothing
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0; // fmemopen refuses an empty buffer
    }
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (stream == nullptr) {
        return 0;
    }
    const std::optional<TWaveFormat> format = ReadWaveHeader(stream);
    if (format) {
        // The loop and the parameter words are looked for among all chunks
        // and leave the stream where it was; a parameter chunk gives either
        // words or a problem to tell, never both.
        const long here = std::ftell(stream);
        ReadWaveLoop(stream);
        const TWaveParameters parameters = ReadWaveParameters(stream);
        if (std::ftell(stream) != here || (parameters.Words && parameters.Problem)) {
            __builtin_trap();
        }
        static std::array<std::int32_t, TransferBufferWords> buffer;
        std::uint32_t framesRead = 0;
        // The smallest block, so that a file spans several.
        while (ReadWaveBlock(stream, *format, buffer.data(), MinBlockSize, framesRead) != 0) {
        }
        if (!WaveFormatProblem(*format) && framesRead != format->FrameCount) {
            __builtin_trap(); // the upload would send a short wavesample
        }
    }
    for (const bool keepRate : {false, true}) {
        std::fseek(stream, 0, SEEK_SET);
        CheckDecoding(stream, keepRate);
    }
    std::fclose(stream);
    return 0;
}
