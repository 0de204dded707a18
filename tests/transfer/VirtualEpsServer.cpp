#include "tests/transfer/VirtualEpsServer.h"

#include "tests/support/Eventually.h"

TVirtualEpsServer::TVirtualEpsServer(const std::vector<std::string>& options) {
    // Short, because a socket's path has to fit in about a hundred bytes.
    char pattern[] = "/tmp/tavimor-eps-XXXXXX";
    Folder = mkdtemp(pattern);
    std::vector<std::string> command = {TAVIMOR_VIRTUAL_EPS, "--listen", DeviceName()};
    command.insert(command.end(), options.begin(), options.end());
    const std::string errors = (Folder / "server.err").string();
    Process = std::make_unique<TChildProcess>(command, std::vector<std::string>{}, "", errors);
    // The server says so once it accepts connections.
    IsListening = Process->Started() && Eventually([&] {
                      return ReadTextFile(errors).find("listening on") != std::string::npos;
                  });
}

TVirtualEpsServer::~TVirtualEpsServer() {
    Process.reset();
    std::filesystem::remove_all(Folder);
}
