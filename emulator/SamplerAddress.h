// A wavesample's address on the wire: instrument 0..7, layer, wavesample
// 1..127.
#pragma once

#include <string>

struct TSamplerAddress {
    int Instrument = 0;
    int Layer = 0;
    int WaveSample = 0;

    std::string Text() const {
        return std::to_string(Instrument) + "/" + std::to_string(Layer) + "/" +
               std::to_string(WaveSample);
    }
};
