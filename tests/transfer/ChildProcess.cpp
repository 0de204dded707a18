#include "tests/transfer/ChildProcess.h"

#include <fstream>
#include <iterator>

#include "platform/Utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

#ifndef _WIN32

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
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        Process = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
}

bool TChildProcess::Started() const {
    return Process > 0;
}

int TChildProcess::Wait() {
    if (Started()) {
        int status = 0;
        while (waitpid(static_cast<pid_t>(Process), &status, 0) < 0 && errno == EINTR) {
        }
        Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        Process = -1;
    }
    return Status;
}

int TChildProcess::Terminate() {
    if (Started()) {
        kill(static_cast<pid_t>(Process), SIGTERM);
    }
    return Wait();
}

void TChildProcess::Interrupt() {
    if (Started()) {
        kill(static_cast<pid_t>(Process), SIGINT);
    }
}

#else

namespace {

// One argument as the C runtime's parser reads it back: in quotes, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::wstring CommandLine(const std::vector<std::string>& command) {
    std::wstring line;
    for (const std::string& argument : command) {
        line += (line.empty() ? L"" : L" ") + Quoted(TUtf8::Wide(argument));
    }
    return line;
}

// The block CreateProcessW takes: NAME=VALUE entries, each ended by a zero,
// and a zero after the last. Names are compared regardless of case.
std::wstring EnvironmentBlock(const std::vector<std::string>& changes) {
    std::vector<std::wstring> entries;
    const auto nameOf = [](const std::wstring& entry) {
        std::wstring name = entry.substr(0, entry.find(L'=', 1) + 1);
        CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        return name;
    };
    wchar_t* const strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
        entries.emplace_back(entry);
    }
    FreeEnvironmentStringsW(strings);
    for (const std::string& change : changes) {
        const std::wstring wide = TUtf8::Wide(change);
        std::erase_if(entries, [&](const std::wstring& e) { return nameOf(e) == nameOf(wide); });
        entries.push_back(wide);
    }
    std::wstring block;
    for (const std::wstring& entry : entries) {
        block += entry + L'\0';
    }
    return block + L'\0';
}

HANDLE OutputFile(const std::string& name) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(name.empty() ? L"NUL" : TUtf8::Wide(name).c_str(), GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& command,
                             const std::vector<std::string>& environment,
                             const std::string& outputFile, const std::string& errorFile) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherited, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = OutputFile(outputFile);
    startup.hStdError = OutputFile(errorFile);
    std::wstring line = CommandLine(command);
    std::wstring block = EnvironmentBlock(environment);
    PROCESS_INFORMATION started{};
    // A group of its own, so that Interrupt reaches it alone.
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, block.data(), nullptr,
                       &startup, &started)) {
        CloseHandle(started.hThread);
        Process = reinterpret_cast<long long>(started.hProcess);
        ProcessId = started.dwProcessId;
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        CloseHandle(handle);
    }
}

bool TChildProcess::Started() const {
    return Process != -1;
}

int TChildProcess::Wait() {
    if (Started()) {
        const HANDLE process = reinterpret_cast<HANDLE>(Process);
        WaitForSingleObject(process, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        Status = static_cast<int>(code);
        Process = -1;
    }
    return Status;
}

// Windows has no SIGTERM, and a program without our console cannot be
// asked to stop: it is ended at once, with the status SIGTERM would give.
int TChildProcess::Terminate() {
    if (Started()) {
        TerminateProcess(reinterpret_cast<HANDLE>(Process), 128 + 15);
    }
    return Wait();
}

void TChildProcess::Interrupt() {
    if (Started()) {
        GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, ProcessId);
    }
}

#endif

TChildProcess::~TChildProcess() {
    Terminate();
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream file(TUtf8::Path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
