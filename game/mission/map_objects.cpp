#include "game/mission/map_objects.h"

#include <cstring>

#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/map_chips.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "runtime/api.h"

MissionPools pools;

namespace {

constexpr int kCell = 40;
constexpr int kStateEditor = 50;
constexpr int kBlendNone = 0, kBlendAlpha = 1, kBlendAdd = 2;
constexpr int kActionFreeLimit = 40;
constexpr int kActionDoorExit = 40;
constexpr int kActionDown = 51;
constexpr int kActionHit = 10;
constexpr int kActionGoal = 52;

// Sound effects.
constexpr int kSoundTarget = 9;
constexpr int kSoundDoor = 12;
constexpr int kSoundElectric = 6;
constexpr int kSoundItem = 21;
constexpr int kSoundRation = 35;
constexpr int kSoundVrComplete = 38;

constexpr int kNoiseShot = 27;
constexpr int kDroppedItemShot = 37;
constexpr int kNoiseRadius = 200;

// Checkpoint bytes.
constexpr int kEventSeenBase = 140;
constexpr int kSceneSeenBase = 370;
constexpr int kStageStatusBase[kAreaCount] = {71, 76, 87, 96, 103, 109, 116, 124};
constexpr uint8_t kStageCleared = 3;
constexpr int kEventGateByte = 64;
constexpr int kEventGatedScript = 54;
constexpr int kShutterKeyRule = 7;
constexpr int kLampKind = 190;

struct Box {
  int left, top, right, bottom;
  bool solid;
};

Box BoxForKind(int kind) {
  auto in = [kind](int a, int b) { return kind >= a && kind <= b; };
  if (in(1, 13) || in(15, 19) || in(130, 139)) return {0, 0, 0, 0, false};
  if (kind == 14) return {0, 0, 0, 0, true};
  if (kind == 20) return {5, 5, 35, 65, false};
  if (in(21, 29) || kind == 59 || kind == 60 || kind == 77 || in(79, 81) || kind == 89 || kind == 91 || kind == 92) {
    return {0, 0, 40, 40, true};
  }
  if (in(30, 34)) return {0, 0, 40, 20, true};
  if (in(35, 37) || kind == 56 || kind == 57 || kind == 75 || kind == 76 || kind == 78) return {0, 0, 80, 40, true};
  if (in(38, 40)) return {0, 0, 120, 40, true};
  if (in(41, 43) || kind == 58 || in(66, 74) || kind == 82 || kind == 90) return {0, 0, 40, 80, true};
  if (in(44, 46)) return {0, 0, 40, 120, true};
  if (in(47, 55)) return {0, 0, 80, 80, true};
  if (kind == 61 || kind == 62) return {0, 0, 80, 20, true};
  if (kind == 64) return {0, 0, 0, 0, false};
  if (kind == 65) return {0, 0, 40, 40, false};
  if (in(83, 85)) return {0, 0, 80, 40, true};
  if (kind == 86) return {30, 20, 40, 25, false};
  if (kind == 87) return {0, 20, 40, 25, false};
  if (kind == 88) return {0, 20, 20, 25, false};
  if (kind == 98 || kind == 99 || in(100, 120) || in(141, 189)) return {0, 0, 0, 0, false};
  return {0, 0, 0, 0, true};
}

bool PlayerOnGround() { return player.airborne == 0 && player.jumping == 0; }

// The standard test: the player's point, widened by 10 and 20, against a 40-pixel cell whose
// lower edge may be moved.
bool StandardTest(int left, int top, int height = kCell) {
  return player.x + 10 > left && player.x - 10 < left + kCell && player.y + 20 > top && player.y - 20 < top + height;
}

void Chip(int slot, int srcX, int srcY, int w, int h, int x, int y, int mirror = 0) {
  DrawRectGraph(x, y, srcX, srcY, w, h, game.graphs[slot], 1, mirror);
}

// Draws the kind's cell: skin column by kind, frame row as given.
void DrawKind(int kind, int x, int y, int frame = 0, int mirror = 0) {
  const ChipCut c = ChipFor(kind);
  if (c.slot == 0) return;
  Chip(c.slot, (kind - c.firstKind) * c.width, frame * c.height, c.width, c.height, x, y + c.offsetY, mirror);
}

// Layers of glow from frame row 1 of the kind's sheet; they swell and fade over 78 frames.
void DrawGlow(MapObject& o, int x, int y, int alpha, bool paused) {
  const ChipCut c = ChipFor(o.kind);
  const int src = (o.kind - c.firstKind) * c.width;
  if (game.graphicsLevel == 0) {
    const int step = o.timers[3];
    const int layers = step < 20 ? step + 1 : 39 - step;
    Chip(c.slot, src, c.height, c.width, c.height, x, y);
    for (int i = 1; i < layers; ++i) {
      SetDrawBlendMode(kBlendAdd, alpha);
      Chip(c.slot, src, c.height, c.width, c.height, x, y);
    }
    SetDrawBlendMode(kBlendNone, 0);
  } else {
    SetDrawBlendMode(kBlendAdd, 255);
    Chip(c.slot, src, c.height, c.width, c.height, x, y);
    SetDrawBlendMode(kBlendNone, 0);
  }
  if (paused) return;
  if (++o.timers[2] >= 2) {
    o.timers[2] = 0;
    if (++o.timers[3] >= 39) o.timers[3] = 0;
  }
}

bool OnScreen(int x, int y, int w, int h) { return x > -50 - w && x < 820 && y > -50 - h && y < 620; }

// Triggers of talk and story scenes: the scene's seen flag is set; the scene itself runs once
// the story player exists.
void CutAlert() {
  if (game.alertCountdown > 0) game.alertCountdown = 1;
}

void EventTrigger(int kind, int left, int top) {
  const int e = game.eventTable[game.area][game.subStage][kind == 15 ? 0 : 1];
  if (game.checkpoint[kEventSeenBase + e] != 0 || !StandardTest(left, top, 120)) return;
  player.walkCounter = 0;
  if (e == kEventGatedScript && game.checkpoint[kEventGateByte] != 0) {
    game.checkpoint[kEventSeenBase + e] = 1;
    return;
  }
  CutAlert();
  game.checkpoint[kEventSeenBase + e] = 1;
  game.paused = 1;
  game.pauseMode = 4;
  game.pauseMenuPage = kScenePausePage;
  game.eventPlayer.Create(e, kEndModeMission);
}

void SceneTrigger(int kind, int left, int top) {
  const int s = game.cinemaTable[game.area][game.subStage][kind == 17 ? 0 : 1];
  if (game.checkpoint[kSceneSeenBase + s] != 0 || !StandardTest(left, top, 120)) return;
  player.walkCounter = 0;
  CutAlert();
  game.checkpoint[kSceneSeenBase + s] = 1;
  game.storyScene.Create(s);
}

void ScriptedTrigger(int left, int top) {
  if (game.stageEventTriggered != 0) return;
  const int gate = game.eventTable[game.area][game.subStage][0] + 4;
  if (gate < 0 || kEventSeenBase + gate >= kSaveRecordBytes || game.checkpoint[kEventSeenBase + gate] != 0) return;
  const bool inside = player.x > left - 10 && player.x < left + 50 && player.y > top - 40 && player.y < top + 100;
  if (!inside) return;
  game.stageEventTriggered = 1;
  CutAlert();
  static constexpr int kFixedScripts[][2] = {{1, 111}, {8, 118}, {10, 120}, {20, 130}, {21, 131}, {24, 134}};
  for (const auto& f : kFixedScripts) {
    if (f[0] != game.missionNumber) continue;
    // Only a mission that has a script pauses: a pause with no script to end it would hold.
    game.paused = 1;
    game.pauseMode = 4;
    game.pauseMenuPage = kScenePausePage;
    game.eventPlayer.Create(f[1], kEndModeMission);
  }
}

void TargetHit(MapObject& o) {
  SpawnDebris(0, o.x, o.y, 0, o.kind);
  PlaySoundEffect(kSoundTarget);
  ++game.stageTargetsDestroyed;
  o.active = 0;
  if (game.stageTargetsDestroyed != game.targetCount) return;
  if (game.character != 2 && game.area < kAreaCount) game.checkpoint[kStageStatusBase[game.area] + game.subStage] = kStageCleared;
  SpawnShot(kDroppedItemShot, o.x - 20, o.y - 10, 0, 15.0f, 0.0f, 0);
  if (game.gameMode != kModeVr && game.character != 2) return;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    MapObject& goal = pools.mapObjects[i];
    if (goal.active != 0 && goal.kind == 98) {
      goal.kind = 99;
      PlaySoundEffect(kSoundVrComplete);
    }
  }
}

