#include "tools/dataset/shot_art.h"

#include <cmath>
#include <map>
#include <numbers>

namespace dataset {
namespace {

// A 16 x 16 pixel drawing: one character a pixel, '.' left transparent. At this size hand-set
// pixels read better than shapes that fall between them.
using PixelRows = const char* const[kShotCell];

void PaintPixels(Canvas& c, int left, int top, PixelRows rows, const std::map<char, Rgb>& palette) {
  for (int y = 0; y < kShotCell; ++y) {
    for (int x = 0; x < kShotCell && rows[y][x] != '\0'; ++x) {
      const auto found = palette.find(rows[y][x]);
      if (found != palette.end()) c.Set(left + x, top + y, found->second);
    }
  }
}

// Rings the drawing in a cell with a dark edge, so that steel on the steel of the walls
// still stands out.
void Outline(Canvas& c, const Rect& cell, Rgb edge) {
  auto drawn = [&](int x, int y) {
    return x >= cell.x && y >= cell.y && x < cell.Right() && y < cell.Bottom() && !(c.At(x, y) == kTransparent) &&
           !(c.At(x, y) == edge);
  };
  for (int y = cell.y; y < cell.Bottom(); ++y) {
    for (int x = cell.x; x < cell.Right(); ++x) {
      if (drawn(x, y)) continue;
      if (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1)) c.Set(x, y, edge);
    }
  }
}

// A case lying along its own axis: across from -halfWidth to +halfWidth, along from the
// mouth (-halfLength) to the base (+halfLength). The shape gives a colour for a point of it.
struct CaseLook {
  double halfWidth, halfLength;
  Rgb light, body, shade, rim, mouth;
  Rgb band;
  double bandFrom, bandTo;  // along the axis; an empty range: no band
};

constexpr CaseLook kLightCase{2.0, 5.0, {250, 222, 130}, {206, 160, 58}, {150, 108, 34}, {132, 96, 30},
                              {70, 46, 16}, {}, 0, 0};
// The spark and plasma rounds leave a steel shell ringed with the charge's blue.
constexpr CaseLook kHeavyCase{3.0, 6.0, {222, 230, 242}, {150, 160, 176}, {92, 98, 114}, {72, 78, 92},
                              {30, 34, 46}, {70, 200, 255}, -1.5, 0.5};

// Paints a case turned by angle (clockwise on screen) in the 16 x 16 cell at (left, top).
void PaintCase(Canvas& c, int left, int top, const CaseLook& look, double angle) {
  const double cs = std::cos(angle), sn = std::sin(angle);
  for (int y = 0; y < kShotCell; ++y) {
    for (int x = 0; x < kShotCell; ++x) {
      const double dx = x + 0.5 - kShotCell / 2.0, dy = y + 0.5 - kShotCell / 2.0;
      // Back into the case's own frame: across (u) and along (v).
      const double u = dx * cs + dy * sn, v = -dx * sn + dy * cs;
      if (std::abs(u) > look.halfWidth || std::abs(v) > look.halfLength) continue;
      Rgb colour = u < -look.halfWidth / 2 ? look.light : u > look.halfWidth / 2 ? look.shade : look.body;
      if (v > look.halfLength - 1.5) colour = look.rim;
      if (v < -look.halfLength + 1.0 && std::abs(u) < look.halfWidth - 0.9) colour = look.mouth;
      if (v >= look.bandFrom && v < look.bandTo) colour = Mix(look.band, colour, u < 0 ? 40 : 110);
      c.Set(left + x, top + y, colour);
    }
  }
}

// The gas round: an olive canister with its yellow band and the grey cap of its fuse.
constexpr PixelRows kGasRound = {
    "................",
    "................",
    "......kkkk......",
    ".....kKKKKk.....",
    ".....lggggd.....",
    ".....lggggd.....",
    ".....yyyyyy.....",
    ".....lggggd.....",
    ".....lggggd.....",
    ".....lggggd.....",
    ".....lggggd.....",
    ".....dddddd.....",
    "................",
    "................",
    "................",
    "................",
};

// The hook flies with its prongs folded back along the shaft into a point ...
constexpr PixelRows kHookFlying = {
    ".......lm.......",
    ".......lm.......",
    "......lmmd......",
    "......lmmd......",
    ".....lmmmmd.....",
    ".....lm..md.....",
    ".....l.mm.d.....",
    ".....l.mm.d.....",
    ".......mm.......",
    ".......mm.......",
    ".......mm.......",
    ".......mm.......",
    "......dmmd......",
    "......m..m......",
    "......m..m......",
    ".......mm.......",
};
// ... and once it bites they spring out and curl over what it caught.
constexpr PixelRows kHookCaught = {
    ".l.....ll.....l.",
    ".lm....mm....ml.",
    ".lm....mm....ml.",
    ".lm....mm....ml.",
    "..lm...mm...ml..",
    "...lmm.mm.mml...",
    ".....mmmmmm.....",
    ".......mm.......",
    ".......mm.......",
    ".......mm.......",
    ".......mm.......",
    ".......mm.......",
    "......dmmd......",
    "......m..m......",
    "......m..m......",
    ".......mm.......",
};

}  // namespace

void PaintCaseSheet(Canvas& c) {
  PaintPixels(c, kGasRoundCell.x, kGasRoundCell.y, kGasRound,
              {{'k', {120, 124, 130}}, {'K', {176, 180, 186}}, {'l', {138, 156, 88}}, {'g', {98, 116, 58}},
               {'d', {62, 74, 36}}, {'y', {236, 200, 60}}});
  // A case's cell is its turn: the shot picks cell rotation / 45, the heavy case eight on.
  for (int turn = 0; turn < kCaseTurns; ++turn) {
    const double angle = turn * std::numbers::pi / 4;
    PaintCase(c, turn * kShotCell, kCaseRowY, kLightCase, angle);
    PaintCase(c, (kCaseTurns + turn) * kShotCell, kCaseRowY, kHeavyCase, angle);
  }
}

void PaintHookSheet(Canvas& c) {
  const std::map<char, Rgb> steel = {{'l', {232, 236, 246}}, {'m', {150, 158, 174}}, {'d', {82, 88, 104}}};
  PaintPixels(c, kHookFlyingCell.x, kHookFlyingCell.y, kHookFlying, steel);
  PaintPixels(c, kHookCaughtCell.x, kHookCaughtCell.y, kHookCaught, steel);
  for (const Rect& cell : {kHookFlyingCell, kHookCaughtCell}) Outline(c, cell, Rgb{24, 26, 34});
}

void PaintTargetSheet(Canvas& c) {
  constexpr int kCentre = 20;
  c.FillCircle(kCentre, kCentre, 18, kInk);
  for (int ring = 0; ring < 5; ++ring) {
    c.FillCircle(kCentre, kCentre, 17 - ring * 3, ring % 2 == 0 ? Rgb{236, 232, 220} : Rgb{200, 44, 40});
  }
  c.FillCircle(kCentre, kCentre, 2, Rgb{200, 44, 40});
}

}  // namespace dataset
