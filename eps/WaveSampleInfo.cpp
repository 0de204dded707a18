#include "eps/WaveSampleInfo.h"

#include <span>

#include "eps/Eps.h"
#include "eps/Names.h"

std::optional<TWaveSampleInfo> ReadWaveSampleInfo(TEps& eps, int instrument, int waveSample) {
    const TWaveSampleBlock openParameters = eps.WaveSampleParameters;
    std::optional<TWaveSampleInfo> info;
    if (eps.ReadWaveSampleBlock(instrument, waveSample) == rrWaveSampleParameters) {
        info = TWaveSampleInfo{DecodeName(std::span<const std::int32_t, NameWords>(
                                   eps.WaveSampleParameters.begin(), NameWords)),
                               SampleCountOf(eps.WaveSampleParameters),
                               eps.WaveSampleParameters[wpSamplingPeriod],
                               HighByte(eps.WaveSampleParameters[wpCopyOf])};
    }
    eps.WaveSampleParameters = openParameters;
    return info;
}
