#include "platform/AlsaOutput.h"

std::unique_ptr<TAlsaOutput> TAlsaOutput::Open(const snd_seq_addr_t& device) {
    auto client = TAlsaClient::Open(SND_SEQ_OPEN_OUTPUT);
    if (!client) {
        return nullptr;
    }
    const int port = client->Connect(device, false);
    if (port < 0) {
        return nullptr;
    }
    return std::unique_ptr<TAlsaOutput>(new TAlsaOutput(std::move(client), port));
}

TAlsaOutput::TAlsaOutput(std::unique_ptr<TAlsaClient> client, int port)
    : Client(std::move(client)), Port(port) {}

bool TAlsaOutput::Send(const std::uint8_t* data, std::size_t count) {
    return Events.Write(Client->Handle(), Port, data, count);
}
