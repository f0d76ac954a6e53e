// Drawing a key-input string and the input method's composition. What the drawing needs of
// the font and display layers goes through KeyInputCanvas, so that the layout (cursor,
// wrapping at the draw area's right edge, composition and clause marks) stands on its own.
#pragma once
#include <cstdint>

namespace rt {

struct KeyInputArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class KeyInputCanvas {
 public:
  virtual ~KeyInputCanvas() = default;
  // A colour in the screen's format.
  virtual uint32_t Color(int r, int g, int b) = 0;
  // The size of a font (-1: the default font).
  virtual int FontSize(int font) = 0;
  // The drawn width of the first bytes of text.
  virtual int StringWidth(const char* text, int bytes, int font) = 0;
  virtual KeyInputArea DrawArea() = 0;
  virtual void DrawBox(int x1, int y1, int x2, int y2, uint32_t color, bool fill) = 0;
  virtual void DrawString(int x, int y, const char* text, uint32_t color, uint32_t edgeColor,
                          int font) = 0;
  // Sets the draw state's 3D-use flag and returns the one it replaced.
  virtual int Swap3DFlag(int flag) = 0;
};

// The canvas in force; null (nothing is drawn) until the display installs one.
KeyInputCanvas* GetKeyInputCanvas();
void SetKeyInputCanvas(KeyInputCanvas* canvas);

// GetColor through the canvas; plain XRGB while there is none.
uint32_t KeyInputScreenColor(int r, int g, int b);

int DrawKeyInputStringImpl(int x, int y, int handle);
int DrawImeInputString(int x, int y, int candidatesPerPage);
// Draws text (or a box) at (x, y) and, where it runs past the draw area's right edge,
// again one line lower, shifted so that the hidden part starts at the left edge.
int DrawStringWrapped(int x, int y, int lineHeight, const char* text, uint32_t color,
                      uint32_t edgeColor, int font);
int DrawBoxWrapped(int x1, int y1, int x2, int y2, int lineHeight, uint32_t color, bool fill);

}  // namespace rt
