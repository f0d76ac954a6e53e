#include "tools/dataset/editor_art.h"

#include "tools/dataset/art_common.h"
#include "tools/dataset/text_painter.h"

namespace dataset {
namespace {

constexpr Rgb kFrameFill{12, 26, 52};
constexpr Rgb kGlowFill{30, 80, 140};

// A setting frame: the value sits in its right part, left of it a notch.
void DrawSettingFrame(Canvas& c, const Rect& r, Rgb fill, Rgb edge) {
  c.FillChamfered(r, 8, fill);
  c.FrameChamfered(r, 8, 2, edge);
  c.FillRect({r.x + 10, r.y + r.h / 2 - 2, 4, 4}, edge);
}

}  // namespace

void PaintEditorPointer(Canvas& c) {
  // An arrow with its tip on the top-left pixel, the point the mouse names.
  c.FillTriangle(0, 0, 0, 22, 15, 15, kInk);
  c.FillTriangle(1, 2, 1, 19, 12, 14, kWhite);
  c.Line(5, 14, 10, 24, 4, kInk);
  c.Line(5, 14, 10, 23, 2, kWhite);
}

void PaintEditorEraser(Canvas& c) {
  // A pink rubber block tilted on a blue sleeve, centred on the 30 x 30 picture.
  c.FillTriangle(2, 16, 14, 4, 20, 10, Rgb{60, 110, 220});
  c.FillTriangle(2, 16, 8, 22, 20, 10, Rgb{60, 110, 220});
  c.FillTriangle(8, 22, 20, 10, 28, 18, Rgb{255, 150, 170});
  c.FillTriangle(8, 22, 16, 30, 28, 18, Rgb{255, 150, 170});
  c.Line(8, 22, 20, 10, 1, kWhite);
}

void PaintEditorPanels(Canvas& c) {
  // Name dialog, 350 x 70 at (0, 0); its lower 41 rows (from y 25) are also the title plate.
  const Rect dialog{0, 0, 350, 70};
  DrawPanel(c, dialog, Rgb{10, 24, 48}, kPlateEdge);
  c.Gradient({2, 2, 346, 20}, Rgb{40, 90, 150}, Rgb{12, 34, 70});
  DrawText(c, 12, 5, "STAGE NAME", Style(12, kWhite, 700));
  c.FillRect({16, 34, 318, 26}, Rgb{4, 10, 22});
  c.FrameRect({16, 34, 318, 26}, 1, Rgb{96, 96, 255});
  // Help bar, 743 x 35 at (4, 79).
  const Rect help{4, 79, 743, 35};
  c.FillRect(help, Rgb{8, 18, 36});
  c.FrameRect(help, 2, kPlateEdge);
  c.FillRect({help.x + 4, help.y + 4, 4, help.h - 8}, kMenuText);
  // Setting frame 269 x 36 at (0, 118) and its glow at (0, 168).
  DrawSettingFrame(c, {0, 118, 269, 36}, kFrameFill, kPlateEdge);
  DrawSettingFrame(c, {0, 168, 269, 36}, kGlowFill, kLitEdge);
  // Count frame at (0, 216): cut 250 or 170 wide, glowing 269 wide with the piece at (0, 266).
  DrawSettingFrame(c, {0, 216, 269, 36}, kFrameFill, kPlateEdge);
  c.FrameRect({168, 220, 2, 28}, 1, kPlateEdge);
  c.FrameRect({248, 220, 2, 28}, 1, kPlateEdge);
  DrawSettingFrame(c, {0, 266, 269, 36}, kGlowFill, kLitEdge);
}

void PaintStartMarkers(Canvas& c) {
  // One 120 x 108 cell per character, the feet where the start cell's floor is.
  const FigureLook looks[3] = {{0, Rgb{60, 90, 200}, Rgb{230, 200, 170}, Rgb{240, 240, 80}},
                               {0, Rgb{200, 60, 90}, Rgb{230, 200, 170}, Rgb{255, 160, 200}},
                               {0, Rgb{60, 170, 90}, Rgb{230, 200, 170}, Rgb{200, 255, 120}}};
  const char* const labels[3] = {"START 1", "START 2", "START 3"};
  for (int i = 0; i < 3; ++i) {
    DrawFigure(c, i * 120, 0, looks[i], 0);
    DrawTextIn(c, {i * 120, 0, 120, 16}, labels[i], Style(12, kWhite, 700));
  }
}

}  // namespace dataset