void Spikes(const MapObject& o, int left, int top) {
  static constexpr int kZones[4][4] = {{0, 40, -20, 0}, {0, 40, 40, 60}, {40, 60, 5, 35}, {-20, 0, 5, 35}};
  const int* z = kZones[o.kind - 21];
  const bool playing = game.gameState == STATE_STAGE_PLAY || game.gameState == STATE_STAGE_PLAY_MODE;
  if (!playing || player.action >= kActionFreeLimit || player.invulnTimer != 0) return;
  if (Overlaps(player.x - 12, player.x + 12, player.y - 30, player.y + 40, left + z[0], left + z[1], top + z[2], top + z[3])) {
    DamagePlayer(200, 9);
  }
}

// Shutters rise 10 pixels a frame once started; at 120 they are open and no longer block.
void Shutter(MapObject& o, int left, int top, bool started, int height) {
  if (o.active == 1 && o.timers[0] == 0 && started) {
    const bool inside = Overlaps(player.x - 15, player.x + 15, player.y - 20, player.y + 39, left - 20, left + 60, top, top + height);
    if (inside) {
      o.timers[0] = 1;
      PlaySoundEffect(kSoundDoor);
    }
  }
  if (o.timers[0] == 0 || o.active != 1) return;
  o.stepCounter += 10;
  if (o.stepCounter >= 120) {
    o.stepCounter = 120;
    o.solid = 0;
    o.active = 2;
  }
}

