// The synthetic fingerprint (ridge_image.h).
#include "tests/support/ridge_image.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora::test {
namespace {

constexpr double kRidgePeriod = 9.0;  // pixels from ridge to ridge
constexpr int kSectors = 7;           // every other sector shifts its ridges half a period

// The grey value at offset (dx, dy) from the core.
uint8_t RidgePixel(double dx, double dy) {
  dy /= 1.4;  // the ellipse is taller than wide
  if ((dx / 120) * (dx / 120) + (dy / 125) * (dy / 125) > 1) return 255;
  double radius = std::hypot(dx, dy);
  int sector = static_cast<int>((std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi) * kSectors);
  double phase = radius / kRidgePeriod;
  if (sector % 2 == 0 && radius > 30 + 12 * sector) phase += 0.5;  // the break
  return static_cast<uint8_t>(
      std::clamp(128 + static_cast<int>(100 * std::cos(2 * std::numbers::pi * phase)), 0, 255));
}

}  // namespace

std::vector<uint8_t> RidgeImage(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = RidgePixel(x - width / 2.0, y - height / 2.0);
  return pixels;
}

}  // namespace velmora::test
