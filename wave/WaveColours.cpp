#include "wave/WaveColours.h"

#include <QApplication>
#include <QPalette>

#include <cstdlib>

namespace {

// A share of the way from one colour to another.
QColor Mix(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) { return static_cast<int>(a + (b - a) * share); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// The colour, taken toward the text's as far as it needs to stand out from
// the ground: a dark theme's selection colour is often dark too.
QColor StandingOut(const QColor& colour, const QColor& ground, const QColor& text) {
    constexpr int LeastContrast = 96;
    constexpr double Step = 0.1;
    QColor result = colour;
    for (double share = Step;
         std::abs(result.lightness() - ground.lightness()) < LeastContrast && share <= 1;
         share += Step) {
        result = Mix(colour, text, share);
    }
    return result;
}

// The markers keep the classic hues, brightened where the ground is dark so
// that they stand out from it.
TWaveColours ThemeColours(const QPalette& palette) {
    const QColor ground = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const bool dark = ground.lightness() < text.lightness();
    const QColor wave = StandingOut(palette.color(QPalette::Highlight), ground, text);
    const QColor dimGround = Mix(ground, text, 0.1);
    QColor selection = wave;
    selection.setAlpha(72);
    return {ground,
            palette.color(QPalette::Window),
            palette.color(QPalette::Mid),
            wave,
            dimGround,
            Mix(wave, dimGround, 0.6),
            dark ? QColor(0, 200, 200) : QColor(0, 128, 128),
            dark ? QColor(255, 90, 90) : QColor(210, 0, 0),
            Mix(text, ground, 0.2),
            selection};
}

} // namespace

// Nothing plays outside the markers: the ground stays black there and the
// wave darkens.
const TWaveColours TWaveColours::Classic{QColor(0, 0, 0),       QColor(192, 192, 192),
                                         QColor(128, 128, 128), QColor(0, 255, 0),
                                         QColor(0, 0, 0),       QColor(0, 110, 0),
                                         QColor(0, 128, 128),   QColor(255, 0, 0),
                                         QColor(192, 192, 192), QColor()};

TWaveColours TWaveColours::Of(TWaveLook look, const QPalette& palette) {
    return look == wlTheme ? ThemeColours(palette) : Classic;
}

TWaveColours TWaveColours::Of(TWaveLook look) {
    return Of(look, QApplication::palette());
}
