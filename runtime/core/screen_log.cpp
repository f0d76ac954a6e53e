#include "runtime/core/screen_log.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/font/font.h"
#include "runtime/image/surface_2d.h"

namespace rt {
namespace {

ScreenLogState g_screenLog;

constexpr int kScreenLogFontThickness = 4;
constexpr int kScreenLogFontType = kFontTypeEdge;
constexpr int kUnsetScreenHeight = 480;

}  // namespace

ScreenLogState& GetScreenLogState() { return g_screenLog; }

int InitScreenLog() {
  if (!IsGraphicsStarted() || !GetMainWindowHandle()) return -1;
  ScreenLogState& s = g_screenLog;
  // Made again after a screen change: the old font goes first.
  DeleteScreenLogFont();
  s.created = 1;
  s.lineHeight = kScreenLogLineHeight;
  s.font = -1;
  s.fontDeleted = 1;
  CreateScreenLogFont();
  std::memset(s.lines, 0, sizeof s.lines);
  s.lineCount = 0;
  s.lineTop = 0;
  return 0;
}

int CreateScreenLogFont() {
  ScreenLogState& s = g_screenLog;
  if (!s.fontDeleted) return 0;
  s.font = CreateFontToHandle(nullptr, s.lineHeight, kScreenLogFontThickness, kScreenLogFontType, -1, -1, 0, -1, -1);
  if (s.font != -1) SetFontDeleteFlag(s.font, &s.fontDeleted);
  return 0;
}

int DrawScreenLog() {
  ScreenLogState& s = g_screenLog;
  if (!s.created) return 0;
  CreateScreenLogFont();
  const int screenHeight = GetScreenStateRecord().screenHeight ? GetScreenStateRecord().screenHeight : kUnsetScreenHeight;
  const int lines = std::min(screenHeight / s.lineHeight, kScreenLogLines);
  const uint32_t white = GetColorImpl(255, 255, 255);
  const uint32_t black = GetColorImpl(0, 0, 0);
  for (int i = 0; i < lines; ++i) {
    char line[kScreenLogLineBytes + 1];
    std::memcpy(line, s.lines[i], kScreenLogLineBytes);
    line[kScreenLogLineBytes] = '\0';
    DrawStringToHandle(0, s.lineHeight * i, line, white, s.font, black, 0);
  }
  return 0;
}

int DeleteScreenLogFont() {
  ScreenLogState& s = g_screenLog;
  if (s.font != -1 && !s.fontDeleted) DeleteFontToHandle(s.font);
  s.font = -1;
  s.fontDeleted = 1;
  return 0;
}

}  // namespace rt
