#include "cli/SamplerTexts.h"

#include "eps/Eps.h"
#include "eps/ReplyText.h"

std::string WaveSampleText(int instrument, int waveSample) {
    return "instrument " + std::to_string(instrument + 1) + ", wavesample " +
           std::to_string(waveSample);
}

bool ReadDirectory(TEps& eps, std::string& problem) {
    if (eps.ReadConfiguration()) {
        return true;
    }
    problem = UnreadInstrumentText(eps.UnreadInstrument, eps.UnreadReply);
    return false;
}

std::string MissingWaveSampleText(TEps& eps, int instrument, int waveSample) {
    std::string problem;
    if (!ReadDirectory(eps, problem)) {
        return problem;
    }
    const auto i = static_cast<std::size_t>(instrument);
    if (!eps.InstrumentPresent[i]) {
        return "instrument " + std::to_string(instrument + 1) + " is not loaded";
    }
    if (!eps.WaveSampleUsed[i][static_cast<std::size_t>(waveSample - 1)]) {
        return "instrument " + std::to_string(instrument + 1) + " has no wavesample " +
               std::to_string(waveSample);
    }
    return "the sampler did not open " + WaveSampleText(instrument, waveSample);
}

std::string CopyText(const TEps& eps) {
    return WaveSampleText(eps.Instrument, eps.WaveSample) +
           " is a parameters-only copy of wavesample " +
           std::to_string(HighByte(eps.WaveSampleParameters[wpCopyOf])) +
           " and has no data of its own";
}
