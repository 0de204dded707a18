#include "wave/RulerMarks.h"

#include <QFontMetrics>

#include <cmath>

#include "eps/Eps.h"
#include "transfer/WaveFile.h"
#include "wave/PointMapping.h"

namespace {

// Room between two figures, and the least room for a mark between them.
constexpr int FigureGap = 12;
constexpr int MarkGap = 4;
// The finest step: a microsecond.
constexpr int FinestTimeExponent = -6;

// A step of mantissa * 10^exponent units.
struct TStep {
    int Mantissa;
    int Exponent;

    double Size() const { return Mantissa * std::pow(10.0, Exponent); }
};

// How the ruler's units lie over the box: samples or seconds.
class TAxis {
public:
    TAxis(const TEps& eps, TRulerUnit unit, int width) : Start(eps.ViewStart) {
        const std::uint32_t rate =
            PeriodToRate(static_cast<std::uint32_t>(eps.WaveSampleParameters[wpSamplingPeriod]));
        // A wavesample without a rate can only be counted in samples.
        Time = unit == ruTime && rate > 0;
        UnitsPerSample = Time ? 1.0 / rate : 1.0;
        SamplesPerPixel = double(eps.SamplesPerPoint) * LastPoint / (width - 1);
        First = Start * UnitsPerSample;
        Last = (Start + LastPoint * eps.SamplesPerPoint) * UnitsPerSample;
    }

    int Column(double value) const {
        return static_cast<int>(std::lround((value / UnitsPerSample - Start) / SamplesPerPixel));
    }
    double Pixels(double units) const { return units / UnitsPerSample / SamplesPerPixel; }

    QString Figure(double value, const TStep& step) const {
        if (!Time) {
            return QString::number(std::llround(value));
        }
        return QString::number(value, 'f', std::max(0, -step.Exponent)) + " s";
    }

    // A step in whole samples, or in seconds.
    TStep FirstStep() const { return {1, Time ? FinestTimeExponent : 0}; }
    // Halves fall on whole samples, or on any time.
    bool Halves(const TStep& step) const {
        return Time || step.Exponent > 0 || step.Mantissa % 2 == 0;
    }

    double First = 0;
    double Last = 0;

private:
    std::int32_t Start;
    bool Time = false;
    double UnitsPerSample = 1;
    double SamplesPerPixel = 1;
};

TStep NextStep(const TStep& step) {
    switch (step.Mantissa) {
    case 1:
        return {2, step.Exponent};
    case 2:
        return {5, step.Exponent};
    default:
        return {1, step.Exponent + 1};
    }
}

// The smallest step whose widest figure fits between two marks.
TStep FittingStep(const TAxis& axis, const QFontMetrics& metrics) {
    TStep step = axis.FirstStep();
    for (;;) {
        const int widest = std::max(metrics.horizontalAdvance(axis.Figure(axis.First, step)),
                                    metrics.horizontalAdvance(axis.Figure(axis.Last, step)));
        if (axis.Pixels(step.Size()) >= widest + FigureGap) {
            return step;
        }
        step = NextStep(step);
    }
}

QString Percent(double share, double top) {
    if (share == 0) {
        return QStringLiteral("0");
    }
    const QString sign = share > 0 ? QStringLiteral("+") : QStringLiteral("\u2212");
    return sign + QString::number(std::abs(share) * top, 'g', 3) + '%';
}

} // namespace

std::vector<TRulerMark> SampleAxisMarks(const TEps& eps, TRulerUnit unit, int width,
                                        const QFontMetrics& metrics) {
    if (!eps.WaveSampleOpen || width < 2) {
        return {};
    }
    const TAxis axis(eps, unit, width);
    const TStep step = FittingStep(axis, metrics);
    const double size = step.Size();
    const bool halves = axis.Halves(step) && axis.Pixels(size / 2) >= MarkGap;
    std::vector<TRulerMark> marks;
    // A little slack, so that a figure the window starts or ends on is not
    // lost to rounding.
    const auto first = static_cast<std::int64_t>(std::ceil(axis.First / size - 1e-9));
    const auto last = static_cast<std::int64_t>(std::floor(axis.Last / size + 1e-9));
    for (std::int64_t n = first; n <= last; ++n) {
        const double value = n * size;
        marks.push_back({axis.Column(value), axis.Figure(value, step)});
        if (halves && value + size / 2 <= axis.Last) {
            marks.push_back({axis.Column(value + size / 2), {}});
        }
    }
    return marks;
}

// The box's centre row is the zero line; its top edge, and the row as far
// below the centre, are full scale.
std::vector<TRulerMark> AmplitudeMarks(int vScale, int height, const QFontMetrics& metrics) {
    const int centre = (height - 2) / 2;
    if (centre < 1) {
        return {};
    }
    const double top = 100.0 * std::ldexp(1.0, vScale - 8);
    const bool halves = centre >= 2 * metrics.height();
    std::vector<TRulerMark> marks;
    for (const double share : {1.0, 0.5, 0.0, -0.5, -1.0}) {
        if (halves || std::abs(share) != 0.5) {
            const int row = centre - static_cast<int>(std::lround(share * centre));
            marks.push_back({row, Percent(share, top)});
        }
    }
    return marks;
}