int CrumbleFrame(int timer) {
  static constexpr int kDown[8] = {8, 16, 24, 32, 40, 48, 56, 64};
  static constexpr int kBack[8] = {198, 195, 192, 189, 186, 183, 180, 177};
  int frame = 0;
  if (timer > 72) {
    for (int i = 0; i < 8; ++i) frame = timer >= kBack[i] ? frame : i + 1;
    return timer >= kBack[0] ? 0 : frame;
  }
  for (int t : kDown) frame += timer >= t ? 1 : 0;
  return frame;
}

void Crumbling(MapObject& o, int slot) {
  const bool carried = player.standOn == slot || (player.hanging != 0 && player.ledgeObject == slot);
  int16_t& timer = o.timers[0];
  if (o.active == 1) {
    if (timer == 0 && carried) timer = 1;
    else if (timer > 0 && (o.kind == 59 || carried)) ++timer;
    if (timer >= 72) {
      o.active = o.kind == 59 ? 2 : 0;
      o.solid = o.kind == 59 ? o.solid : 0;
      if (player.hanging != 0 && player.ledgeObject == slot) player.hanging = 0;
    }
  } else if (o.active == 2) {
    if (++timer >= 200) {
      o.active = 1;
      timer = 0;
    }
  }
}

void Pitfall(MapObject& o, int slot) {
  int16_t& stood = o.timers[0];
  int16_t& open = o.timers[1];
  if (o.solid != 0) {
    stood = player.standOn == slot ? stood + 1 : 0;
    if (stood >= 60) {
      o.solid = 0;
      open = 1;
    }
    return;
  }
  if (++open >= 250 + 25) {
    o.solid = 1;
    stood = 0;
    open = 0;
  }
}

void Ladder(int slot, int left, int top) {
  if (player.action >= kActionFreeLimit) return;
  if (Overlaps(player.x - 20, player.x + 20, player.y - 40, player.y + 5, left - 20, left + 60, top - 5, top + 80)) {
    player.ladderContact = 1;
    player.ladderObject = static_cast<uint16_t>(slot);
  }
  if (player.x + 5 > left + 15 && player.x - 5 < left + 25 && player.y > top - 39 && player.y < top + 80) {
    player.ladderReach = 1;
  }
}

