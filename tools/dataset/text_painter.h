// Text baked into pictures, rendered with the runtime's glyph source (the same faces and
// character codes the game draws its strings with). Text is Shift-JIS, as every string
// literal of the program is.
#pragma once
#include <string>

#include "tools/dataset/canvas.h"

namespace dataset {

struct TextStyle {
  int size = 16;         // cell height in pixels
  int weight = 400;      // 600 and above: bold
  Rgb color = kWhite;
  // An outline one pixel wide around every glyph pixel (kTransparent: none).
  Rgb outline = kTransparent;
  // A copy one pixel down and right (kTransparent: none).
  Rgb shadow = kTransparent;
};

// A style of the given cell height, colour and weight, without outline or shadow.
inline TextStyle Style(int size, Rgb color, int weight = 400) {
  TextStyle s;
  s.size = size;
  s.color = color;
  s.weight = weight;
  return s;
}

enum class Align { kLeft, kCentre, kRight };

// The pen advance of the text.
int TextWidth(const std::string& text, const TextStyle& style);
// Draws with the top of the font cell at y; returns the width.
int DrawText(Canvas& canvas, int x, int y, const std::string& text, const TextStyle& style);
// Draws within the box, centred vertically and aligned horizontally (with a small margin
// from the edge for left and right).
void DrawTextIn(Canvas& canvas, const Rect& box, const std::string& text, const TextStyle& style,
                Align align = Align::kCentre);

}  // namespace dataset
