// Drawing on the picture: lines stop short of their end point, and an
// inverted rectangle inverted again is what it was.
#include <gtest/gtest.h>

#include <QImage>

#include "wave/WaveCanvas.h"

namespace {

const QColor Pen(0, 255, 0);
const QColor Paper(0, 0, 0);

} // namespace

class WaveCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        Picture.fill(Paper);
        Canvas.SetPenColour(Pen);
    }
    QColor At(int x, int y) const { return QColor(Picture.pixel(x, y)); }
    int Count(const QColor& colour) const {
        int count = 0;
        for (int y = 0; y < Picture.height(); ++y) {
            for (int x = 0; x < Picture.width(); ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

    QImage Picture{8, 6, QImage::Format_RGB32};
    TWaveCanvas Canvas{Picture};
};

TEST_F(WaveCanvasTest, LinesCoverTheirStartButNotTheirEnd) {
    Canvas.MoveTo(1, 1);
    Canvas.LineTo(4, 1);
    Canvas.LineTo(4, 4);
    Canvas.LineTo(2, 5);
    EXPECT_EQ(At(1, 1), Pen);
    EXPECT_EQ(At(4, 1), Pen);
    EXPECT_EQ(At(4, 4), Pen);
    EXPECT_EQ(At(2, 5), Paper);
    // Three across, three down, two along the slant.
    EXPECT_EQ(Count(Pen), 8);
}

TEST_F(WaveCanvasTest, LinesAreClippedToThePicture) {
    Canvas.MoveTo(3, -100);
    Canvas.LineTo(3, 100);
    Canvas.MoveTo(-50, 2);
    Canvas.LineTo(-1, 2);
    EXPECT_EQ(Count(Pen), Picture.height());
}

TEST_F(WaveCanvasTest, InvertingTwiceRestoresThePixels) {
    Canvas.MoveTo(0, 3);
    Canvas.LineTo(8, 3);
    const QImage drawn = Picture.copy();
    Canvas.InvertRect(2, 0, 5, 6);
    EXPECT_EQ(At(2, 3), QColor(255, 0, 255));
    EXPECT_EQ(At(4, 0), QColor(255, 255, 255));
    EXPECT_EQ(At(5, 0), Paper);
    // Overlapping and partly outside: still undone exactly.
    Canvas.InvertRect(-3, 1, 4, 9);
    Canvas.InvertRect(-3, 1, 4, 9);
    Canvas.InvertRect(2, 0, 5, 6);
    EXPECT_EQ(Picture, drawn);
}
