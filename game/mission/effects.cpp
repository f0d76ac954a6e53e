#include "game/mission/effects.h"

#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

Effect effects[kEffectSlots];
DebrisBurst debrisBursts[kDebrisSlots];

namespace {

constexpr int kBlendNone = 0, kBlendAlpha = 1, kBlendAdd = 2;
constexpr double kPi = 3.141592;
constexpr int kSoundExplosion = 20, kSoundJammer = 30, kSoundGlass = 31;
constexpr int kJammedAlert = 2;

// Graph slots of the effect pictures.
constexpr int kGraphFlash = 2, kGraphSpark = 6, kGraphExplosion = 9, kGraphLargeExplosion = 11;
constexpr int kGraphShockWave = 21, kGraphGas = 22, kGraphBlazeTrail = 26, kGraphFire = 27, kGraphBanners = 77;

int Graph(int slot) { return game.graphs[slot]; }
int ScreenX(int x) { return x - game.scrollX; }
int ScreenY(int y) { return y + game.scrollY; }

// ---- Debris ----

struct Fragment {
  int sx, sy, w, h, dy;
};
struct FragmentSet {
  int graph;
  int pieces;
  Fragment cells[6];
};
// Indexed by burst kind; kind 1 has no pieces.
constexpr FragmentSet kFragments[6] = {
    {132, 6, {{93, 0, 19, 25, 0}, {92, 23, 25, 30, 0}, {88, 52, 21, 29, 0}, {61, 0, 17, 28, 0}, {48, 27, 17, 27, 0}, {58, 52, 21, 29, 0}}},
    {0, 0, {}},
    {155, 5, {{40, 40, 40, 40, 0}, {80, 40, 40, 40, 0}, {0, 80, 40, 40, 0}, {40, 80, 40, 40, 0}, {80, 80, 40, 40, 0}}},
    {156, 5, {{40, 0, 40, 40, 0}, {80, 0, 40, 40, 0}, {40, 40, 40, 40, 20}, {80, 40, 40, 40, 20}, {0, 80, 40, 40, 40}}},
    {152, 5, {{0, 80, 40, 80, 0}, {40, 80, 40, 80, 0}, {80, 80, 40, 80, 0}, {120, 80, 40, 80, 0}, {160, 80, 40, 80, 0}}},
    // The fifth fragment of kind 5 is not drawn.
    {163, 5, {{0, 0, 20, 20, 0}, {20, 0, 20, 20, 0}, {0, 20, 20, 20, 0}, {20, 20, 20, 20, 0}, {0, 0, 0, 0, 0}}},
};

int PieceCount(int kind) { return kind == 0 ? 6 : 5; }

void UpdateBurst(DebrisBurst& b) {
  if (b.soundPlayed == 0) {
    if (b.kind == 4) PlaySoundEffect(kSoundGlass);
    b.soundPlayed = 1;
  }
  b.stepToggle = b.stepToggle == 0 ? 1 : 0;
  const FragmentSet* set = b.kind >= 0 && b.kind < 6 ? &kFragments[b.kind] : nullptr;
  for (int i = 0; i < PieceCount(b.kind); ++i) {
    DebrisPiece& p = b.pieces[i];
    if (set != nullptr && set->pieces > i && set->cells[i].w > 0) {
      const Fragment& f = set->cells[i];
      SetDrawBlendMode(kBlendAlpha, p.alpha);
      DrawRectGraph(ScreenX(p.x), ScreenY(p.y) + f.dy, f.sx, f.sy, f.w, f.h, Graph(set->graph), 1, 0);
      SetDrawBlendMode(kBlendNone, 0);
    }
    if (game.paused != 0) continue;
    if (b.stepToggle == 1) {
      ++p.fallSpeed;
      p.y = p.y - p.launchSpeed + p.fallSpeed;
      p.x += p.drift;
    }
    p.alpha -= 10;
    if (p.alpha <= 10) b.active = 0;
  }
}

// ---- Effects ----

// Frame field as a toggle that flips every frame; true on the frames where it becomes 1.
bool Toggle(Effect& e) {
  e.frame = e.frame == 0 ? 1 : 0;
  return e.frame == 1;
}

void Flash(Effect& e) {
  SetDrawBlendMode(kBlendAlpha, e.alpha);
  const int sx = e.counter < 3 ? 297 : e.counter < 6 ? 347 : 397;
  DrawRectGraph(ScreenX(e.x) - 25, ScreenY(e.y) - 25, sx, 402, 50, 50, Graph(kGraphFlash), 1, 0);
  if (game.paused != 0) return;
  if (++e.counter > 9) e.active = 0;
}

void SparkBurst(Effect& e, int offset, bool everyFrame) {
  const int x = ScreenX(e.x) + offset, y = ScreenY(e.y) + offset;
  DrawRectGraph(x, y, 90 * e.counter, 0, 90, 90, Graph(kGraphSpark), 1, 0);
  SetDrawBlendMode(kBlendAdd, 48);
  for (int i = 0; i < 10; ++i) DrawRectGraph(x, y, 90 * e.counter, 0, 90, 90, Graph(kGraphSpark), 1, 0);
  if (game.paused != 0) return;
  if (everyFrame || Toggle(e)) ++e.counter;
  if (e.counter >= 8) e.active = 0;
}

void Explosion(Effect& e) {
  // The sound plays once, even when the game is paused on the explosion's first frame.
  if (e.counter == 0 && e.growthX == 0) {
    PlaySoundEffect(kSoundExplosion);
    e.growthX = 1;
  }
  const int sx = 64 * (e.frame % 8), sy = e.frame < 8 ? 0 : 63;
  SetDrawBlendMode(kBlendAdd, 64);
  DrawRectGraph(ScreenX(e.x) - 32, ScreenY(e.y) - 32, sx, sy, 64, 63, Graph(kGraphExplosion), 1, 0);
  SetDrawBlendMode(kBlendAdd, 128);
  DrawRectGraph(ScreenX(e.x) - 32, ScreenY(e.y) - 32, sx, sy, 64, 63, Graph(kGraphExplosion), 1, 0);
  if (game.paused != 0) return;
  if (++e.counter % 2 == 0) ++e.frame;
  if (e.frame >= 15) e.active = 0;
}

void LargeExplosion(Effect& e) {
  if (e.extra1 == 6) SetDrawBright(255, 255, 64);
  if (e.extra1 == 5) SetDrawBright(255, 64, 255);
  const int sx = 160 * (e.frame % 4), sy = 160 * (e.frame / 4 < 3 ? e.frame / 4 : 3);
  SetDrawBlendMode(kBlendAdd, 128);
  for (int i = 0; i < 2; ++i) DrawRectGraph(ScreenX(e.x) - 80, ScreenY(e.y) - 80, sx, sy, 160, 160, Graph(kGraphLargeExplosion), 1, 0);
  SetDrawBright(255, 255, 255);
  if (game.paused != 0) return;
  if (++e.counter % 2 == 0) ++e.frame;
  if (e.frame >= 16) e.active = 0;
}

void JammerMark(Effect& e) {
  if (e.counter % 10 < 5) {
    const int x = ScreenX(e.x) - 20, y = ScreenY(e.y) - 30;
    DrawRectGraph(x, y, 29, 119, 43, 58, Graph(kGraphFlash), 1, 0);
    SetDrawBlendMode(kBlendAdd, 48);
    for (int i = 0; i < 3; ++i) DrawRectGraph(x, y, 29, 119, 43, 58, Graph(kGraphFlash), 1, 0);
  }
  if (game.paused != 0) return;
  if (++e.counter >= 101) e.active = 0;
}

void FallingSpeck(Effect& e) {
  DrawPixel(ScreenX(e.x), ScreenY(e.y), GetColor(255, 255, 255));
  if (game.paused != 0) return;
  if (Toggle(e)) e.y += 1;
  if (++e.counter > 80) e.active = 0;
}

void Banner(Effect& e) {
  static constexpr int kCells[3][4] = {{4, 8, 240, 52}, {3, 65, 388, 81}, {18, 141, 751, 51}};
  const int* c = kCells[e.kind - 7];
  SetDrawBlendMode(kBlendAlpha, e.extra2);
  DrawRectGraph(ScreenX(e.x), ScreenY(e.y), c[0], c[1], c[2], c[3], Graph(kGraphBanners), 1, 0);
  // Banners slide on while the game is paused: they belong to the story scenes.
  e.x -= e.extra1;
  if (e.x < -800) e.active = 0;
}

void ShockWave(Effect& e) {
  // The counter marks the sound as played, so a pause on the first frame does not repeat it.
  if (e.growthX == 0 && e.counter == 0) {
    PlaySoundEffect(kSoundJammer);
    e.counter = 1;
  }
  const int x = ScreenX(e.x), y = ScreenY(e.y);
  DrawGraphStretched(x - 115 - e.growthX, y - 115 - e.growthY, x + 115 + e.growthX, y + 115 + e.growthY, Graph(kGraphShockWave), 1);
  if (game.paused != 0) return;
  e.growthX += 100;
  e.growthY += 100;
  if (e.growthX > 1000) {
    e.active = 0;
    game.alertCountdown = kJammedAlert;
  }
}

void GasPuff(Effect& e) {
  if (e.counter == 0) {
    e.frame = GetRandom(360);
    e.alpha = 200 + GetRandom(55);
    e.angle = GetRandom(6) - 3;
    e.counter = 1;
  }
  if (e.alpha < 0) SetDrawBlendMode(kBlendAlpha, e.alpha + 255);
  DrawGraphRotated(ScreenX(e.x) - 64, ScreenY(e.y) - 64, 1.0, e.frame * kPi / 180.0, Graph(kGraphGas), 1, 0);
  if (game.paused != 0) return;
  e.frame += e.angle;
  if (e.frame >= 360) e.frame -= 360;
  if (e.frame < 0) e.frame += 360;
  e.alpha -= 2;
  if (e.alpha + 255 < 3) e.active = 0;
}

void Specks(Effect& e, int fade, bool glowing) {
  SetDrawBlendMode(kBlendAlpha, e.alpha);
  const int x = ScreenX(e.x), y = ScreenY(e.y);
  const int m = e.extra2 % 3;
  const bool odd = e.extra2 % 2 != 0;
  if (!glowing) {
    DrawPixel(x, y, m != 0 ? GetColor(255, 255, 255) : GetColor(255, 255, 0));
  } else if (m != 0) {
    if (odd) DrawCircle(x, y, 1, GetColor(255, 128, 128), 1);
    else DrawPixel(x, y, GetColor(255, 128, 128));
  } else {
    if (odd) DrawCircle(x, y, 1, GetColor(255, 196, 196), 1);
    else DrawPixel(x, y, GetColor(255, 0, 0));
  }
  if (game.paused != 0) return;
  if (Toggle(e)) ++e.growthY;
  e.y -= e.extra2;
  e.y += e.growthY;
  e.x += e.extra1;
  e.alpha -= fade;
  if (e.alpha < fade) e.active = 0;
}

void BlazeTrail(Effect& e) {
  SetDrawBlendMode(kBlendAdd, e.alpha);
  DrawGraphRotated(ScreenX(e.x), ScreenY(e.y), 1.0, e.angle * kPi / 180.0, Graph(kGraphBlazeTrail), 1, 0);
  if (game.paused != 0) return;
  if (e.counter == 0) e.frame = GetRandom(1);
  ++e.counter;
  e.x += e.param != 0 ? 1 : -1;
  e.y += e.frame != 0 ? 1 : -1;
  e.angle = (e.angle + 5) % 360;
  e.alpha -= 20;
  if (e.alpha < 20) e.active = 0;
}

void Fire(Effect& e) {
  const int cell = GetRandom(3);
  const int x = ScreenX(e.x) - 40, y = ScreenY(e.y) - 40;
  SetDrawBlendMode(kBlendAdd, e.alpha);
  DrawRectGraph(x, y, 80 * cell, 0, 80, 80, Graph(kGraphFire), 1, 0);
  DrawRectGraph(x, y, 80 * cell, 0, 80, 80, Graph(kGraphFire), 1, 0);
  SetDrawBlendMode(kBlendAdd, 60 - e.alpha / 5);
  DrawRectGraph(x, y, 80 * cell, 0, 80, 80, Graph(kGraphFire), 1, 0);
  if (game.paused != 0) return;
  if (Toggle(e)) e.y -= 1;
  e.alpha -= 15;
  if (e.alpha < 15) e.active = 0;
}

void UpdateEffect(Effect& e) {
  switch (e.kind) {
    case 0: Flash(e); break;
    case 1: SparkBurst(e, -45, false); break;
    case 2: Explosion(e); break;
    case 3: LargeExplosion(e); break;
    case 4: JammerMark(e); break;
    case 5: SparkBurst(e, 0, true); break;
    case 6: FallingSpeck(e); break;
    case 7: case 8: case 9: Banner(e); break;
    case 10: ShockWave(e); break;
    case 11: GasPuff(e); break;
    case 12: Specks(e, 5, false); break;
    case 13: BlazeTrail(e); break;
    case 14: Specks(e, 10, true); break;
    case 15: Fire(e); break;
    default: return;
  }
  SetDrawBlendMode(kBlendNone, 0);
}

}  // namespace

