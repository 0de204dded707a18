#include "cli/InterruptWatch.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Lock-free, so a signal handler may set it; and set on another thread on
// Windows.
std::atomic<bool> Flag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32

// Called on a thread of its own; the other events (closing the console,
// logging off) keep ending the tool.
BOOL WINAPI OnInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    Flag = true;
    return TRUE;
}

void Watch() {
    SetConsoleCtrlHandler(&OnInterrupt, TRUE);
}

void Unwatch() {
    SetConsoleCtrlHandler(&OnInterrupt, FALSE);
}

#else

struct sigaction Previous = {};

void OnInterrupt(int) {
    Flag = true;
}

void Watch() {
    struct sigaction action = {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &Previous);
}

void Unwatch() {
    sigaction(SIGINT, &Previous, nullptr);
}

#endif

} // namespace

void TInterruptWatch::Begin() {
    Flag = false;
    if (!Watching) {
        Watch();
        Watching = true;
    }
}

void TInterruptWatch::End() {
    if (Watching) {
        Unwatch();
        Watching = false;
    }
}

bool TInterruptWatch::Interrupted() const {
    return Flag;
}