void Electric(int left, int top) {
  if (player.action >= kActionFreeLimit || player.action == kActionHit || player.invulnTimer != 0 || player.inHideSpot != 0) return;
  if (!Overlaps(player.x - 15, player.x + 15, player.y - 20, player.y + 39, left + 5, left + 35, top - 10, top)) return;
  DamagePlayer(20, 10);
  PlaySoundEffect(kSoundElectric);
  SpawnShot(kNoiseShot, player.x + game.scrollX, player.y - game.scrollY, 0, kNoiseRadius, 0.0f, 0);
}

void Vanishing(MapObject& o, int slot) {
  static constexpr int kPeriods[3] = {150, 250, 350};
  const int period = kPeriods[o.kind - 79];
  ++o.stepCounter;
  if (o.stepCounter == period / 2) {
    o.solid = 0;
    o.active = 2;
    if (player.hanging != 0 && player.ledgeObject == slot) player.hanging = 0;
  } else if (o.stepCounter >= period) {
    o.solid = 1;
    o.active = 1;
    o.stepCounter = 0;
  }
}

// The fire's cross: the cell widened by 10 pixels across or along.
bool InFireCross(const MapObject& o, int l, int r, int t, int b) {
  return Overlaps(l, r, t, b, o.x - 10, o.x + 50, o.y + 5, o.y + 35) || Overlaps(l, r, t, b, o.x + 5, o.x + 35, o.y - 10, o.y + 50);
}

// A bomb soldier caught in the spreading fire goes off. Free slots keep their old kind, and
// one already exploding is not started again.
void BurnBombSoldiers(const MapObject& o) {
  constexpr int kBombSoldier = 12;
  EnemyHitBox box{};
  if (!GetEnemyHitBox(kBombSoldier, &box)) return;
  for (Enemy& e : enemies) {
    if (e.kind != kBombSoldier || e.state != kEnemyActive) continue;
    if (!InFireCross(o, e.x + box.left, e.x + box.right, e.y + box.top, e.y + box.bottom)) continue;
    e.state = kEnemyDefeated;
    e.timer = 0;
  }
}

void Burning(MapObject& o, int slot) {
  int16_t& counter = o.timers[0];
  ++counter;
  if (counter < 35 && counter % 5 == 0) SpawnEffect(15, 0, o.x + GetRandom(39), o.y + GetRandom(39), 0, 0);
  if (counter == 25) {
    for (int i = 0; i < game.mapObjectCount; ++i) {
      MapObject& n = pools.mapObjects[i];
      if (i == slot || n.active != 1 || (n.kind != 89 && n.kind != 92)) continue;
      const int l = n.x + n.boxLeft, r = n.x + n.boxRight, t = n.y + n.boxTop, b = n.y + n.boxBottom;
      if (InFireCross(o, l, r, t, b)) n.active = 2;
    }
    BurnBombSoldiers(o);
  }
  if (counter >= 51) o.active = 0;
}

void Goal(const MapObject& o, int left, int top) {
  if (o.kind != 99 || player.action >= kActionFreeLimit || !PlayerOnGround() || game.alertCountdown != 0) return;
  if (!StandardTest(left + 20, top) || player.x - 10 >= left + 60 || player.x + 10 <= left + 20) return;
  player.action = kActionGoal;
  player.actionTimer = 0;
  player.walkCounter = 0;
  PlayBgm("bzx/cleare.ogg", 1);
}

void DrawDoor(const MapObject& o, int x, int y) {
  const int open = o.timers[0];
  DrawBox(x, y, x + kCell, y + 2 * kCell, GetColor(0, 0, 0), 1);
  DrawBox(x, y, x + kCell, y + 2 * kCell, GetColor(128, 128, 128), 0);
  const int half = 20 - open / 2;
  const int slot = chip_slot::kDoors;
  const int src = (o.kind - 1) * kCell;
  if (half > 0) {
    Chip(slot, src + open / 2, 0, half, 2 * kCell, x, y);
    Chip(slot, src + 20, 0, half, 2 * kCell, x + 20 + open / 2, y);
  }
}

