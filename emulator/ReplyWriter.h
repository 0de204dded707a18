// Builds the sampler's replies and sends them, bent by the fault knobs.
#pragma once

#include <cstdint>
#include <vector>

#include "emulator/ResponseCode.h"
#include "emulator/SamplerAddress.h"
#include "emulator/SamplerFaults.h"
#include "emulator/SamplerLink.h"
#include "emulator/SysExWriter.h"

class TReplyWriter {
public:
    // Message codes of the data headers.
    static constexpr std::uint8_t InstrumentHeader = 12;
    static constexpr std::uint8_t ParametersHeader = 14;
    static constexpr std::uint8_t DataHeader = 15;
    static constexpr std::uint8_t OverviewHeader = 19;

    TReplyWriter(TSamplerLink& link, int channel) : Link(link), Channel(channel) {}

    void SetFaults(const TSamplerFaults& faults) { Faults = faults; }

    // Header, 01, 00, code, F7.
    void Response(TResponseCode code);
    // Header, code, the address, F7 (messages 12 and 14).
    void Header(std::uint8_t code, const TSamplerAddress& address);
    // Header, code, the address, start and end, F7 (messages 15 and 19).
    void RangeHeader(std::uint8_t code, const TSamplerAddress& address, std::uint32_t start,
                     std::uint32_t end);
    // Header, the words, F7.
    void Data(const std::vector<std::uint16_t>& words);

private:
    TSysExWriter Begin() const;
    TSysExWriter BeginHeader(std::uint8_t code, const TSamplerAddress& address) const;
    void Emit(std::vector<std::uint8_t> message);

    TSamplerLink& Link;
    int Channel;
    TSamplerFaults Faults;
    std::uint32_t Noise = 0x2545F491;
};
