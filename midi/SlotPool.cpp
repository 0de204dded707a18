#include "midi/SlotPool.h"

#include "midi/MidiError.h"

int TSlotPool::Take(const char* fullMessage) {
    for (int slot = 0; slot < Size; ++slot) {
        if (!Used[slot]) {
            Used[slot] = true;
            return slot;
        }
    }
    throw EMidiError(fullMessage);
}

void TSlotPool::Give(int slot) {
    Used[slot] = false;
}
