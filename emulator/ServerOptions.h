// The command line of the standalone virtual sampler.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emulator/SamplerOptions.h"
#include "platform/SocketAddress.h"

struct TServerOptions {
    std::optional<TSocketAddress> Listen;
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