void DrawObject(const MapObject& o, int x, int y) {
  const int kind = o.kind;
  if (kind >= 1 && kind <= 9) {
    DrawDoor(o, x, y);
  } else if (kind == 10 || kind == 11) {
    DrawKind(kind, x, y);
    const int overlays = GetRandom(3) + 1;
    for (int i = 0; i < overlays; ++i) {
      SetDrawBlendMode(kBlendAdd, 168);
      DrawKind(kind, x, y, 1);
    }
    SetDrawBlendMode(kBlendNone, 0);
  } else if (kind == 20) {
    if (o.active == 1) DrawKind(kind, x, y);
  } else if (kind == 38) {
    DrawKind(kind, x, y);
    const int lamp = o.timers[0];
    if (lamp <= 5) Chip(ChipFor(kind).slot, lamp <= 2 ? 0 : 22, 40, 22, 16, x + 49, y + 12);
  } else if (kind == 58 || (kind >= 66 && kind <= 74)) {
    const int shown = 80 - o.stepCounter * 2 / 3;
    const ChipCut c = ChipFor(kind);
    if (shown > 0) Chip(c.slot, (kind - c.firstKind) * c.width, 80 - shown, 40, shown, x, y);
  } else if (kind == 59 || kind == 60) {
    if (o.active == 0) return;
    const int timer = o.timers[0];
    if (kind == 59 && o.active == 1 && timer == 0 && (o.stepCounter / 10) % 2 == 1) return;
    DrawKind(kind, x, y, o.active == 2 && timer < 177 ? 8 : CrumbleFrame(timer));
  } else if (kind == 61 || kind == 62) {
    DrawKind(kind, x, y, o.solid != 0 ? 0 : (o.timers[1] < 250 ? 1 + o.timers[1] * 4 / 250 : 4));
  } else if (kind == 75 || kind == 76) {
    DrawKind(kind, x, y, (o.stepCounter % 25) / 5);
  } else if (kind == 77) {
    DrawKind(kind, x, y);
    const ChipCut c = ChipFor(kind);
    Chip(c.slot, kCell * (1 + GetRandom(2)), 0, kCell, 2 * kCell, x, y + c.offsetY);
  } else if (kind >= 79 && kind <= 81) {
    if (o.active == 1) DrawKind(kind, x, y);
  } else if (kind >= 83 && kind <= 85) {
    static constexpr int kSteps[7] = {4, 9, 14, 19, 24, 29, 34};
    int frame = 0;
    for (int s : kSteps) frame += o.stepCounter >= s ? 1 : 0;
    DrawKind(kind, x, y, frame);
  } else if (kind == 89 || kind == 92) {
    if (o.active == 2) {
      SetDrawBlendMode(kBlendAlpha, 255 - 5 * o.timers[0]);
      if (kind == 89) SetDrawBright(255, 168, 168);
    }
    DrawKind(kind, x, y);
    SetDrawBlendMode(kBlendNone, 0);
    if (kind == 89 && o.active == 2) SetDrawBright(255, 255, 255);
  } else if (kind >= 130 && kind <= 139) {
    DrawKind(kind, x, y, o.stepCounter / 8, kind % 2);
  } else if (kind >= 141 && kind <= 189) {
    // drawn by DrawItem
  } else {
    DrawKind(kind, x, y);
  }
}

