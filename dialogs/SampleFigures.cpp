#include "dialogs/SampleFigures.h"

#include <QLocale>

namespace {

constexpr std::int64_t MillisecondsPerMinute = 60000;

} // namespace

QString SampleNumberText(std::int64_t samples) {
    // Thousands grouped the same on every desktop, so that the figures read
    // alike in screenshots and help pages.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(samples);
}

QString SampleCountText(std::int64_t samples) {
    return SampleNumberText(samples) + (samples == 1 ? " sample" : " samples");
}

QString DurationText(std::int64_t samples, std::uint32_t rate) {
    if (rate == 0) {
        return {};
    }
    const std::int64_t ms = (samples * 1000 + rate / 2) / rate;
    const std::int64_t minutes = ms / MillisecondsPerMinute;
    const std::int64_t rest = ms % MillisecondsPerMinute;
    if (minutes == 0) {
        return QString("%1.%2 s").arg(rest / 1000).arg(rest % 1000, 3, 10, QChar('0'));
    }
    return QString("%1:%2.%3")
        .arg(minutes)
        .arg(rest / 1000, 2, 10, QChar('0'))
        .arg(rest % 1000, 3, 10, QChar('0'));
}
