#include "runtime/input/key_input_draw.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/time.h"
#include "runtime/input/key_input.h"

namespace rt {
namespace {

KeyInputCanvas* g_canvas = nullptr;

constexpr int kCursorWidth = 2;
constexpr uint32_t kCompositionTextColor = 0;  // black, whatever the colour table says

int LineHeight(int size) { return size + 3 * (size / 10); }

// Moves a start point into the area: not left of it or above it, and from beyond the right
// edge back by whole area widths, one line down each time.
void StartInArea(const KeyInputArea& area, int lineHeight, int* x, int* y) {
  const int width = area.right - area.left;
  *x = std::max(*x, area.left);
  *y = std::max(*y, area.top);
  while (*x >= area.right) {
    *x -= width;
    *y += lineHeight;
  }
}

bool AreaEmpty(const KeyInputArea& area) {
  return area.right <= area.left || area.bottom <= area.top;
}

}  // namespace

KeyInputCanvas* GetKeyInputCanvas() { return g_canvas; }
void SetKeyInputCanvas(KeyInputCanvas* canvas) { g_canvas = canvas; }

uint32_t KeyInputScreenColor(int r, int g, int b) {
  if (g_canvas) return g_canvas->Color(r, g, b);
  return (uint32_t(r & 0xFF) << 16) | (uint32_t(g & 0xFF) << 8) | uint32_t(b & 0xFF);
}

int DrawStringWrapped(int x, int y, int lineHeight, const char* text, uint32_t color,
                      uint32_t edgeColor, int font) {
  if (!g_canvas) return 0;
  const KeyInputArea area = g_canvas->DrawArea();
  if (AreaEmpty(area)) return 0;
  const int areaWidth = area.right - area.left;
  StartInArea(area, lineHeight, &x, &y);
  const int width = g_canvas->StringWidth(text, static_cast<int>(std::strlen(text)), font);
  g_canvas->DrawString(x, y, text, color, edgeColor, font);
  while (x + width > area.right) {
    x -= areaWidth;
    y += lineHeight;
    g_canvas->DrawString(x, y, text, color, edgeColor, font);
  }
  return 0;
}

int DrawBoxWrapped(int x1, int y1, int x2, int y2, int lineHeight, uint32_t color, bool fill) {
  if (!g_canvas) return 0;
  const KeyInputArea area = g_canvas->DrawArea();
  if (AreaEmpty(area)) return 0;
  const int areaWidth = area.right - area.left;
  const int width = x2 - x1;
  const int height = y2 - y1;
  int x = x1;
  int y = y1;
  StartInArea(area, lineHeight, &x, &y);
  g_canvas->DrawBox(x, y, x + width, y + height, color, fill);
  while (x + width > area.right) {
    x -= areaWidth;
    y += lineHeight;
    g_canvas->DrawBox(x, y, x + width, y + height, color, fill);
  }
  return 0;
}

int DrawImeInputString(int x, int y, int candidatesPerPage) {
  KeyInputState& s = GetKeyInputState();
  if (!s.imeEnabled || !s.imeOpen || !g_canvas) return 0;
  if (s.imeText[0] == '\0') return 0;
  const KeyInputArea area = g_canvas->DrawArea();
  x = std::clamp(x, area.left, std::max(area.left, area.right));
  y = std::clamp(y, area.top, std::max(area.top, area.bottom));
  const int h = g_canvas->FontSize(s.fontHandle);
  const int lineHeight = LineHeight(h);
  const char* text = s.imeText;
  const int length = static_cast<int>(std::strlen(text));
  auto xAt = [&](uint32_t bytes) {
    return x + g_canvas->StringWidth(text, std::min<int>(static_cast<int>(bytes), length), s.fontHandle);
  };

  DrawBoxWrapped(x, y, xAt(length), y + h, lineHeight, s.colors[kColorImeBackground], true);

  const uint32_t cursorBytes = static_cast<uint32_t>(CountBytesOfChars(text, s.imeCursor));
  const int clauseCount = std::min(s.clauseCount, kMaxImeClauses);
  if (clauseCount != 2) {
    for (int i = 0; i + 1 < clauseCount; ++i) {
      if (s.clauses[i] != cursorBytes) continue;
      DrawBoxWrapped(xAt(s.clauses[i]), y, xAt(s.clauses[i + 1]), y + h, lineHeight,
                     s.colors[kColorConvertingClause], true);
      break;
    }
  }

  DrawStringWrapped(x, y, lineHeight, text, kCompositionTextColor, s.colors[kColorImeBackground],
                    s.fontHandle);
  // No candidate list is ever open here, so the caret shows whenever the cursor does.
  if (s.cursorVisible) {
    const int caretX = xAt(cursorBytes);
    DrawBoxWrapped(caretX, y, caretX + kCursorWidth, y + h, lineHeight, s.colors[kColorImeCaret],
                   true);
  }

  const int tenth = h / 10;
  for (int i = 0; i + 1 < clauseCount; ++i) {
    DrawBoxWrapped(xAt(s.clauses[i]) + 2 * tenth, y + h + tenth, xAt(s.clauses[i + 1]) - 2 * tenth,
                   y + h + 2 * tenth, lineHeight, s.colors[kColorClauseLine], true);
  }
  (void)candidatesPerPage;
  return 0;
}

int DrawKeyInputStringImpl(int x, int y, int handle) {
  KeyInputState& s = GetKeyInputState();
  const KeyInputHandle* record = s.table.Find(handle);
  if (!record || record->ended) return -1;

  if (s.blinkOn) {
    const uint32_t now = ReadTimeMs();
    if (now - s.blinkTime > s.blinkInterval) {
      s.cursorVisible = !s.cursorVisible;
      s.blinkTime = now;
    }
  } else {
    s.cursorVisible = 1;
  }
  if (!g_canvas) return 0;

  const int previous3D = g_canvas->Swap3DFlag(0);
  const int h = g_canvas->FontSize(s.fontHandle);
  const int lineHeight = LineHeight(h);
  const int cursorX = x + g_canvas->StringWidth(record->buffer, record->cursor, s.fontHandle);
  if (s.cursorVisible) {
    DrawBoxWrapped(cursorX, y, cursorX + kCursorWidth, y + h, lineHeight, s.colors[kColorCursor],
                   true);
  }
  DrawStringWrapped(x, y, lineHeight, record->buffer, s.colors[kColorText], s.colors[kColorTextEdge],
                    s.fontHandle);
  if (handle == s.activeHandle) DrawImeInputString(cursorX, y, 5);
  g_canvas->Swap3DFlag(previous3D);
  return 0;
}

}  // namespace rt
