// The look shared by the data set's pictures: the menu palette (the game draws its menu
// texts in (9, 176, 254)), plates and frames, fitted labels and figure placeholders.
#pragma once
#include <string>

#include "tools/dataset/canvas.h"
#include "tools/dataset/text_painter.h"

namespace dataset {

constexpr Rgb kMenuText{9, 176, 254};
constexpr Rgb kPlateFill{14, 30, 58};
constexpr Rgb kPlateEdge{40, 120, 190};
constexpr Rgb kLitFill{22, 58, 104};
constexpr Rgb kLitEdge{150, 225, 255};
constexpr Rgb kPanelFill{10, 20, 40};
constexpr Rgb kNight{8, 14, 30};

enum class PlateStyle { kPlain, kLit, kFlash };

// A chamfered menu plate with its frame.
void DrawPlate(Canvas& canvas, const Rect& r, PlateStyle style);
// A framed panel with corner marks.
void DrawPanel(Canvas& canvas, const Rect& r, Rgb fill = kPanelFill, Rgb edge = kPlateEdge);
// A label in the box, in the largest size from maxSize down to 8 that fits its width.
void DrawFittedText(Canvas& canvas, const Rect& box, const std::string& text, int maxSize, Rgb color,
                    Align align = Align::kCentre, int weight = 400);
// A dark opaque screen background with a grid, in the given tint.
void DrawScreenBackground(Canvas& canvas, Rgb tint, uint32_t seed);

// A standing or moving figure, 120 x 108 cell at (x, y), facing right; pose picks the limb
// angles; kind 0 a person, 1 a machine, 2 a creature.
struct FigureLook {
  int kind = 0;
  Rgb body{60, 90, 200};
  Rgb head{230, 200, 170};
  Rgb accent{240, 240, 80};
};
enum class Posture { kStand, kCrouch, kAim, kJump, kHang };
void DrawFigure(Canvas& canvas, int x, int y, const FigureLook& look, int pose,
                Posture posture = Posture::kStand);

// A set of distinct menu-sized labels: marks 0..5 of the grade column of the result sheets.
void DrawGradeMark(Canvas& canvas, int x, int y, int grade);
// The small mark beside a grade that stands for a bonus.
void DrawBonusMark(Canvas& canvas, int x, int y);

}  // namespace dataset
