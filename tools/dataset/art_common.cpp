#include "tools/dataset/art_common.h"

#include <algorithm>
#include <cmath>

namespace dataset {
namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kSmallestText = 8;
}

void DrawPlate(Canvas& canvas, const Rect& r, PlateStyle style) {
  const int cut = std::min(r.h / 3, 10);
  switch (style) {
    case PlateStyle::kPlain:
      canvas.FillChamfered(r, cut, kPlateFill);
      canvas.Gradient({r.x + cut, r.y + 2, r.w - 2 * cut, r.h / 2 - 2}, Mix(kPlateFill, kPlateEdge, 60), kPlateFill);
      canvas.FrameChamfered(r, cut, 2, kPlateEdge);
      break;
    case PlateStyle::kLit:
      canvas.FillChamfered(r, cut, kLitFill);
      canvas.Gradient({r.x + cut, r.y + 2, r.w - 2 * cut, r.h / 2 - 2}, Mix(kLitFill, kLitEdge, 45), kLitFill);
      canvas.FrameChamfered(r, cut, 2, kLitEdge);
      canvas.FillRect({r.x + 4, r.y + r.h / 2 - 3, 3, 6}, kLitEdge);
      canvas.FillRect({r.Right() - 7, r.y + r.h / 2 - 3, 3, 6}, kLitEdge);
      break;
    case PlateStyle::kFlash:
      canvas.FillChamfered(r, cut, Rgb{170, 225, 255});
      canvas.FrameChamfered(r, cut, 2, kWhite);
      break;
  }
}

void DrawPanel(Canvas& canvas, const Rect& r, Rgb fill, Rgb edge) {
  canvas.FillRect(r, fill);
  canvas.FrameRect(r, 2, edge);
  canvas.FrameRect({r.x + 4, r.y + 4, r.w - 8, r.h - 8}, 1, Mix(fill, edge, 90));
  const int mark = std::min({12, r.w / 4, r.h / 4});
  const Rgb bright = Mix(edge, kWhite, 120);
  for (int corner = 0; corner < 4; ++corner) {
    const int x = corner % 2 == 0 ? r.x : r.Right() - mark;
    const int y = corner < 2 ? r.y : r.Bottom() - 3;
    canvas.FillRect({x, y, mark, 3}, bright);
    const int vx = corner % 2 == 0 ? r.x : r.Right() - 3;
    const int vy = corner < 2 ? r.y : r.Bottom() - mark;
    canvas.FillRect({vx, vy, 3, mark}, bright);
  }
}

void DrawFittedText(Canvas& canvas, const Rect& box, const std::string& text, int maxSize, Rgb color, Align align,
                    int weight) {
  TextStyle style;
  style.color = color;
  style.weight = weight;
  for (style.size = maxSize; style.size > kSmallestText; --style.size) {
    if (TextWidth(text, style) <= box.w - 4 && style.size <= box.h) break;
  }
  DrawTextIn(canvas, box, text, style, align);
}

void DrawScreenBackground(Canvas& canvas, Rgb tint, uint32_t seed) {
  const int w = canvas.width(), h = canvas.height();
  canvas.Gradient({0, 0, w, h}, Mix(kNight, tint, 40), Rgb{4, 6, 12});
  const Rgb grid = Mix(kNight, tint, 70);
  for (int x = 0; x < w; x += 40) canvas.FillRect({x, 0, 1, h}, grid);
  for (int y = 0; y < h; y += 40) canvas.FillRect({0, y, w, 1}, grid);
  // Fine scan lines and a few brighter grid crossings.
  for (int y = 2; y < h; y += 4) {
    for (int x = 0; x < w; ++x) canvas.Set(x, y, Scale(canvas.At(x, y), 85));
  }
  Random random(seed);
  for (int i = 0; i < 30; ++i) {
    const int x = random.Below(w / 40) * 40, y = random.Below(h / 40) * 40;
    canvas.FillRect({x - 2, y - 2, 5, 5}, Mix(grid, tint, 160));
  }
  canvas.Gradient({0, 0, w, 70}, Mix(kNight, tint, 90), Mix(kNight, tint, 30));
  canvas.FillRect({0, 70, w, 2}, Mix(kNight, tint, 170));
}

