// The bank a new virtual sampler starts with, so that there is something to
// open, hear and download: synthesized instruments with real names.
//
//   0 GRAND PIANO  1 PIANO C4   decaying piano-like tone, 31250 Hz
//                  2 PIANO HIGH parameters-only copy of 1
//   1 DRUM KIT     1 KICK       drum hit, noise and a falling pitch, 44642 Hz
//                  2 RIMSHOT    400 samples, 44642 Hz
//   2 (empty)
//   3 WARM PAD     1 PAD LOOP   chord looped forward over exactly one second
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/SamplerModel.h"

class TDemoBank {
public:
    // Sampling periods in 1.6-microsecond ticks: 31250 Hz and 44642 Hz.
    static constexpr int LowPeriod = 20;
    static constexpr int HighPeriod = 14;
    static constexpr int LoopForward = 2;

    // Replaces everything in the model's memory with the demo bank.
    static void Load(TSamplerModel& model);

private:
    struct TVoice {
        std::string Name;
        int Period;
        int RootKey;
        int LowKey;
        int HighKey;
    };

    static TSamplerModel Build();
    static TWaveSample Piano();
    static TWaveSample Kick();
    static TWaveSample Rimshot();
    static TWaveSample Pad();
    static TWaveSample Make(const TVoice& voice, const std::vector<double>& signal);
    static double Rate(int period);
    static TInstrument& AddInstrument(TSamplerModel& model, int slot, const std::string& name);
};
