// Builds without a MIDI subsystem of the operating system: no OS ports, only
// the in-process and byte-stream devices.
#include "platform/OsMidiProvider.h"

namespace {

class TNullOsMidiProvider : public TMidiProvider {
public:
    std::vector<std::string> InputNames() override { return {}; }
    std::vector<std::string> OutputNames() override { return {}; }
    std::unique_ptr<TMidiInputEndpoint> OpenInput(std::size_t, TMidiByteSink&) override {
        return nullptr;
    }
    std::unique_ptr<TMidiOutputEndpoint> OpenOutput(std::size_t) override { return nullptr; }
};

} // namespace

std::unique_ptr<TMidiProvider> CreateOsMidiProvider() {
    return std::make_unique<TNullOsMidiProvider>();
}
