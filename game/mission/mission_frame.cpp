#include "game/mission/mission_frame.h"

#include "game/editor/stage_editor.h"
#include "game/editor/vr_result.h"
#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/hud.h"
#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/mission/player_sprite.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/clear_result_panel.h"
#include "game/shell/game_data.h"
#include "game/shell/user_files.h"
#include "game/story/story_scene.h"
#include "runtime/api.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr int kBlendNone = 0, kBlendAlpha = 1, kBlendAdd = 2, kBlendSub = 3;
constexpr int kLayerSlot = 180;
constexpr int kLowGraphics = 2;
constexpr int kGoggles = 3, kRadar = 2;
constexpr int kFadeStep = 5, kFadeEnd = 250;
constexpr int kStartCameraOffset = 300;

// Save-record places written at a clear.
constexpr int kStageOpenBase = 71;
constexpr int kRoomVisitBase = 230;
constexpr int kBestTargetsBase = 300;
constexpr int kBriefingTargetArea = 498, kBriefingTargetNumber = 499;
constexpr int kPerMissionBytesFirst = 61, kPerMissionBytesLast = 66;
constexpr int kAreaOffsets[8] = {0, 5, 16, 25, 32, 38, 45, 53};
constexpr int kRoomOffsets[8] = {0, 5, 13, 20, 30, 36, 42, 47};
constexpr int kRoomCounts[8] = {5, 8, 7, 10, 6, 6, 5, 7};

// Story stages (area × 100 + sub-stage, both from 1) opened by clearing a mission in each
// room of the ship map.
constexpr int kRoomUnlocks[8][10][4] = {
    {{101, 102}, {102, 103}, {103, 104}, {104, 201}, {105, 103}},
    {{201, 202, 203, 204}, {204, 205}, {202, 206}, {205, 206, 207, 208}, {207, 209}, {209, 210}, {210, 301}, {211}},
    {{301, 302}, {302, 303}, {303, 304}, {305, 306, 307, 304}, {306, 308}, {304, 401}, {307, 309}},
    {{401, 402}, {402, 403}, {401, 404}, {404, 405}, {405, 406}, {403, 501}, {406, 407}, {404, 407}, {402, 601}, {402, 701}},
    {{501, 503}, {503, 505}, {502, 504}, {504, 505}, {505, 506}, {105, 506}},
    {{601, 602}, {601, 603, 604}, {603, 606}, {604, 605}, {604, 607}, {208, 607}},
    {{701, 702, 703, 704}, {704, 705, 706}, {707}, {801}, {708}},
    {{802}, {803}, {804}, {805}, {806}, {807}, {808}},
};

int L(int n) { return game.graphs[kLayerSlot + n]; }

void Layer(int n, int x, int y, bool keyed, int w = kW, int h = kH, int sx = 0, int sy = 0, int mirror = 0) {
  DrawRectGraph(x, y, sx, sy, w, h, L(n), keyed ? 1 : 0, mirror);
}
void Pair(int n, int x, int y, bool keyed) {
  Layer(n, x, y, keyed);
  Layer(n, x + kW, y, keyed);
}
void Quad(int n, int x, int y, bool keyed) {
  Pair(n, x, y, keyed);
  Pair(n, x, y + kH, keyed);
}
// Two plain copies, then two mirrored beside them.
void MirroredColumns(int n, int x, int y) {
  Layer(n, x, y, true);
  Layer(n, x, y + kH, true);
  Layer(n, x + kW, y, true, kW, kH, 0, 0, 1);
  Layer(n, x + kW, y + kH, true, kW, kH, 0, 0, 1);
}

void DrawSky() {
  Layer(0, game.skyLayerX[0], 0, false);
  Layer(0, game.skyLayerX[1], 0, false);
  Layer(2, 0, 0, true);
  Layer(1, 20, 0, true);
  if (game.paused != 0) return;
  if (game.skyLayerTick == 0) {
    for (int32_t& x : game.skyLayerX) {
      --x;
      if (x <= -kW) x = kW;
    }
    game.skyLayerTick = 1;
  } else {
    game.skyLayerTick = 0;
  }
}

