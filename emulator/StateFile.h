// Keeps the sampler's memory in a file between runs. The format is binary,
// little-endian and versioned:
//
//   "TVEPSMEM" (8 bytes), version (u32, 1)
//   8 instrument slots, each: present (u8); if present the 323 block words
//   (u16), layer present (u8), and 127 wavesample slots, each: present (u8);
//   if present the 139 block words (u16), the data count (u32) and the
//   samples (i16).
//
// A file is written beside its final name and renamed over it, so a crash
// while saving leaves the previous state whole.
#pragma once

#include <string>

#include "emulator/SamplerModel.h"

class TStateFile {
public:
    static constexpr std::uint32_t Version = 1;

    // False with a reason when the file cannot be written.
    static bool Save(const TSamplerModel& model, const std::string& path, std::string& error);
    // Replaces the model's memory with the file's. False with a reason, and
    // the model unchanged, when the file cannot be read, is not a state
    // file, or holds more than the model's memory.
    static bool Load(TSamplerModel& model, const std::string& path, std::string& error);
};
