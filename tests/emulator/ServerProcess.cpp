#include "tests/emulator/ServerProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/Eventually.h"

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TServerProcess::TServerProcess() {
    char dir[] = "/tmp/tavimor-eps-XXXXXX";
    Folder = mkdtemp(dir);
    SocketPath = Folder + "/eps.sock";
    StatePath = Folder + "/eps.state";
}

TServerProcess::~TServerProcess() {
    if (Child > 0) {
        kill(Child, SIGKILL);
        waitpid(Child, nullptr, 0);
    }
    std::filesystem::remove_all(Folder);
}

bool TServerProcess::Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {TAVIMOR_VIRTUAL_EPS};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (Folder + "/stdout").c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (Folder + "/stderr").c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int result = posix_spawn(&Child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

bool TServerProcess::WaitUntilListening() const {
    return Eventually([this] {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, SocketPath.c_str());
        const int probe = socket(AF_UNIX, SOCK_STREAM, 0);
        const bool up = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(probe);
        return up;
    });
}

int TServerProcess::Terminate() {
    kill(Child, SIGTERM);
    return Wait();
}

int TServerProcess::Wait() {
    int status = 0;
    const bool ended = waitpid(Child, &status, 0) == Child;
    Child = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TServerProcess::Stdout() const {
    return ReadFile(Folder + "/stdout");
}

std::string TServerProcess::Stderr() const {
    return ReadFile(Folder + "/stderr");
}
