#include "game/editor/editor_records.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kSkinHeight = 38;
constexpr int kLitRow = 77;
constexpr int kGlowRow = 157;
constexpr int kGlowStrength = 96;
constexpr int kGlowRepeatMax = 4;
constexpr int kDisabledBright = 128;
constexpr int kLabelX = 55, kLabelY = 10;
constexpr int kPlainLabelOffset = 5;

// The style's pieces from one row of the skin: (source x, width, offset on screen).
struct SkinPiece {
  int sourceX, width, offset;
};
struct SkinPieces {
  SkinPiece first, second;
  bool two;
};

SkinPieces PiecesOf(int style, bool glow) {
  switch (style) {
    case button_style::kPair:
      return glow ? SkinPieces{{245, 100, 0}, {411, 100, 100}, true} : SkinPieces{{0, 100, 0}, {166, 100, 100}, true};
    case button_style::kLong:
      return glow ? SkinPieces{{245, 200, 0}, {295, 216, 200}, true} : SkinPieces{{0, 200, 0}, {50, 216, 200}, true};
    default:
      return glow ? SkinPieces{{245, 266, 0}, {}, false} : SkinPieces{{0, 266, 0}, {}, false};
  }
}

// A plate taller than its button would reach into the next row of a list: its middle is
// left out so the plate's top and bottom edges frame the button's own height.
constexpr int kPlateBottomEdge = 4;

void DrawPiece(int x, int y, int sourceX, int row, int width, int height, int skin) {
  if (height >= kSkinHeight) {
    DrawRectGraph(x, y, sourceX, row, width, kSkinHeight, skin, 1, 0);
    return;
  }
  const int top = height - kPlateBottomEdge;
  DrawRectGraph(x, y, sourceX, row, width, top, skin, 1, 0);
  DrawRectGraph(x, y + top, sourceX, row + kSkinHeight - kPlateBottomEdge, width, kPlateBottomEdge, skin, 1, 0);
}

void DrawPieces(int x, int y, int height, int style, int row, bool glow) {
  const SkinPieces p = PiecesOf(style, glow);
  const int skin = game.graphs[graph_slot::kButtons];
  DrawPiece(x + p.first.offset, y, p.first.sourceX, row, p.first.width, height, skin);
  if (p.two) DrawPiece(x + p.second.offset, y, p.second.sourceX, row, p.second.width, height, skin);
}

}  // namespace

bool EditorButton::HitTest(int mouseX, int mouseY) {
  hovered = enabled != 0 && x < mouseX && mouseX < x + width && y < mouseY && mouseY < y + height;
  return hovered != 0;
}

void EditorButton::Draw() {
  const unsigned text = GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue);
  const unsigned white = GetColor(255, 255, 255);
  if (hovered == 0) {
    if (enabled == 0) SetDrawBright(kDisabledBright, kDisabledBright, kDisabledBright);
    if (skinned != 0) {
      DrawPieces(x, y, height, style, 0, false);
      DrawFormatString(x + kLabelX, y + kLabelY, text, "%s", label);
    } else {
      SetDrawBlendMode(kBlendAlpha, kHalfStrength);
      DrawBox(x, y, x + width, y + height, GetColor(255, 255, 128), 1);
      DrawFormatString(x + kPlainLabelOffset, y + kPlainLabelOffset, white, "%s", label);
    }
    SetDrawBright(255, 255, 255);
  } else if (skinned != 0) {
    DrawPieces(x, y, height, style, kLitRow, false);
    DrawGlow(x + 1, y - 1, style, height);
    DrawFormatString(x + kLabelX, y + kLabelY, text, "%s", label);
    SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
    DrawFormatString(x + kLabelX, y + kLabelY, text, "%s", label);
  } else {
    SetDrawBlendMode(kBlendAlpha, kHalfStrength);
    DrawBox(x, y, x + width, y + height, GetColor(128, 128, 128), 1);
    DrawFormatString(x + kPlainLabelOffset, y + kPlainLabelOffset, white, "%s", label);
  }
  SetDrawBlendMode(kBlendNone, 0);
}

void EditorButton::DrawGlow(int x, int y, int style, int height) {
  const int repeats = GetRandom(kGlowRepeatMax) + 1;
  for (int i = 0; i < repeats; ++i) {
    SetDrawBlendMode(kBlendAdd, kGlowStrength);
    DrawPieces(x, y, height, style, kGlowRow, true);
  }
  SetDrawBlendMode(kBlendNone, 0);
}
