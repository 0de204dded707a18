#include "emulator/SocketServer.h"

#include <filesystem>

#include "emulator/StreamLink.h"
#include "platform/Utf8.h"

namespace {

// A socket file that nobody accepts connections at is left over from a
// server that did not end cleanly; one that answers belongs to a live server.
bool RemoveStale(const TSocketAddress& address, std::string& error) {
    const std::filesystem::path path = TUtf8::Path(address.Path());
    std::error_code failure;
    const auto type = std::filesystem::symlink_status(path, failure).type();
    // Nothing there, or nothing we can see: binding tells what is wrong.
    if (failure || type == std::filesystem::file_type::not_found) {
        return true;
    }
    if (type != std::filesystem::file_type::socket) {
        error = address.Path() + " exists and is not a socket";
        return false;
    }
    std::string unanswered;
    if (TSocket::Connect(address, unanswered).IsOpen()) {
        error = "another server is listening at " + address.Path();
        return false;
    }
    std::filesystem::remove(path, failure);
    return true;
}

} // namespace

TSocketServer::TSocketServer(TVirtualSampler& sampler) : Sampler(sampler) {
    // The drop fault cuts the line: the client sees the connection end.
    Sampler.SetDropHandler([this] {
        const TSocket::THandle client = Client.load();
        if (client != TSocket::None) {
            TSocket::Shutdown(client);
        }
    });
}

TSocketServer::~TSocketServer() {
    Sampler.SetDropHandler(nullptr);
    if (Listener.IsOpen() && Bound->IsUnix()) {
        Listener.Close();
        std::error_code ignored;
        std::filesystem::remove(TUtf8::Path(Bound->Path()), ignored);
    }
}

bool TSocketServer::Listen(const TSocketAddress& address, std::string& error) {
    if (address.IsUnix() && !RemoveStale(address, error)) {
        return false;
    }
    Listener = TSocket::Listen(address, error);
    if (!Listener.IsOpen()) {
        return false;
    }
    Bound = address.IsUnix() ? address : address.WithPort(Listener.LocalPort());
    return true;
}

std::string TSocketServer::Address() const {
    return Bound ? Bound->Text() : std::string();
}

void TSocketServer::Serve(const TWakeup& stop) {
    while (TSocket::WaitReadable(Listener.Get(), stop.Handle())) {
        const TSocket client = Listener.Accept();
        if (client.IsOpen()) {
            ServeClient(client, stop);
        }
    }
}

void TSocketServer::ServeClient(const TSocket& client, const TWakeup& stop) {
    Client = client.Get();
    {
        TStreamLink link(Sampler, client.Get());
        link.Serve(stop);
        // Shut down first: a reply blocked on a full socket must give up
        // before the sampler can let go of the link.
        TSocket::Shutdown(client.Get());
    }
    Client = TSocket::None;
}
