// The command line of the standalone virtual sampler.
#pragma once

#include <string>
#include <vector>

#include "emulator/SamplerOptions.h"

struct TServerOptions {
    std::string ListenPath; // without its "unix:" prefix
    std::string RawMidiPath;
    bool VirtualPort = false;
    std::string StatePath;
    bool Log = false;
    bool Help = false;
    bool Version = false;
    TSamplerOptions Sampler;

    // Reads the arguments after the program name. False with a reason for
    // the first one that is wrong.
    static bool Parse(const std::vector<std::string>& arguments, TServerOptions& options,
                      std::string& error);
    static std::string Usage();
};
