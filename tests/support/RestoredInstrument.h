// What a restore must bring back of an instrument the sampler held, checked
// in the sampler's own memory.
#pragma once

#include "emulator/Instrument.h"

// Expects restored to hold original's words, but those that say which slots
// are used (the sampler's own), and of each of original's wavesamples the
// words and the memory from address 0 through the later of its end and loop
// end.
void ExpectRestored(const TInstrument& restored, const TInstrument& original, int instrument);