void RunBehaviour(MapObject& o, int slot, int left, int top) {
  const int kind = o.kind;
  if (kind >= 1 && kind <= 9) {
    if (player.action < kActionDown && StandardTest(left, top)) player.touchingDoor = static_cast<int16_t>(kind);
    if (player.action == kActionDoorExit && player.touchingDoor == kind && o.timers[0] < 40) ++o.timers[0];
  } else if (kind == 10) {
    if (StandardTest(left, top)) player.panelReach = 1;
  } else if (kind == 11) {
    if (StandardTest(left, top)) player.terminalReach = 1;
  } else if (kind == 15 || kind == 16) {
    EventTrigger(kind, left, top);
  } else if (kind == 17 || kind == 18) {
    SceneTrigger(kind, left, top);
  } else if (kind == 19) {
    ScriptedTrigger(left, top);
  } else if (kind == 20) {
    if (o.active == 2) TargetHit(o);
  } else if (kind >= 21 && kind <= 24) {
    Spikes(o, left, top);
  } else if (kind == 38) {
    if (++o.timers[0] > 8) o.timers[0] = 0;
  } else if (kind == 58) {
    Shutter(o, left, top, game.missionRules[kShutterKeyRule] != 0, 100);
  } else if (kind >= 66 && kind <= 74) {
    Shutter(o, left, top, game.checkpoint[kind - 5] != 0, 80);
  } else if (kind == 59 || kind == 60) {
    ++o.stepCounter;
    Crumbling(o, slot);
  } else if (kind == 61 || kind == 62) {
    Pitfall(o, slot);
  } else if (kind == 64) {
    if (player.action < kActionFreeLimit && PlayerOnGround() && StandardTest(left, top)) player.hideSpotReach = 1;
  } else if (kind == 65) {
    Ladder(slot, left, top);
  } else if (kind == 75 || kind == 76) {
    ++o.stepCounter;
  } else if (kind == 77) {
    Electric(left, top);
  } else if (kind >= 79 && kind <= 81) {
    Vanishing(o, slot);
  } else if (kind >= 83 && kind <= 85) {
    if (o.stepCounter > 0 && ++o.stepCounter > 38) o.stepCounter = 0;
  } else if (kind == 89 || kind == 92) {
    if (o.active == 2) Burning(o, slot);
  } else if (kind == 98 || kind == 99) {
    Goal(o, left, top);
  } else if (kind >= 130 && kind <= 139) {
    if (++o.stepCounter >= 32) o.stepCounter = 0;
  }
}

}  // namespace

ScreenBox ObjectScreenBox(const MapObject& o) {
  const int x = o.x - game.scrollX;
  const int y = o.y + game.scrollY;
  return {x + o.boxLeft, x + o.boxRight, y + o.boxTop, y + o.boxBottom};
}

void ResetMapObjectPools() {
  for (MapObject& o : pools.mapObjects) o = MapObject{};
  for (MapObject& o : pools.decorObjects) o = MapObject{};
  game.mapObjectCount = 0;
}

void SpawnMapObject(int kind, int cellX, int cellY, int) {
  for (int i = 0; i < kMapObjectSlots; ++i) {
    MapObject& o = pools.mapObjects[i];
    if (o.active != 0) continue;
    o = MapObject{};
    const Box box = BoxForKind(kind);
    o.kind = kind;
    o.x = cellX * kCell;
    o.y = cellY * kCell;
    o.active = 1;
    o.solid = box.solid ? 1 : 0;
    o.boxLeft = box.left;
    o.boxTop = box.top;
    o.boxRight = box.right;
    o.boxBottom = box.bottom;
    if (kind == 38) o.timers[0] = static_cast<int16_t>(GetRandom(8));
    if (i >= game.mapObjectCount) game.mapObjectCount = i + 1;
    return;
  }
}

void SpawnDecorObject(int kind, int cellX, int cellY, int) {
  for (MapObject& o : pools.decorObjects) {
    if (o.active != 0) continue;
    o = MapObject{};
    o.kind = kind;
    o.x = cellX * kCell;
    o.y = cellY * kCell;
    o.active = 1;
    return;
  }
}

void UpdateMapObjects() {
  const bool goggles = player.selectedGadget == 3;
  if (goggles) SetDrawBright(32, 255, 32);
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (o.active >= 1) UpdateMapObject(game.gameState, o.kind, o.x, o.y, i, 0);
  }
  if (goggles) SetDrawBright(255, 255, 255);
}

void UpdateMapObject(int state, int kind, int x, int y, int slot, int) {
  if (state == kStateEditor) {
    MapObject preview;
    preview.kind = kind;
    preview.active = 1;
    preview.solid = 1;
    const int sx = x - game.scrollX * kCell, sy = y - game.scrollY * kCell;
    if (kind >= 141 && kind <= 189) {
      DrawItem(state, kind, sx, sy, slot, 0);
    } else {
      DrawObject(preview, sx, sy);
    }
    return;
  }
  MapObject& o = pools.mapObjects[slot];
  const int left = x - game.scrollX;
  const int top = y + game.scrollY;
  const bool frozen = game.paused != 0;
  if (kind >= 141 && kind <= 189) {
    DrawItem(state, kind, x, y, slot, 0);
    return;
  }
  const ChipCut cut = ChipFor(kind);
  const int w = kind >= 1 && kind <= 9 ? kCell : cut.width, h = kind >= 1 && kind <= 9 ? 2 * kCell : cut.height;
  if (OnScreen(left, top, w, h)) {
    if ((kind >= 30 && kind <= 34) || kind == 91 || kind == 99) {
      DrawKind(kind, left, top);
      const int alpha = kind == 91 ? 24 : (kind == 99 ? 16 : 20);
      if (kind != 91 || game.graphicsLevel == 0) DrawGlow(o, left, top, alpha, frozen);
    } else {
      DrawObject(o, left, top);
    }
  }
  if (!frozen) RunBehaviour(o, slot, left, top);
}