void RecordClear() {
  uint8_t* c = game.checkpoint;
  const int area = game.area < 8 ? game.area : 7;
  uint8_t& best = c[kBestTargetsBase + kAreaOffsets[area] + game.subStage];
  const uint8_t destroyed = static_cast<uint8_t>(game.stageTargetsDestroyed & 0xFF);
  if (destroyed > best) best = destroyed;
  if (game.mapArea < 8 && game.mapRoom < kRoomCounts[game.mapArea]) {
    for (int code : kRoomUnlocks[game.mapArea][game.mapRoom]) {
      if (code == 0) continue;
      const int a = code / 100 - 1, s = code % 100 - 1;
      c[kStageOpenBase + kAreaOffsets[a] + s] = 1;
    }
    c[kRoomVisitBase + kRoomOffsets[game.mapArea] + game.mapRoom] = 1;
  }
}

void StageClearFade() {
  SetDrawBlendMode(kBlendAlpha, game.stageFade);
  DrawBox(0, 0, kW, kH, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
  game.stageFade += kFadeStep;
  if (game.stageFade < kFadeEnd) return;
  if (game.character == 2) {
    StoreCheckpoint();
    game.gameState = STATE_MISSION_BRIEFING;
  } else {
    // The door left by is the node the map shows the player at.
    game.mapArea = game.nextArea;
    game.mapRoom = game.nextSubStage;
    RecordClear();
    StoreCheckpoint();
    game.briefing.Create();
    game.gameState = STATE_BRIEFING_MAP;
  }
  ResetStageState();
  game.screenEntered = 0;
  game.stageFade = 0;
}

}  // namespace

void PlaceCameraAtStart() {
  if (game.stageFlags[0] == 2 || game.stageFlags[0] == 3) game.scrollX = player.x - kStartCameraOffset;
  if (game.stageFlags[1] == 2 || game.stageFlags[1] == 3) game.scrollY = kStartCameraOffset - player.y;
  player.x -= game.scrollX;
  player.y += game.scrollY;
  game.stageEventTriggered = 0;
  ClampScrollX();
  ClampScrollY();
}

void EnterStagePlay() {
  game.screenEntered = 1;
  player.fireHeld = 1;
  game.briefing.Delete();
  game.editor.Delete();
  game.vrMenu.Delete();
  LoadScreenGraphics();
  game.clockHours = game.clockMinutes = game.clockSeconds = game.clockHundredths = 0;
  game.clockFrames = 0;
  game.clockBlink = 0;
  game.stageTargetsDestroyed = 0;
  LoadMapChips();
  game.vrHitsTaken = 0;
  game.vrDiscoveries = 0;
  PlaceCameraAtStart();

  if (game.openingScenePending != 0) {
    if (game.character <= 1) game.storyScene.Create(game.character == 0 ? 11 : 12);
    if (game.character <= 1) {
      game.scrollX = 0;
      game.scrollY = 0;
      player.x = 200;
      player.y = 0;
    }
    game.saveRecord[kBriefingTargetArea] = game.checkpoint[kBriefingTargetArea] = 1;
    game.saveRecord[kBriefingTargetNumber] = game.checkpoint[kBriefingTargetNumber] = 0;
  } else {
    PlayStageBgm();
  }

  const int a = game.area + 1, s = game.subStage, m = game.missionNumber;
  const bool firstTwo = game.character <= 1;
  if ((firstTwo && (a == 1 || (a == 8 && s == 5))) || (game.character == 2 && ((m >= 1 && m <= 3) || m == 24))) {
    game.skyLayerX[0] = 0;
    game.skyLayerX[1] = kW;
    game.skyLayerTick = 0;
  }
  if (game.character == 2 && game.gameMode == kModeThirdStory) {
    player.action = player_action::kStartPose;
    for (int i = kPerMissionBytesFirst; i <= kPerMissionBytesLast; ++i) game.checkpoint[i] = 0;
  }
}

