#include "emulator/WirePacer.h"

#include <algorithm>

TWirePacer::TClock::time_point TWirePacer::Pass(std::size_t bytes, TClock::time_point now) {
    if (ByteTime.count() == 0) {
        return now;
    }
    Free = std::max(Free, now) + std::chrono::duration_cast<TClock::duration>(
                                     ByteTime * static_cast<std::int64_t>(bytes));
    return Free;
}
