#include "ui/hands/hand_drawing.h"

#include <gtest/gtest.h>
#include <string.h>

#include "ui/finger_placement.h"

namespace {

// Drawn as velmora-hands-picture draws it, `scale` times the window's size.
class Picture {
 public:
  explicit Picture(int scale = 1)
      : m_Surface(
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWindowWidth * scale, kWindowHeight * scale)) {
    cairo_t* cr = cairo_create(m_Surface);
    cairo_scale(cr, scale, scale);
    DrawHands(cr);
    cairo_destroy(cr);
    cairo_surface_flush(m_Surface);
  }
  ~Picture() { cairo_surface_destroy(m_Surface); }

  uint32_t At(int x, int y) const {
    uint32_t pixel;
    memcpy(&pixel,
           cairo_image_surface_get_data(m_Surface) + y * cairo_image_surface_get_stride(m_Surface) + 4 * x,
           4);
    return pixel & 0xFFFFFF;
  }

 private:
  cairo_surface_t* m_Surface;
};

// Skin is warm: clearly more red than blue. The background and sleeves are cool.
bool IsSkin(uint32_t rgb) { return ((rgb >> 16) & 0xFF) > (rgb & 0xFF) + 20; }

}  // namespace

TEST(HandDrawingTest, EveryFingertipLiesUnderItsButtonAtEitherScale) {
  for (int scale : {1, 2}) {
    Picture picture(scale);
    for (int finger = 1; finger <= 10; ++finger) {
      ButtonPosition position;
      ASSERT_TRUE(FingerButtonPosition(finger, &position));
      int x = (position.x + kButtonSize / 2) * scale, y = (position.y + kButtonSize / 2) * scale;
      EXPECT_TRUE(IsSkin(picture.At(x, y)))
          << "finger " << finger << " at " << x << "," << y << " x" << scale;
    }
  }
}

TEST(HandDrawingTest, TheRightPartOfThePictureIsBackground) {
  Picture picture;
  for (int y = 0; y < kWindowHeight; y += 10) EXPECT_FALSE(IsSkin(picture.At(200, y))) << y;
}

TEST(HandDrawingTest, TheStatusLineBoxIsBackground) {
  Picture picture;
  for (int y = kStatusLineY; y < kStatusLineY + kStatusLineHeight; y += 2)
    for (int x = kStatusLineX; x < kStatusLineX + kStatusLineWidth; x += 2)
      ASSERT_FALSE(IsSkin(picture.At(x, y))) << x << "," << y;
}
