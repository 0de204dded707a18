#include "SamplerConnection.h"

#include "emulator/DemoBank.h"
#include "emulator/SamplerName.h"

TSamplerConnection::TSamplerConnection() : Peer(RegisterBuiltInSampler()) {
    Eps.MidiIn->DeviceID = Device;
    Eps.MidiOut->DeviceID = Device;
    Change(TDemoBank::Load);
}

bool TSamplerConnection::Connect() {
    return Eps.CheckConnection();
}

void TSamplerConnection::Change(const std::function<void(TSamplerModel&)>& change) {
    Peer->Sampler().Inspect(change);
}

void TSamplerConnection::SetFaults(const TSamplerFaults& faults) {
    Peer->Sampler().WaitUntilIdle();
    Peer->Sampler().SetFaults(faults);
}

std::string TSamplerConnection::InstrumentName(int instrument) {
    std::string name;
    Change([&](TSamplerModel& model) {
        if (const TInstrument* held = model.Instrument(instrument)) {
            name = TSamplerName::Decode(held->Parameters().data());
        }
    });
    return name;
}
