#include "emulator/SamplerTiming.h"

TSamplerTiming::TDuration TSamplerTiming::Real(TDuration simulated) const {
    const double scale = TimeScale > 0 ? TimeScale : 1.0;
    return TDuration(static_cast<TDuration::rep>(static_cast<double>(simulated.count()) / scale));
}

TSamplerTiming::TDuration TSamplerTiming::ByteTime() const {
    if (Baud == 0) {
        return TDuration{0};
    }
    constexpr std::int64_t BitsPerByte = 10;
    return Real(TDuration(BitsPerByte * 1'000'000'000 / Baud));
}
