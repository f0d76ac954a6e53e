// The on-screen log: a store of up to 80 text lines drawn over the screen with a 16-dot
// edged font. Nothing in this program writes to it or turns its display on.
#pragma once

namespace rt {

constexpr int kScreenLogLines = 80;
constexpr int kScreenLogLineBytes = 255;
constexpr int kScreenLogLineHeight = 16;

struct ScreenLogState {
  int created = 0;
  int font = -1;
  int fontDeleted = 1;  // the font's deleted flag: 1 while a font has to be made
  int lineHeight = kScreenLogLineHeight;
  char lines[kScreenLogLines][kScreenLogLineBytes] = {};
  int lineCount = 0;
  int lineTop = 0;
};

ScreenLogState& GetScreenLogState();

// 0, or -1 while graphics or the main window are missing.
int InitScreenLog();
int CreateScreenLogFont();
int DrawScreenLog();
// Shut-down: deletes the font when one was made.
int DeleteScreenLogFont();

}  // namespace rt
