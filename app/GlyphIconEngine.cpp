#include "app/GlyphIconEngine.h"

#include <QPainter>
#include <QPixmap>

void TGlyphIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                             QIcon::State state) {
    const qreal ratio = painter->device()->devicePixelRatioF();
    QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), picture);
}

// A scaled screen asks for a picture of that many more pixels.
QPixmap TGlyphIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
    const QImage picture = GlyphImage(Glyph, size);
    return QPixmap::fromImage(mode == QIcon::Disabled ? GreyedImage(picture) : picture);
}

QIconEngine* TGlyphIconEngine::clone() const {
    return new TGlyphIconEngine(Glyph);
}
