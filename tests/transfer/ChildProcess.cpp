#include "tests/transfer/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/Utf8.h"

extern char** environ;

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& change : changes) {
            replaced = replaced || change.starts_with(name);
        }
        if (!replaced) {
            merged.push_back(text);
        }
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

void Redirect(posix_spawn_file_actions_t& actions, int fd, const std::string& file) {
    posix_spawn_file_actions_addopen(&actions, fd, file.empty() ? "/dev/null" : file.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

} // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& command,
                             const std::vector<std::string>& environment,
                             const std::string& outputFile, const std::string& errorFile) {
    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = MergedEnvironment(environment);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(variables);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    Redirect(actions, 1, outputFile);
    Redirect(actions, 2, errorFile);
    if (posix_spawn(&Pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        Pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

TChildProcess::~TChildProcess() {
    Terminate();
}

int TChildProcess::Wait() {
    if (Pid > 0) {
        int status = 0;
        while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
        }
        Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        Pid = -1;
    }
    return Status;
}

int TChildProcess::Terminate() {
    Signal(SIGTERM);
    return Wait();
}

void TChildProcess::Signal(int signal) {
    if (Pid > 0) {
        kill(Pid, signal);
    }
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream file(TUtf8::Path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
