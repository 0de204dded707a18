// The slot numbers 0..15 that Vorrin's tables are indexed by, handed out to
// the live ports of one kind.
#pragma once

#include <array>

class TSlotPool {
public:
    static constexpr int Size = 16;

    // Takes the lowest free slot; raises EMidiError with fullMessage when all
    // are taken.
    int Take(const char* fullMessage);
    void Give(int slot);

private:
    std::array<bool, Size> Used{};
};
