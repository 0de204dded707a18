// Putting a wavesample of given samples straight into a virtual sampler's
// memory, for tests and benchmarks that need one of a particular size.
#pragma once

#include <cstdint>
#include <vector>

#include "emulator/SamplerModel.h"

// Places the samples as wavesample number of instrument (0-based), its
// sample and loop addresses from start to end, making the instrument and its
// layer when they are missing.
void PlaceWaveSample(TSamplerModel& model, int instrument, int number,
                     const std::vector<std::int16_t>& data, std::uint32_t start, std::uint32_t end);