void DrawBackgroundLayers() {
  const int sx = game.scrollX, sy = game.scrollY;
  const bool third = game.character == 2;
  const int a = game.area + 1, s = game.subStage, m = game.missionNumber;
  if (game.gameMode == kModeVr) {
    Pair(0, -sx / 5, 0, false);
  } else if (third ? m <= 3 : a == 1) {
    DrawSky();
  } else if (third ? m <= 6 : (a == 2 && s != 10)) {
    Pair(0, -sx / 5, 0, false);
    MirroredColumns(1, -sx / 2, sy / 2);
  } else if (third ? m <= 9 : a == 3) {
    if (third ? m == 7 : (s == 1 || s == 2)) {
      Pair(0, -sx / 5, 0, false);
      Layer(1, -sx / 5 + 100, 241, true, 256, 256);
      Layer(2, -sx / 5 + 100, 405, true, 256, 256);
    } else {
      Pair(0, -sx / 5, -240, false);
      Layer(1, -sx / 5 + 100, 1, true, 256, 256);
      Layer(2, -sx / 5 + 100, 165, true, 256, 256);
      MirroredColumns(3, -sx / 2, sy / 2);
    }
  } else if (third ? m <= 12 : a == 4) {
    if (third ? m == 10 : s <= 1) {
      Layer(0, 0, 0, false);
      Layer(0, 0, sy / 4 + kH, false);
      Layer(1, sx, sy / 2, true);
      Layer(1, sx, sy / 2 + 573, true);
    } else {
      Pair(2, -sx / 5, 0, false);
      Pair(3, -sx / 3, 0, true);
    }
  } else if (third ? m <= 15 : a == 5) {
    Layer(2, 0, 0, false);
    Quad(0, -sx / 5, sy / 4, true);
    Pair(1, -sx / 3, 0, true);
  } else if (third ? (m >= 22 && m <= 24) : a == 8) {
    if (third ? m == 24 : s == 5) {
      DrawSky();
      if (third) {
        Layer(3, 1600 - sx, sy + 430, true, 442, 177, 0, 0);
        Layer(3, 1480 - sx, sy + 420, true, 512, 31, 0, 184);
        Layer(3, 1960 - sx, sy + 460, true, 90, 90, 300, 424);
        Layer(3, 1960 - sx, sy + 460, true, 90, 90, 400, 424);
      }
    } else {
      Pair(0, -sx / 5, 0, false);
      Pair(3, -sx / 4, sy / 5, true);
      Quad(1, -sx / 3, sy / 5, true);
      Quad(2, -sx / 2, sy / 4, true);
    }
  } else {
    Pair(0, -sx / 5, 0, false);
  }
}

void UpdateStagePlay(int pad) {
  if (game.screenEntered == 0) EnterStagePlay();
  DrawBackgroundLayers();

  UpdatePlayer(pad);
  player.touchingDoor = 0;
  player.hideSpotReach = 0;
  player.objectContact = kNoObject;
  UpdateMapObjects();
  UpdateEnemies();
  UpdateDebris();

  player.isLit = 0;
  UpdateDecorObjects();
  if (game.stageFlags[2] != 0) player.isLit = 1;
  if (game.stageFlags[2] == 0 && game.graphicsLevel != kLowGraphics) {
    SetDrawBlendMode(kBlendSub, 128);
    DrawBox(0, 0, kW, kH, GetColor(80, 80, 80), 1);
    SetDrawBlendMode(kBlendNone, 0);
  }

  const bool goggles = player.selectedGadget == kGoggles;
  if (goggles) SetDrawBright(32, 255, 32);
  DrawPlayer();
  if (goggles) SetDrawBright(255, 255, 255);

  UpdateShots();
  UpdateEffects();
  DrawStageOverlay();
  if (goggles) {
    SetDrawBlendMode(kBlendAdd, 64);
    DrawBox(0, 0, kW, kH, GetColor(128, 255, 128), 1);
    SetDrawBlendMode(kBlendNone, 0);
    if (GetRandom(4) == 0) {
      SetDrawBlendMode(kBlendAdd, 8);
      DrawBox(0, 0, kW, kH, GetColor(128, 255, 128), 1);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
  DrawWeaponPanel();
  DrawGadgetPanel();
  DrawLifeBar();
  if (player.selectedGadget == kRadar) DrawRadar();
  UpdateAlertGauge();

  if (player.action == player_action::kDoorExit) StageClearFade();
  const int a = player.action;
  if (a == 52 || a == 54 || a == 55 || a == 56) {
    if (game.gameMode == kModeVr) UpdateVrClearResult();
    else if (game.gameMode != kModeStory) UpdateClearResultPanel();
  }
  if (game.paused != 0) {
    SetDrawBlendMode(kBlendAlpha, 128);
    DrawBox(0, 0, kW, kH, GetColor(0, 0, 0), 1);
    SetDrawBlendMode(kBlendNone, 0);
    UpdatePauseMenu(pad);
  }
}