void DrawItem(int state, int kind, int x, int y, int slot, int) {
  const bool editor = state == kStateEditor;
  const int sx = editor ? x : x - game.scrollX;
  const int sy = editor ? y : y + game.scrollY;
  MapObject* o = editor ? nullptr : &pools.mapObjects[slot];
  if (OnScreen(sx, sy, kCell, kCell)) {
    SetDrawBlendMode(kBlendAlpha, 128);
    Chip(chip_slot::kLight, 0, 0, 80, 80, sx - 19, sy - 21);
    if (o == nullptr || o->timers[3] == 0) {
      SetDrawBlendMode(kBlendAdd, 128);
      Chip(chip_slot::kLight, 0, 0, 80, 80, sx - 19, sy - 21);
    }
    SetDrawBlendMode(kBlendNone, 0);
    int row = 0, column = 0;
    if (kind <= 152) { row = 0; column = kind - 141; }
    else if (kind <= 154) { row = 1; column = kind - 153; }
    else if (kind <= 160) { row = 2; column = kind - 155; }
    else if (kind <= 172) { row = 3; column = kind - 161; }
    else if (kind <= 174) { row = 4; column = kind - 173; }
    else if (kind <= 180) { row = 5; column = kind - 175; }
    else { row = 6; column = kind - 181; }
    Chip(graph_slot::kItemSheet, column * kCell, row * kCell, kCell, kCell, sx, sy);
  }
  if (o == nullptr || game.paused != 0 || state == kStateEditor) return;
  PickUpItem(kind, slot);
  o->timers[3] = o->timers[3] == 0 ? 1 : 0;
  if (++o->timers[0] >= 11) {
    o->timers[0] = 0;
    o->y += o->direction == 0 ? 1 : -1;
    if (++o->stepCounter >= 5) {
      o->stepCounter = 0;
      o->direction = o->direction == 0 ? 1 : 0;
    }
  }
}

namespace {

constexpr int kWeaponAmounts[13] = {3, 2, 3, 2, 3, 2, 2, 2, 3, 2, 2, 1, 2};
constexpr int kItemAmounts[4] = {3, 3, 3, 2};
// Codes whose amount is not given: one of each.
constexpr int kUnstatedAmount = 1;
constexpr uint16_t kCountCap = 99;

void AddCount(uint16_t& count, int amount) {
  const int now = count == kNotOwned ? amount : count + amount;
  count = static_cast<uint16_t>(now > kCountCap ? kCountCap : now);
}

}  // namespace

void PickUpItem(int kind, int slot) {
  if (game.character == 1 && kind == 187) return;
  MapObject& o = pools.mapObjects[slot];
  const int sx = o.x - game.scrollX, sy = o.y + game.scrollY;
  if (!Overlaps(player.bodyBox[0], player.bodyBox[1], player.bodyBox[2], player.bodyBox[3], sx + 6, sx + 33, sy + 10, sy + 40)) {
    return;
  }
  PlaySoundEffect(kSoundItem);
  if (kind >= 141 && kind <= 153) {
    AddCount(player.weapons[kind - 141], kWeaponAmounts[kind - 141]);
  } else if (kind == 154) {
    AddCount(player.weapons[13], kUnstatedAmount);
  } else if (kind >= 155 && kind <= 158) {
    AddCount(player.items[kind - 155], kItemAmounts[kind - 155]);
  } else if (kind == 159 || kind == 160) {
    AddCount(player.items[kind - 155], kUnstatedAmount);
  } else if (kind >= 161 && kind <= 174) {
    uint16_t& g = player.gadgets[kind - 160];
    g = g == kNotOwned ? 1 : static_cast<uint16_t>(g + 1);
    if (kind == 161) {
      if (g > 5) g = 5;
    } else if (game.character == 1 && kind == 167) {
      if (player.gadgets[1] != kNotOwned && player.gadgets[1] > 2) player.gadgets[1] = 2;
    } else if (g > 1) {
      g = 1;
    }
  } else if (kind == 175) {
    player.life = player.lifeMax;
    PlaySoundEffect(kSoundRation);
  } else if (kind == 176) {
    if (game.alertCountdown > 0) SpawnEffect(10, 0, o.x, o.y, 0, 0);
  } else if (kind == 177) {
    game.missionRules[kShutterKeyRule] = 1;
  } else if (kind >= 181 && kind <= 189) {
    ++game.checkpoint[kind - 120];
  }
  o.active = 0;
}

