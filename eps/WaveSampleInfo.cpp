#include "eps/WaveSampleInfo.h"

#include <span>

#include "eps/Eps.h"
#include "eps/Names.h"

std::optional<TWaveSampleInfo> ReadWaveSampleInfo(TEps& eps, int instrument, int waveSample) {
    const int openInstrument = eps.Instrument;
    const int openWaveSample = eps.WaveSample;
    const TWaveSampleBlock openParameters = eps.WaveSampleParameters;
    eps.Instrument = instrument;
    eps.WaveSample = waveSample;
    eps.GetWaveSampleParameters();
    std::optional<TWaveSampleInfo> info;
    if (eps.ProcessInput() == rrAck && eps.ProcessInput() == rrWaveSampleParameters) {
        info = TWaveSampleInfo{DecodeName(std::span<const std::int32_t, NameWords>(
                                   eps.WaveSampleParameters.begin(), NameWords)),
                               SampleCountOf(eps.WaveSampleParameters),
                               eps.WaveSampleParameters[wpSamplingPeriod],
                               HighByte(eps.WaveSampleParameters[wpCopyOf])};
    }
    eps.Instrument = openInstrument;
    eps.WaveSample = openWaveSample;
    eps.WaveSampleParameters = openParameters;
    return info;
}
