#include "tests/transfer/VirtualEpsServer.h"

#include "tests/support/Eventually.h"
#include "tests/support/TempFolder.h"

// On a line that Windows' text mode ends with CR LF.
std::string ListeningAddress(const std::string& errors) {
    const std::string mark = "listening on ";
    const std::size_t at = errors.find(mark);
    const std::size_t end = errors.find_first_of("\r\n", at);
    return at == std::string::npos || end == std::string::npos
               ? std::string()
               : errors.substr(at + mark.size(), end - at - mark.size());
}

TVirtualEpsServer::TVirtualEpsServer(const std::vector<std::string>& options,
                                     TServerSocket socket) {
    Folder = MakeShortTempFolder("tavimor-eps");
    // Port 0: the server takes a free port and says which.
    const std::string address = socket == TServerSocket::Unix
                                    ? "unix:" + (Folder / "eps.sock").string()
                                    : std::string("tcp:127.0.0.1:0");
    std::vector<std::string> command = {TAVIMOR_VIRTUAL_EPS, "--listen", address};
    command.insert(command.end(), options.begin(), options.end());
    const std::string errors = (Folder / "server.err").string();
    Process = std::make_unique<TChildProcess>(command, std::vector<std::string>{}, "", errors);
    if (Process->Started()) {
        Eventually([&] { return !(Device = ListeningAddress(ReadTextFile(errors))).empty(); });
    }
}

TVirtualEpsServer::~TVirtualEpsServer() {
    Process.reset();
    std::filesystem::remove_all(Folder);
}