void UpdateDecorObjects() {
  for (int i = 0; i < kDecorSlots; ++i) {
    const MapObject& o = pools.decorObjects[i];
    if (o.active >= 1) DrawDecorObject(game.gameState, o.kind, o.x, o.y, i, 0);
  }
}

void LightProbe(int slot, int radius) {
  const MapObject& o = pools.decorObjects[slot];
  const int dx = o.x - game.scrollX - player.x;
  const int dy = o.y + game.scrollY - player.y;
  const int reach = radius + 30;
  if (dx * dx + dy * dy <= reach * reach) ++player.isLit;
}

void DrawDecorObject(int state, int kind, int x, int y, int slot, int) {
  const bool editor = state == kStateEditor;
  const int sx = editor ? x - game.scrollX * kCell : x - game.scrollX;
  const int sy = editor ? y - game.scrollY * kCell : y + game.scrollY;
  MapObject* o = editor ? nullptr : &pools.decorObjects[slot];
  const bool lamp = kind == kLampKind;
  const bool lit = o == nullptr || o->active == 1;
  const int light = chip_slot::kLight;
  if (lit) {
    if (o != nullptr) LightProbe(slot, lamp ? 140 : 50);
    const int margin = lamp ? 199 : 99;
    if (sx > -margin - 1 && sx < 800 + margin && sy > -margin - 1 && sy < 600 + margin) {
      if (lamp) Chip(chip_slot::kLamps, 0, 0, kCell, kCell, sx, sy);
      SetDrawBlendMode(kBlendAdd, GetRandom(8) == 0 ? (lamp ? 120 : 130) : 100);
      if (!lamp) SetDrawBright(196, 255, 196);
      if (lamp) {
        DrawRectGraphStretched(sx - 185, sy - 180, sx + 199, sy + 204, 0, 0, 80, 80, game.graphs[light], 1);
      } else {
        DrawRectGraphStretched(sx - 90, sy - 90, sx + 95, sy + 95, 0, 0, 80, 80, game.graphs[light], 1);
      }
      SetDrawBright(255, 255, 255);
      if (lamp) {
        SetDrawBlendMode(kBlendAdd, 128);
        Chip(chip_slot::kLampGlow, 0, 0, 59, 62, sx - 5, sy);
        if (GetRandom(5) == 0) {
          SetDrawBlendMode(kBlendAdd, 96);
          Chip(chip_slot::kLampGlow, 0, 0, 59, 62, sx - 5, sy);
        }
      }
      SetDrawBlendMode(kBlendNone, 0);
    }
    return;
  }
  // Shot out: the lamp keeps its cell, sparks fly until the repair timer brings it back.
  if (lamp) Chip(chip_slot::kLamps, 0, 0, kCell, kCell, sx, sy);
  if (game.paused != 0) return;
  int16_t& repair = o->timers[0];
  if (repair % 4 == 0 || repair % 6 == 0) {
    SetDrawBlendMode(kBlendAdd, 255);
    DrawRectGraph(sx - 30, sy - 20, 0, 0, 80, 80, game.graphs[3], 1, 0);
    SetDrawBlendMode(kBlendNone, 0);
  }
  if (repair % 10 == 0) SpawnEffect(12, 0, o->x + 18, o->y + 15, GetRandom(6) - 3, GetRandom(6) + 3);
  if (++repair >= 200) {
    repair = 0;
    o->active = 1;
  }
}
