#include "bench/CountingSampler.h"

#include <ctime>
#include <stdexcept>

#include "platform/MidiBytes.h"
#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/SamplerPlacement.h"

TCountingSampler::TCountingSampler(std::string name, const TSamplerOptions& options)
    : DeviceName(std::move(name)), Inner(options) {}

void TCountingSampler::Connect(TMidiByteSink* toProgram) {
    if (toProgram == nullptr) {
        Inner.Connect(nullptr);
        ToProgram.SetTarget(nullptr);
        return;
    }
    ToProgram.SetTarget(toProgram);
    Inner.Connect(&ToProgram);
}

void TCountingSampler::FromProgram(const std::uint8_t* data, std::size_t count) {
    ToSampler += count;
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] == SysExStart) {
            ++Messages;
        }
    }
    Inner.FromProgram(data, count);
}

TCountingSampler::TCounts TCountingSampler::Counts() const {
    return {ToSampler.load(), FromSampler.load(), Messages.load()};
}

void TCountingSampler::Place(int instrument, int number, const std::vector<std::int16_t>& data,
                             std::uint32_t end) {
    Sampler().Inspect(
        [&](TSamplerModel& model) { PlaceWaveSample(model, instrument, number, data, 0, end); });
}

void TCountingSampler::TCountingSink::SetTarget(TMidiByteSink* target) {
    std::lock_guard lock(Mutex);
    Target = target;
}

void TCountingSampler::TCountingSink::Received(const std::uint8_t* data, std::size_t count) {
    Counter += count;
    std::lock_guard lock(Mutex);
    if (Target != nullptr) {
        Target->Received(data, count);
    }
}

TBenchRig::TBenchRig(const std::string& name, const TSamplerOptions& options)
    : Peer(std::make_shared<TCountingSampler>(name, options)) {
    if (!MidiRegisterLocalPeer(Peer)) {
        throw std::logic_error("a MIDI device named " + name + " exists already");
    }
    Eps = std::make_unique<TEps>();
    Eps->MidiIn->DeviceID = MidiInputNumber(name);
    Eps->MidiOut->DeviceID = MidiOutputNumber(name);
}

TBenchRig::~TBenchRig() {
    Eps.reset();
    MidiUnregisterLocalPeer(Peer->Name());
}

double ProcessSeconds() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}
