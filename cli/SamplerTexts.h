// How the command-line tool names things of the sampler in its messages,
// counting instruments from 1 as the user does.
#pragma once

#include <string>

class TEps;

std::string WaveSampleText(int instrument, int waveSample);
// Reads the sampler's directory; false with the reason when an instrument
// could not be read.
bool ReadDirectory(TEps& eps, std::string& problem);
// Why a wavesample could not be opened, from the sampler's directory: the
// instrument or the wavesample is missing, the directory could not be read,
// or the sampler refused.
std::string MissingWaveSampleText(TEps& eps, int instrument, int waveSample);
// For the engine's current wavesample, whose parameters say it is a copy.
std::string CopyText(const TEps& eps);
