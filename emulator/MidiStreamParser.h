// Cuts a raw MIDI byte stream into whole messages, as a receiver on a cable
// does: System Exclusive messages from F0 to F7, and channel messages with
// running status. A System Exclusive message that another status byte cuts
// short is dropped; realtime bytes are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class TMidiStreamParser {
public:
    class TReceiver {
    public:
        virtual ~TReceiver() = default;
        // A whole System Exclusive message, F0 to F7.
        virtual void SysEx(std::span<const std::uint8_t> message) = 0;
        // A whole short message with its status byte.
        virtual void Short(std::span<const std::uint8_t> message) = 0;
    };

    // Longer System Exclusive messages are dropped: more than the largest
    // block of sample words any sampler model holds.
    static constexpr std::size_t MaxSysEx = 3 * 8 * 1024 * 1024 + 16;

    void Feed(std::span<const std::uint8_t> bytes, TReceiver& receiver);
    // Forgets any message in progress.
    void Reset();

private:
    void SysExByte(std::uint8_t byte, TReceiver& receiver);
    void StatusByte(std::uint8_t byte, TReceiver& receiver);
    void DataByte(std::uint8_t byte, TReceiver& receiver);

    bool InSysEx = false;
    std::vector<std::uint8_t> SysExBytes;
    std::uint8_t RunningStatus = 0;
    std::uint8_t ShortBytes[3] = {};
    std::size_t ShortHave = 0;
    std::size_t ShortNeed = 0;
};
