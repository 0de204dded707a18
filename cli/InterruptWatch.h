// Ctrl+C while a transfer runs: instead of ending the tool it sets a flag
// that the transfer polls, so that the transfer is cancelled cleanly. Taken
// through a SIGINT handler, or on Windows a console control handler; the
// previous handling comes back when the watch ends.
#pragma once

class TInterruptWatch {
public:
    TInterruptWatch() = default;
    ~TInterruptWatch() { End(); }
    TInterruptWatch(const TInterruptWatch&) = delete;
    TInterruptWatch& operator=(const TInterruptWatch&) = delete;

    // Clears the flag and starts watching.
    void Begin();
    void End();
    bool Interrupted() const;

private:
    bool Watching = false;
};
