// A progress bar with the time left, drawn on one line of the terminal's
// error stream, and only when that stream is a terminal, so that scripts and
// logs get no control characters.
#pragma once

#include <string>

class TTerminalProgress {
public:
    TTerminalProgress();

    void Begin(const std::string& label);
    void Show(float secondsLeft, float percent);
    // The label of the next figures shown.
    void Relabel(const std::string& label) { Label = label; }
    // The bar as it was, with how long the sampler has been silent.
    void ShowStall(int seconds);
    // Clears the line.
    void End();

private:
    void Draw(const std::string& text);

    bool Enabled;
    std::string Label;
    std::string Bar;
    std::size_t Drawn = 0;
};
