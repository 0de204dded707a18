#include "cli/TerminalProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int BarWidth = 30;

std::string TimeText(float seconds) {
    // An estimate gone wild (a stalled transfer) is shown as unknown.
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 359999) {
        return "--:--";
    }
    const long whole = static_cast<long>(seconds);
    char text[48];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

bool ErrorsOnTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

} // namespace

TTerminalProgress::TTerminalProgress() : Enabled(ErrorsOnTerminal()) {}

void TTerminalProgress::Begin(const std::string& label) {
    Label = label;
    Bar = Label + " [" + std::string(BarWidth, ' ') + "]   0%  ";
    Draw(Bar);
}

void TTerminalProgress::Show(float secondsLeft, float percent) {
    const int whole = std::clamp(static_cast<int>(percent), 0, 100);
    const int filled = whole * BarWidth / 100;
    char figures[32];
    std::snprintf(figures, sizeof figures, "] %3d%%  ", whole);
    Bar = Label + " [" + std::string(static_cast<std::size_t>(filled), '#') +
          std::string(static_cast<std::size_t>(BarWidth - filled), ' ') + figures;
    Draw(Bar + TimeText(secondsLeft) + " left");
}

void TTerminalProgress::ShowStall(int seconds) {
    Draw(Bar + "waiting for the sampler\u2026 " + std::to_string(seconds) + " s");
}

void TTerminalProgress::End() {
    Draw("");
}

void TTerminalProgress::Draw(const std::string& text) {
    if (!Enabled) {
        return;
    }
    // Blanks over whatever the last line had beyond this one.
    const std::size_t blanks = Drawn > text.size() ? Drawn - text.size() : 0;
    std::fprintf(stderr, "\r%s%s\r%s", text.c_str(), std::string(blanks, ' ').c_str(),
                 text.c_str());
    std::fflush(stderr);
    Drawn = text.size();
}