void ResetEffects() {
  for (Effect& e : effects) e = Effect{};
}

void SpawnEffect(int kind, int param, int x, int y, int extra1, int extra2) {
  for (Effect& e : effects) {
    if (e.active != 0) continue;
    e = Effect{};
    e.kind = kind;
    e.param = param;
    e.x = x;
    e.y = y;
    e.extra1 = extra1;
    e.extra2 = extra2;
    e.active = 1;
    e.alpha = 255;
    return;
  }
}

void UpdateEffects() {
  for (Effect& e : effects) {
    if (e.active != 0) UpdateEffect(e);
  }
}

void SpawnDebris(int kind, int x, int y, int param, int objectKind) {
  for (DebrisBurst& b : debrisBursts) {
    if (b.active != 0) continue;
    b.kind = kind;
    b.param = param;
    for (int i = 0; i < PieceCount(kind); ++i) {
      DebrisPiece& p = b.pieces[i];
      p.x = x;
      p.y = y;
      p.alpha = 255;
      p.fallSpeed = 0;
      p.launchSpeed = GetRandom(3) + 3;
      p.drift = GetRandom(3);
      if (GetRandom(1) == 0) p.drift = -p.drift;
    }
    b.soundPlayed = 0;
    b.active = 1;
    b.sourceKind = objectKind;
    return;
  }
}

void UpdateDebris() {
  for (DebrisBurst& b : debrisBursts) {
    if (b.active != 0) UpdateBurst(b);
  }
}
