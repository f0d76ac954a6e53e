#include "tools/dataset/scene_light_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dataset {
namespace {

constexpr int kRings = 9, kRays = 24;

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

}  // namespace

void PaintSceneLight(Canvas& c, Rgb tint) {
  const Rect& cut = kSceneLightCut;
  const double cx = cut.x + cut.w / 2.0, cy = cut.y + cut.h / 2.0;
  // A little inside the cut, so its square edge never shows however far it is stretched.
  const double radius = std::min(cut.w, cut.h) / 2.0 - 6;
  for (int y = cut.y; y < cut.Bottom(); ++y) {
    for (int x = cut.x; x < cut.Right(); ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const double t = std::sqrt(dx * dx + dy * dy) / radius;
      if (t >= 1.0) continue;
      const double fade = (1.0 - t) * (1.0 - t);
      // Ripples running outwards and rays turning a little as they leave the middle.
      const double ripple = std::pow(0.5 + 0.5 * std::cos(t * kRings * 2 * std::numbers::pi), 6);
      const double ray = std::pow(0.5 + 0.5 * std::cos(std::atan2(dy, dx) * kRays + t * 3), 10);
      const double tinted = fade * (0.55 + 0.35 * ripple + 0.45 * ray);
      const double white = std::pow(std::max(1.0 - t * 2.2, 0.0), 2);
      c.Set(x, y, Rgb{Channel(tint.r * tinted + 255 * white), Channel(tint.g * tinted + 255 * white),
                      Channel(tint.b * tinted + 255 * white)});
    }
  }
}

}  // namespace dataset
