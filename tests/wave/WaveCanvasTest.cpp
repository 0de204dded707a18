// Drawing on the picture: lines stop short of their end point, and an
// inverted rectangle inverted again is what it was.
#include <gtest/gtest.h>

#include <QImage>

#include "wave/WaveCanvas.h"

namespace {

const QColor Pen(0, 255, 0);
const QColor Paper(0, 0, 0);

QImage Blank() {
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Paper);
    return picture;
}

int Count(const QImage& picture, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            count += QColor(picture.pixel(x, y)) == colour ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST(WaveCanvasTest, LinesCoverTheirStartButNotTheirEnd) {
    QImage picture = Blank();
    TWaveCanvas canvas(picture);
    canvas.SetPenColour(Pen);
    canvas.MoveTo(1, 1);
    canvas.LineTo(4, 1);
    canvas.LineTo(4, 4);
    canvas.LineTo(2, 5);
    EXPECT_EQ(QColor(picture.pixel(1, 1)), Pen);
    EXPECT_EQ(QColor(picture.pixel(4, 1)), Pen);
    EXPECT_EQ(QColor(picture.pixel(4, 4)), Pen);
    EXPECT_EQ(QColor(picture.pixel(2, 5)), Paper);
    // Three across, three down, two along the slant.
    EXPECT_EQ(Count(picture, Pen), 8);
}

TEST(WaveCanvasTest, LinesAreClippedToThePicture) {
    QImage picture = Blank();
    TWaveCanvas canvas(picture);
    canvas.SetPenColour(Pen);
    canvas.MoveTo(3, -100);
    canvas.LineTo(3, 100);
    canvas.MoveTo(-50, 2);
    canvas.LineTo(-1, 2);
    EXPECT_EQ(Count(picture, Pen), picture.height());
}

TEST(WaveCanvasTest, InvertingTwiceRestoresThePixels) {
    QImage picture = Blank();
    TWaveCanvas canvas(picture);
    canvas.SetPenColour(Pen);
    canvas.MoveTo(0, 3);
    canvas.LineTo(8, 3);
    const QImage drawn = picture.copy();
    canvas.InvertRect(2, 0, 5, 6);
    EXPECT_EQ(QColor(picture.pixel(2, 3)), QColor(255, 0, 255));
    EXPECT_EQ(QColor(picture.pixel(4, 0)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(picture.pixel(5, 0)), Paper);
    // Overlapping and partly outside: still undone exactly.
    canvas.InvertRect(-3, 1, 4, 9);
    canvas.InvertRect(-3, 1, 4, 9);
    canvas.InvertRect(2, 0, 5, 6);
    EXPECT_EQ(picture, drawn);
}
