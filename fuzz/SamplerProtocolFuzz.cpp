// The virtual sampler's request handling over arbitrary bytes from the
// editor, on a copy of the demo bank, with the fault knobs the first byte
// picks. Time is simulated, so slow edits cost no real time.
//
// Input: a fault byte, then the bytes from the editor.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "emulator/DemoBank.h"
#include "emulator/SamplerFaults.h"
#include "emulator/SamplerProtocol.h"

namespace {

class TSimulatedLink : public TSamplerLink {
public:
    void Send(std::span<const std::uint8_t> bytes) override { Sent += bytes.size(); }
    void Sleep(std::chrono::nanoseconds duration) override { Clock += duration; }
    TClock::time_point Now() override { return Clock; }

    std::size_t Sent = 0;

private:
    TClock::time_point Clock{};
};

const TSamplerModel& DemoMemory() {
    static const TSamplerModel model = [] {
        TSamplerModel memory;
        TDemoBank::Load(memory);
        return memory;
    }();
    return model;
}

TSamplerFaults FaultsOf(std::uint8_t bits) {
    TSamplerFaults faults;
    faults.Silent = (bits & 0x01) != 0;
    faults.CutMessages = (bits & 0x02) != 0;
    faults.Garbage = (bits & 0x04) != 0;
    faults.WrongInstrument = (bits & 0x08) != 0;
    faults.ReplyChannel = (bits >> 4) & 0x0F; // 0 keeps the sampler's own
    return faults;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    TSamplerModel memory = DemoMemory();
    TSimulatedLink link;
    TSamplerTiming timing;
    timing.Baud = 31250;
    timing.BlockPerWord = std::chrono::microseconds(30);
    TSamplerProtocol protocol(memory, link, 1, timing);
    protocol.SetFaults(FaultsOf(data[0]));
    // In two pieces, as a message may arrive split across deliveries.
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const std::size_t half = bytes.size() / 2;
    protocol.Receive(bytes.first(half));
    protocol.Receive(bytes.subspan(half));
    return 0;
}