void DrawFigure(Canvas& canvas, int x, int y, const FigureLook& look, int pose, Posture posture) {
  const double swing = std::sin(pose * kPi / 4.0);
  const int cx = x + 60;
  const int footY = y + 100;
  if (look.kind == 1) {
    // A machine: a box on a stand with a lens looking right.
    const int lift = static_cast<int>(swing * 4);
    canvas.FillRect({cx - 4, y + 60, 8, 40}, Scale(look.body, 60));
    canvas.FillRect({cx - 26, y + 30 + lift, 52, 32}, look.body);
    canvas.FrameRect({cx - 26, y + 30 + lift, 52, 32}, 2, Mix(look.body, kWhite, 120));
    canvas.FillCircle(cx + 20, y + 46 + lift, 8, look.accent);
    canvas.FillCircle(cx + 20, y + 46 + lift, 3, kInk);
    return;
  }
  if (look.kind == 2) {
    // A creature: a blob with two eyes, bobbing.
    const int bob = static_cast<int>(swing * 6);
    canvas.FillCircle(cx, y + 68 + bob, 26, look.body);
    canvas.FillCircle(cx - 10, y + 86 + bob, 14, look.body);
    canvas.FillCircle(cx + 12, y + 86 + bob, 14, look.body);
    canvas.FillCircle(cx + 6, y + 60 + bob, 6, kWhite);
    canvas.FillCircle(cx + 18, y + 60 + bob, 6, kWhite);
    canvas.FillCircle(cx + 8, y + 61 + bob, 2, kInk);
    canvas.FillCircle(cx + 20, y + 61 + bob, 2, kInk);
    return;
  }
  // A person: legs and arms swing with the pose; the posture bends the whole body.
  const int drop = posture == Posture::kCrouch ? 22 : posture == Posture::kJump ? -12 : 0;
  const int stride = static_cast<int>(swing * (posture == Posture::kCrouch ? 8 : 14));
  const int top = y + drop;
  const int hipY = top + 70;
  const Rgb limb = Scale(look.body, 80);
  const Rgb far = Scale(look.body, 60);
  if (posture == Posture::kCrouch) {
    canvas.Line(cx, hipY, cx + 14 + stride, hipY + 4, 6, limb);
    canvas.Line(cx + 14 + stride, hipY + 4, cx + 10 + stride, footY, 6, limb);
    canvas.Line(cx, hipY, cx - 10 - stride, footY, 6, far);
  } else if (posture == Posture::kJump) {
    canvas.Line(cx, hipY, cx + 12, hipY + 14, 6, limb);
    canvas.Line(cx + 12, hipY + 14, cx + 2, hipY + 26, 6, limb);
    canvas.Line(cx, hipY, cx - 8, hipY + 24, 6, far);
  } else {
    canvas.Line(cx, hipY, cx + stride, footY, 6, limb);
    canvas.Line(cx, hipY, cx - stride, footY, 6, far);
  }
  canvas.FillRect({cx - 9, top + 38, 18, 34}, look.body);
  canvas.FillRect({cx - 9, top + 38, 18, 4}, look.accent);
  if (posture == Posture::kAim) {
    canvas.Line(cx, top + 44, cx + 30, top + 44 - static_cast<int>(swing * 12), 5, limb);
    canvas.FillRect({cx + 26, top + 40 - static_cast<int>(swing * 12), 14, 5}, Rgb{40, 40, 48});
  } else if (posture == Posture::kHang) {
    canvas.Line(cx, top + 44, cx + 8, top + 6, 5, limb);
    canvas.Line(cx, top + 44, cx - 6, top + 6, 5, far);
  } else {
    canvas.Line(cx, top + 44, cx + 16 - stride / 2, top + 62, 5, limb);
    canvas.Line(cx, top + 44, cx - 12 + stride / 2, top + 64, 5, far);
  }
  canvas.FillCircle(cx, top + 28, 10, look.head);
  canvas.FillRect({cx + 3, top + 25, 8, 4}, look.accent);  // visor: shows the facing
}

void DrawGradeMark(Canvas& canvas, int x, int y, int grade) {
  static const Rgb kColours[] = {{255, 210, 60}, {210, 220, 235}, {220, 140, 70},
                                 {90, 170, 255}, {150, 150, 160}, {110, 110, 120}};
  static const char* const kLetters[] = {"S", "A", "B", "C", "D", "E"};
  const Rgb c = kColours[std::clamp(grade, 0, 5)];
  canvas.FillCircle(x + 14, y + 14, 13, Scale(c, 45));
  canvas.Ring(x + 14, y + 14, 13, 2, c);
  TextStyle style;
  style.size = 18;
  style.weight = 700;
  style.color = c;
  DrawTextIn(canvas, {x, y, 28, 28}, kLetters[std::clamp(grade, 0, 5)], style);
}

void DrawBonusMark(Canvas& canvas, int x, int y) {
  const Rgb c{255, 120, 160};
  canvas.FillRect({x + 11, y + 5, 6, 18}, c);
  canvas.FillRect({x + 5, y + 11, 18, 6}, c);
  canvas.FrameRect({x + 2, y + 2, 24, 24}, 1, Scale(c, 60));
}

}  // namespace dataset
