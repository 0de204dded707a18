// The WAVE reader over arbitrary bytes: the header, then every frame the
// header announces, block by block as the upload reads them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "eps/Eps.h"
#include "transfer/WaveFile.h"

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
    std::fclose(stream);
    return 0;
}
