#include "platform/AlsaProvider.h"

#include "platform/AlsaInput.h"
#include "platform/AlsaOutput.h"
#include "platform/OsMidiProvider.h"
#include "platform/UniqueNames.h"

namespace {

constexpr unsigned Readable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned Writable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

// "Client: Port", even where the port's name repeats the client's, as most
// hardware ports' names do: a port named like an in-process device ("Virtual
// EPS") must not be listed under the same name.
std::string PortName(const std::string& client, const std::string& port) {
    return client + ": " + port;
}

} // namespace

std::unique_ptr<TMidiProvider> CreateOsMidiProvider() {
    return std::make_unique<TAlsaProvider>();
}

TAlsaProvider::TAlsaProvider() : Lister(TAlsaClient::Open(SND_SEQ_OPEN_OUTPUT)) {}

std::vector<std::string> TAlsaProvider::InputNames() {
    return Names(Readable);
}

std::vector<std::string> TAlsaProvider::OutputNames() {
    return Names(Writable);
}

std::unique_ptr<TMidiInputEndpoint> TAlsaProvider::OpenInput(std::size_t index,
                                                             TMidiByteSink& sink) {
    snd_seq_addr_t address;
    return Find(Readable, index, address) ? TAlsaInput::Open(address, sink) : nullptr;
}

std::unique_ptr<TMidiOutputEndpoint> TAlsaProvider::OpenOutput(std::size_t index) {
    snd_seq_addr_t address;
    return Find(Writable, index, address) ? TAlsaOutput::Open(address) : nullptr;
}

std::vector<TAlsaProvider::TPort> TAlsaProvider::Ports(unsigned capabilities) {
    std::vector<TPort> ports;
    if (!Lister) {
        return ports;
    }
    std::lock_guard lock(ListMutex);
    snd_seq_t* seq = Lister->Handle();
    snd_seq_client_info_t* client;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_t* port;
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        // The system client's ports (timer, announcements) carry no MIDI.
        if (id == SND_SEQ_CLIENT_SYSTEM || id == Lister->Id()) {
            continue;
        }
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port);
            if ((caps & capabilities) == capabilities && !(caps & SND_SEQ_PORT_CAP_NO_EXPORT)) {
                ports.push_back({*snd_seq_port_info_get_addr(port),
                                 PortName(snd_seq_client_info_get_name(client),
                                          snd_seq_port_info_get_name(port))});
            }
        }
    }
    // Names that several ports share get the ports' numbers, "Name (20:0)".
    MakeNamesUnique(ports, &TPort::Name, [](const TPort& port) {
        return std::to_string(port.Address.client) + ":" + std::to_string(port.Address.port);
    });
    return ports;
}

std::vector<std::string> TAlsaProvider::Names(unsigned capabilities) {
    std::vector<std::string> names;
    for (auto& port : Ports(capabilities)) {
        names.push_back(std::move(port.Name));
    }
    return names;
}

bool TAlsaProvider::Find(unsigned capabilities, std::size_t index, snd_seq_addr_t& address) {
    const auto ports = Ports(capabilities);
    if (index >= ports.size()) {
        return false;
    }
    address = ports[index].Address;
    return true;
}
