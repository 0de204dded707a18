#include "tests/support/SamplerPlacement.h"

void PlaceWaveSample(TSamplerModel& model, int instrument, int number,
                     const std::vector<std::int16_t>& data, std::uint32_t start,
                     std::uint32_t end) {
    TInstrument& target = model.CreateInstrument(instrument);
    target.CreateLayer();
    TWaveSample waveSample;
    waveSample.Data = data;
    waveSample.SetAddress(TWaveSample::StartWord, start);
    waveSample.SetAddress(TWaveSample::EndWord, end);
    waveSample.SetAddress(TWaveSample::LoopStartWord, start);
    waveSample.SetAddress(TWaveSample::LoopEndWord, end);
    target.Place(number, waveSample);
}
