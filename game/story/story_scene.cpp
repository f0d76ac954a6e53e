#include "game/story/story_scene.h"

#include <cstdio>

#include "game/mission/effects.h"
#include "game/mission/hud.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/game_log.h"
#include "game/shell/user_files.h"
#include "game/story/event_script.h"
#include "runtime/api.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr int kFadeDone = 250;
constexpr int kLoadingPictureSlot = 129;
constexpr int kPlayerSheetSlot = 100;
constexpr int kHangSheetSlot = 102;
constexpr int kHelicopterPose = 24, kLandedPose = 25;
constexpr int kStepSound = 12, kBlastSound = 27;
constexpr int kBlastShot = 31;
constexpr int kCheckpointBarrierCount = 68;

struct SceneFiles {
  int scene;
  const char* graphs[6];
  const char* sounds[2];
};

// Scene 0's second picture depends on the character and is added by LoadResources.
constexpr SceneFiles kSceneFiles[] = {
    {0, {"evx/staff.png"}, {}},
    {2, {"evx/oruha_o.png", "evx/oruha_o2.png", "evx/tevani_o.png", "evx/zinzya.png", "evx/cha.png"}, {"evx/coin.wav"}},
    {3, {"evx/graider.png", "gsx/back03.png", "evx/moon.png"}, {"evx/wind.wav"}},
    {4, {"evx/heri.png", "gsx/back03.png"}, {"evx/heli.ogg", "evx/wind.wav"}},
    {5,
     {"evx/oruha_o.png", "evx/oruha_o2.png", "evx/tevani_o.png", "evx/zinzya.png", "evx/cha.png", "evx/meliko_o.png"},
     {}},
    {8, {"gsx/oruha1.png"}, {}},
    {10, {"gsx/oruha1.png"}, {}},
    {11, {}, {"evx/step.mp3"}},
    {12, {}, {"evx/step.mp3"}},
    {15,
     {"evx/heri.png", "evx/skima1.png", "evx/skima2.png", "evx/skima3.png", "evx/skima4.png", "evx/skima_sola.png"},
     {"evx/heli.ogg"}},
    {16, {"evx/heri.png"}, {"evx/heli.ogg"}},
    {101,
     {"evx/suvel_o.png", "evx/dunami_o.png", "evx/brastel2.png", "evx/pc.png", "gsx/tr_all.png"},
     {"evx/door.wav", "evx/pc_in.wav"}},
    {140,
     {"evx/suvel_o.png", "evx/dunami_o.png", "evx/pirel_o.png", "evx/brastel2.png", "evx/pc.png",
      "patch/enemy_mad2.png"},
     {"evx/door.wav"}},
};

constexpr int kStandStillTalks[3] = {41, 42, 43};

constexpr int kKnownScenes[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 101, 110, 140};

void BlackBox() { DrawBox(0, 0, kW, kH, GetColor(0, 0, 0), 1); }

void BlackBoxAlpha(int alpha) {
  SetDrawBlendMode(1, alpha);
  BlackBox();
  SetDrawBlendMode(0, 0);
}

void SwitchOffKinds(int a, int b) {
  for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
    MapObject& o = pools.mapObjects[i];
    if (o.kind == a || o.kind == b) o.active = 0;
  }
}

}  // namespace

int IsKnownStoryScene(int scene) {
  for (int s : kKnownScenes) {
    if (s == scene) return 1;
  }
  return 0;
}

int StandStillTalkScript(int character) { return kStandStillTalks[character >= 0 && character < 3 ? character : 0]; }

std::vector<const char*> StorySceneFilePaths() {
  std::vector<const char*> paths = {"evx/staff_oruha.png", "evx/staff_tevani.png", "evx/staff_suvel.png",
                                    "evx/staff_time.png",  "evx/openning.ogg",     "bzx/wind.ogg",
                                    "bzx/staff.ogg",       "bzx/end.ogg",          "bzx/event.ogg"};
  for (const SceneFiles& f : kSceneFiles) {
    for (const char* g : f.graphs) {
      if (g != nullptr) paths.push_back(g);
    }
    for (const char* s : f.sounds) {
      if (s != nullptr) paths.push_back(s);
    }
  }
  return paths;
}

void DeleteStoryScene() { game.storyScene.Delete(); }

StoryScene::StoryScene(int32_t scene) : scene_(scene) { LoadResources(); }

StoryScene::~StoryScene() {
  for (int32_t& g : graphs_) {
    if (g > 0) DeleteGraph(g);
    g = 0;
  }
  for (int32_t& s : sounds_) {
    if (s > 0) DeleteSound(s, 0);
    s = 0;
  }
}

void StoryScene::LoadResources() {
  game.newGameSetup.Delete();
  LoadScreenGraphics();
  for (const SceneFiles& f : kSceneFiles) {
    if (f.scene != scene_) continue;
    for (int i = 0; i < 6 && f.graphs[i] != nullptr; ++i) graphs_[i] = LoadGraph(f.graphs[i], 0);
    for (int i = 0; i < 2 && f.sounds[i] != nullptr; ++i) sounds_[i] = LoadSound(f.sounds[i], 3, -1);
  }
  if (scene_ == 0) {
    static constexpr const char* kStaff[3] = {"evx/staff_oruha.png", "evx/staff_tevani.png", "evx/staff_suvel.png"};
    graphs_[1] = LoadGraph(kStaff[game.character < 3 ? game.character : 0], 0);
    graphs_[2] = LoadGraph("evx/staff_time.png", 0);
  }
  if (scene_ == 4 || scene_ == 15 || scene_ == 16) volume_ = 0;
}

void StoryScene::NextStep() {
  ++step_;
  timer_ = 0;
}

void StoryScene::SetPortrait(int16_t who, uint16_t face) {
  if (game.character == 2) who = static_cast<int16_t>(who - 2);
  dotFaces_[who == 0 ? 0 : who == 1 ? 1 : 2] = face;
}

void StoryScene::DrawHelicopter() {
  const int g = graphs_[0], x = helicopter_[0], y = helicopter_[1];
  DrawRectGraph(x, y, 0, 0, 442, 177, g, 1, 0);
  SetDrawBlendMode(1, rotor_ % 2 == 1 ? 255 : 214);
  DrawRectGraph(x - 120, y + 10, 0, 289, 512, 31, g, 1, 0);
  SetDrawBlendMode(0, 0);
  DrawRectGraph(x - 120, y + 10, 0, rotor_ <= 2 ? 184 : rotor_ <= 5 ? 219 : 254, 512, 31, g, 1, 0);
  if (++rotor_ > 9) rotor_ = 0;
  SetDrawBlendMode(1, tailRotor_ % 2 == 1 ? 96 : 148);
  DrawRectGraph(x + 360, y + 30, 0, 424, 90, 90, g, 1, 0);
  SetDrawBlendMode(0, 0);
  DrawRectGraph(x + 360, y + 30, tailRotor_ <= 1 ? 100 : tailRotor_ <= 3 ? 200 : tailRotor_ <= 5 ? 300 : 400, 424,
                90, 90, g, 1, 0);
  if (++tailRotor_ > 8) tailRotor_ = 0;
}

// ---- Common steps ----

bool StoryScene::FadeIn(int k) {
  BlackBoxAlpha(255 - fade_);
  fade_ += k;
  if (fade_ < kFadeDone) return false;
  NextStep();
  return true;
}

bool StoryScene::FadeOut(int k) {
  BlackBoxAlpha(fade_ > 255 ? 255 : fade_);
  fade_ += k;
  return fade_ >= kFadeDone;
}

bool StoryScene::Wait(int n) {
  if (++timer_ < n) return false;
  NextStep();
  return true;
}

void StoryScene::Script(int n) {
  game.eventPlayer.Create(n, kEndModeStoryScene);
  NextStep();
}

void StoryScene::TalkAfter(int frames, int n) {
  if (Wait(frames)) game.eventPlayer.Create(n, kEndModeStoryScene);
}

void StoryScene::Land() {
  if (player.airborne != 0) return;
  PlaySoundHandle(sounds_[0], 1, 1);
  player.action = kLandedPose;
  player.actionTimer = 0;
  NextStep();
}

void StoryScene::Hold() {
  // A talk scene that could not be created would hold the scene for good.
  if (!game.eventPlayer) NextStep();
}

bool StoryScene::Dip() {
  BlackBoxAlpha(fadeB_ > 255 ? 255 : fadeB_);
  fadeB_ += 30;
  return fadeB_ >= 256;
}

bool StoryScene::DipBack() {
  BlackBoxAlpha(fadeB_ > 255 ? 255 : fadeB_ < 0 ? 0 : fadeB_);
  fadeB_ -= 30;
  if (fadeB_ >= 0) return false;
  NextStep();
  return true;
}

bool StoryScene::Release() {
  DeleteStoryScene();
  PlayStageBgm();
  player.locked = 0;
  player.fireHeld = 1;  // the confirm that closed the last talk is no shot
  game.openingScenePending = 0;
  return true;
}

bool StoryScene::HandOver(int nextScene) {
  game.screenEntered = 0;
  StopMusic();
  BlackBox();
  DrawGraph(520, 420, game.graphs[kLoadingPictureSlot], 1);
  DeleteStoryScene();
  if (nextScene >= 0) {
    game.storyScene.Create(nextScene);
  } else {
    game.gameState = STATE_STAGE_LOAD;
    game.openingScenePending = 1;
  }
  return true;
}

bool StoryScene::FinishEnding() {
  ++timer_;
  BlackBoxAlpha(2 * timer_ > 255 ? 255 : 2 * timer_);
  if (timer_ < 128) return false;
  StopMusic();
  game.gameState = STATE_ENDING_START;
  game.screenEntered = 0;
  DeleteStoryScene();
  return true;
}

void StoryScene::Letterbox() {
  DrawBox(0, 0, kW, 100, GetColor(0, 0, 0), 1);
  DrawBox(0, 500, kW, kH, GetColor(0, 0, 0), 1);
}

void StoryScene::DrawDot(int sheet, int kind, int face, int x, int y, int mirror, int b, int period, int blinkStart) {
  // Open, half and closed cells per face; kind 0 the first character's sheet, 1 the
  // second's, 2 a sheet with one row of three cells per face.
  static constexpr int kOruha[3][6] = {{0, 0, 150, 0, 300, 0}, {450, 0, 600, 0, 0, 250}, {150, 250, 300, 250, 450, 250}};
  static constexpr int kTevani[6][6] = {{450, 0, 600, 0, 750, 0},       {0, 0, 150, 0, 300, 0},
                                        {0, 250, 150, 250, 300, 250},   {450, 250, 600, 250, 750, 250},
                                        {0, 500, 150, 500, 300, 500},   {450, 500, 600, 500, 750, 500}};
  int cells[6];
  if (kind == 0) {
    if (face > 2) return;
    for (int i = 0; i < 6; ++i) cells[i] = kOruha[face][i];
  } else if (kind == 1) {
    if (face > 5) return;
    for (int i = 0; i < 6; ++i) cells[i] = kTevani[face][i];
  } else {
    const int row[6] = {0, 250 * face, 150, 250 * face, 300, 250 * face};
    for (int i = 0; i < 6; ++i) cells[i] = row[i];
  }
  int& c = blink_[b];
  int which = 0;
  if (c >= blinkStart) which = c < blinkStart + 5 ? 1 : c < blinkStart + 10 ? 2 : 1;
  if (++c > period) c = 0;
  DrawRectGraph(x, y, cells[2 * which], cells[2 * which + 1], 150, 250, sheet, 1, mirror);
}

void StoryScene::DrawWalker(int sheet, int x, int y) {
  static constexpr int kCells[8][2] = {{0, 250}, {150, 250}, {300, 250}, {450, 250},
                                       {600, 250}, {0, 500}, {150, 500}, {300, 500}};
  const int i = fadeB_ / 6 > 7 ? 7 : fadeB_ / 6;
  DrawRectGraph(x, y, kCells[i][0], kCells[i][1], 150, 250, sheet, 1, 0);
  if (++fadeB_ > 48) fadeB_ = 0;
}

void StoryScene::WindStreaks() {
  for (int kind = 7; kind <= 9; ++kind) {
    if (GetRandom(10) == kind - 7) {
      SpawnEffect(kind, 0, 1200, GetRandom(580), GetRandom(20) + 10, GetRandom(127) + 128);
      break;
    }
  }
  UpdateEffects();
}

void StoryScene::DrawFallingFigure(int mirror) {
  static constexpr int kX[4] = {480, 600, 720, 600};
  const int band = fadeB_ / 10 > 3 ? 3 : fadeB_ / 10;
  DrawRectGraph(sprite2_[0], sprite2_[1], kX[band], 324, 120, 108, game.graphs[kPlayerSheetSlot], 1, mirror);
}

void StoryScene::DrawDoorFigure() {
  static constexpr int kX[4] = {0, 120, 240, 120};
  const int band = fadeB_ <= 2 ? 0 : fadeB_ <= 5 ? 1 : fadeB_ <= 8 ? 2 : 3;
  DrawRectGraph(helicopter_[0] + 65, helicopter_[1] + 45, kX[band], 0, 120, 108, game.graphs[kPlayerSheetSlot], 1, 1);
}

void StoryScene::DrawFirstCharacterStanding(int x, int y, int mirror) {
  static constexpr int kX[4] = {0, 120, 240, 120};
  const int band = counters_[0] / 10 > 3 ? 3 : counters_[0] / 10;
  DrawRectGraph(x - 60, y - 54, kX[band], 0, 120, 108, graphs_[0], 1, mirror);
  if (++counters_[0] > 40) counters_[0] = 0;
}

void StoryScene::DrawScreenFlicker(int sheet) {
  DrawRectGraph(502, 200, 0, 0, 47, 46, sheet, 1, 0);
  if (GetRandom(10) < 4) {
    SetDrawBlendMode(2, 128);
    DrawRectGraph(502, 200, 50, 0, 65, 70, sheet, 1, 0);
    SetDrawBlendMode(0, 0);
  }
  if (GetRandom(10) > 8) {
    SetDrawBlendMode(2, 64);
    DrawRectGraph(502, 200, 50, 0, 65, 70, sheet, 1, 0);
    SetDrawBlendMode(0, 0);
  }
}

// ---- Frame ----

void StoryScene::Update(int) {
  if (!IsKnownStoryScene(scene_)) {
    // A scene without steps would never end and hold its caller: it ends at once. On the
    // campaign's scene-only state the stage loader takes over, inside a mission play goes on.
    char what[48];
    std::snprintf(what, sizeof what, "story scene %d has no steps; it ends at once", scene_);
    ReportFileNote("story", what);
    const bool campaign = game.gameState == STATE_EVENT_ONLY;
    if (campaign) {
      HandOver(-1);
    } else {
      Release();
    }
    return;
  }
  if ((scene_ >= 7 && scene_ <= 16) || scene_ == 110 || scene_ == 140) {
    if (entering_ != 0) player.locked = 1;
  }
  switch (scene_) {
    case 0: RunStaffRoll(); return;
    case 1: RunScene1(); return;
    case 2:
    case 5: RunShrine(); return;
    case 3: RunGlider(); return;
    case 4: RunHelicopterDrop(); return;
    case 15: RunPickUpEnding(); return;
    case 16: RunOtherSideEnding(); return;
    case 101: RunShop(); return;
    case 140: RunShopEnding(); return;
    default: RunInMission(); return;
  }
}

bool StoryScene::RunStaffRoll() {
  if (entering_ != 0) {
    entering_ = 0;
    step_ = 0;
    page_ = 0;
    fade_ = fadeB_ = 0;
    stripY_ = 0;
    game.saveRecord[1] = 1;
    char path[32];
    std::snprintf(path, sizeof path, "data/save%d.dat", game.saveSlot);
    WriteSaveRecord(path, 1);
    PlayBgm("bzx/staff.ogg", 3);
  }
  if (step_ < 7) {
    const int p = page_;
    SetDrawBlendMode(1, fadeB_);
    if (p == 0) {
      DrawRectGraph(400, stripY_ + 250, 0, 0, 400, 200, graphs_[0], 1, 0);
    } else {
      DrawRectGraph(400, stripY_ + 300, 0, 100 * p, 400, 100, graphs_[0], 1, 0);
    }
    SetDrawBlendMode(1, fade_);
    DrawRectGraph(100, 100, 280 * (p % 3), 200 * (p / 3), 280, 200, graphs_[1], 1, 0);
    if (game.character == 2) {
      if (p >= 2 && p <= 6) {
        DrawRectGraph(45, 314, 0, 135 * (p - 2), 400, 135, graphs_[2], 1, 0);
      } else if (p == 7 || p == 8 || p == 10 || p == 11) {
        DrawRectGraph(45, 314, 400, 135 * (p - 7), 400, 135, graphs_[2], 1, 0);
      } else if (p == 9) {
        DrawRectGraph(45, 314, 400, 270, 400, 100, graphs_[2], 1, 0);
        DrawRectGraph(45, 444, 400, 135, 400, 37, graphs_[2], 1, 0);
        DrawRectGraph(45, 477, 400, 367, 400, 37, graphs_[2], 1, 0);
      }
    }
    SetDrawBlendMode(0, 0);
  }
  switch (step_) {
    case 0: Wait(51); break;
    case 1:
      fade_ += 5;
      if (fade_ >= 251) {
        fade_ = 255;
        NextStep();
      }
      break;
    case 2:
      fadeB_ += 5;
      --stripY_;
      if (fadeB_ >= 251) {
        fadeB_ = 255;
        NextStep();
      }
      break;
    case 3: Wait(201); break;
    case 4:
      fadeB_ -= 5;
      --stripY_;
      if (fadeB_ < 5) {
        fadeB_ = 0;
        NextStep();
      }
      break;
    case 5:
      fade_ -= 5;
      if (fade_ < 5) {
        fade_ = 0;
        NextStep();
      }
      break;
    case 6:
      if (page_ < 11) {
        stripY_ = 0;
        fadeB_ = 0;
        page_ = static_cast<int16_t>(page_ == 0 ? 2 : page_ + 1);
        step_ = 0;
        timer_ = 0;
      } else {
        volume_ = 255;
        NextStep();
      }
      break;
    default:
      volume_ -= 2;
      SetMusicVolume(volume_);
      if (volume_ < 2) {
        StopMusic();
        game.gameState = STATE_UNLOCK_NOTICE;
        game.screenEntered = 0;
        DeleteStoryScene();
        return true;
      }
      break;
  }
  return false;
}

bool StoryScene::RunScene1() {
  entering_ = 0;
  switch (step_) {
    case 0: FadeIn(5); break;
    case 1: Wait(51); break;
    case 2: Script(1); break;
    case 3: Hold(); break;
    default:
      if (FadeOut(5)) {
        game.openingScenePending = 1;
        return HandOver(2);
      }
      break;
  }
  return false;
}

// Scenes 2 and 5: the shrine, the first character at sprite 1 and the second at sprite 2.
bool StoryScene::RunShrine() {
  const bool second = scene_ == 5;
  if (entering_ != 0) {
    entering_ = 0;
    sprite1_[0] = 260;
    sprite1_[1] = 210;
    sprite2_[0] = 420;
    sprite2_[1] = 260;
  }
  // The steps at which the first character stands still, walks off, and (scene 5) the
  // supporting character appears.
  const int stillStep = second ? 5 : 11, walkStep = second ? 6 : 12;
  DrawGraph(0, 50, graphs_[3], 0);
  DrawGraph(400, 350, graphs_[4], 1);
  if (step_ < stillStep) {
    DrawDot(graphs_[0], 0, dotFaces_[0], sprite1_[0], sprite1_[1], 0, 0, 215, 200);
  } else if (step_ == stillStep) {
    DrawRectGraph(sprite1_[0], sprite1_[1], 0, 0, 150, 250, graphs_[1], 1, 0);
  } else if (step_ == walkStep) {
    DrawWalker(graphs_[1], sprite1_[0], sprite1_[1]);
  }
  DrawDot(graphs_[2], 1, dotFaces_[1], sprite2_[0], sprite2_[1], 0, 1, 235, 220);
  if (second && step_ >= 9) {
    static constexpr int kCells[3][2] = {{0, 0}, {250, 0}, {0, 250}};
    const int i = counters_[1] <= 7 ? 0 : counters_[1] <= 15 ? 1 : 2;
    if (step_ == 9) SetDrawBlendMode(1, blink_[3] > 255 ? 255 : blink_[3]);
    DrawRectGraph(100, 280, kCells[i][0], kCells[i][1], 250, 250, graphs_[5], 1, 0);
    SetDrawBlendMode(0, 0);
    if (++counters_[1] > 24) counters_[1] = 0;
  }
  Letterbox();

  if (!second) {
    switch (step_) {
      case 0:
        if (FadeIn(5)) PlayBgm("evx/openning.ogg", 3);
        break;
      case 1: Wait(51); break;
      case 2: Script(2); break;
      case 3: Hold(); break;
      case 4:
        if (FadeOut(20)) NextStep();
        break;
      case 5:
        BlackBox();
        if (++timer_ == 40) PlaySoundHandle(sounds_[0], 1, 1);
        if (timer_ >= 101) {
          fade_ = 0;
          NextStep();
        }
        break;
      case 6: FadeIn(20); break;
      case 7: Wait(51); break;
      case 8: Script(7); break;
      case 9: Hold(); break;
      case 10:
        if (Wait(31)) sprite1_[1] = 140;
        break;
      case 11:
        if (Wait(51)) fadeB_ = 0;
        break;
      case 12:
        sprite1_[0] -= 3;
        if (sprite1_[0] < -250) NextStep();
        break;
      case 13: Script(8); break;
      case 14: Hold(); break;
      default:
        if (FadeOut(5)) return HandOver(3);
        break;
    }
    return false;
  }
  switch (step_) {
    case 0:
      if (FadeIn(5)) PlayBgm("evx/openning.ogg", 3);
      break;
    case 1: Wait(51); break;
    case 2: Script(7); break;
    case 3:
      fade_ = 0;
      Hold();
      break;
    case 4:
      if (Wait(51)) sprite1_[1] = 140;
      break;
    case 5:
      if (Wait(51)) fadeB_ = 0;
      break;
    case 6:
      sprite1_[0] -= 3;
      if (sprite1_[0] < -250) NextStep();
      break;
    case 7: Script(8); break;
    case 8:
      fade_ = fadeB_ = blink_[3] = 0;
      Hold();
      break;
    case 9:
      blink_[3] += 10;
      if (blink_[3] >= 251) NextStep();
      break;
    case 10: Script(4); break;
    case 11: Hold(); break;
    default:
      if (FadeOut(5)) return HandOver(4);
      break;
  }
  return false;
}

bool StoryScene::RunGlider() {
  if (entering_ != 0) {
    entering_ = 0;
    background_[0] = 0;
    background_[2] = 800;
    sprite1_[0] = -400;
    sprite1_[1] = 0;
    PlayBgm("bzx/wind.ogg", 3);
  }
  DrawGraph(background_[0], 0, graphs_[1], 0);
  DrawGraph(background_[2], 0, graphs_[1], 0);
  DrawGraph(0, 0, graphs_[2], 1);
  const int col = fadeB_ <= 7 ? 0 : fadeB_ <= 15 ? 200 : 400;
  int cx = col, cy = 0;
  if (step_ <= 2) {
    if (game.costume == 1) cx = 400, cy = 400;
  } else if (step_ <= 8) {
    cy = game.costume == 1 ? 600 : 200;
  } else {
    cx = 0;
    cy = 400;
  }
  DrawRectGraph(sprite1_[0], sprite1_[1], cx, cy, 200, 200, graphs_[0], 1, 0);
  if (step_ >= 9) DrawFallingFigure(0);
  if (++fadeB_ > 24) fadeB_ = 0;
  if (step_ >= 3) {
    if (++bob_ > 100) bob_ = 0;
    if (bob_ % 10 == 0) {
      sprite1_[1] += bobMoves_ < 8 ? 1 : -1;
      if (++bobMoves_ >= 17) bobMoves_ = 0;
    }
  }
  WindStreaks();
  const int scroll = step_ <= 2 ? 1 : 2;
  for (int i = 0; i < 4; i += 2) {
    background_[i] -= scroll;
    if (background_[i] <= -800) background_[i] += 1600;
  }
  switch (step_) {
    case 0: FadeIn(5); break;
    case 1: Wait(151); break;
    case 2:
      sprite1_[0] += 20;
      if (sprite1_[0] >= 1001) NextStep();
      break;
    case 3: NextStep(); break;
    case 4:
      sprite1_[0] -= 5;
      if (sprite1_[0] <= 400) NextStep();
      break;
    case 5: Script(3); break;
    case 6: Hold(); break;
    case 7:
      --sprite1_[0];
      if (sprite1_[0] <= 250) NextStep();
      break;
    case 8:
      if (Wait(201)) {
        sprite2_[0] = sprite1_[0] + 65;
        sprite2_[1] = sprite1_[1] + 75;
        PlaySoundHandle(sounds_[0], 1, 1);
      }
      break;
    case 9:
      sprite2_[1] += fallSpeed_;
      ++fallFrames_;
      if (fallFrames_ < 100) {
        if (fallFrames_ % 5 == 0) --sprite2_[0], ++sprite2_[1];
      } else {
        if (fallFrames_ % 20 == 0 && fallSpeed_ < 10) ++fallSpeed_;
        if (fallFrames_ % 5 == 0) --sprite2_[0];
      }
      if (sprite2_[1] >= 1001) {
        fade_ = 0;
        NextStep();
      }
      break;
    default:
      if (FadeOut(5)) return HandOver(-1);
      break;
  }
  return false;
}

bool StoryScene::RunHelicopterDrop() {
  if (entering_ != 0) {
    entering_ = 0;
    step_ = 0;
    background_[0] = 0;
    background_[2] = 800;
    fadeB_ = 0;
    helicopter_[0] = 950;
    helicopter_[1] = 50;
  }
  for (int i = 0; i < 4; i += 2) {
    DrawGraph(background_[i], 0, graphs_[1], 0);
    if (--background_[i] <= -800) background_[i] = 800;
  }
  DrawRectGraph(helicopter_[0] + 34, helicopter_[1] + 57, 130, 336, 52, 72, graphs_[0], 1, 0);
  if (step_ < 8) DrawDoorFigure();
  DrawHelicopter();
  if (step_ >= 8) {
    static constexpr int kX[4] = {480, 600, 720, 600};
    const int band = fadeB_ <= 2 ? 0 : fadeB_ <= 5 ? 1 : fadeB_ <= 8 ? 2 : 3;
    DrawRectGraph(sprite2_[0], sprite2_[1], kX[band], 324, 120, 108, game.graphs[kPlayerSheetSlot], 1, 1);
  }
  if (++fadeB_ > 12) fadeB_ = 0;
  WindStreaks();
  switch (step_) {
    case 0: FadeIn(5); break;
    case 1: Wait(101); break;
    case 2:
      ++timer_;
      if (timer_ == 100) PlayMusicFile("evx/heli.ogg", 3);
      if (timer_ > 100) {
        SetMusicVolume(++volume_);
        if (volume_ >= 255) NextStep();
      }
      break;
    case 3:
      helicopter_[0] -= 2;
      if (helicopter_[0] < 270) NextStep();
      break;
    case 4: Wait(81); break;
    case 5: Script(5); break;
    case 6: Hold(); break;
    case 7:
      if (Wait(81)) {
        PlaySoundHandle(sounds_[1], 1, 1);
        sprite2_[0] = helicopter_[0] + 65;
        sprite2_[1] = helicopter_[1] + 45;
      }
      break;
    case 8:
      sprite2_[1] += fallSpeed_;
      ++fallFrames_;
      if (fallFrames_ < 100) {
        if (fallFrames_ % 5 == 0) ++sprite2_[0], ++sprite2_[1];
      } else {
        if (fallFrames_ % 20 == 0 && fallSpeed_ < 10) ++fallSpeed_;
        if (fallFrames_ % 5 == 0) ++sprite2_[0];
      }
      if (sprite2_[1] >= 1001) {
        fade_ = 0;
        NextStep();
      }
      break;
    default:
      if (FadeOut(5)) {
        game.area = 2;
        game.subStage = 4;
        return HandOver(-1);
      }
      break;
  }
  return false;
}

bool StoryScene::RunInMission() {
  const bool first = entering_ != 0;
  entering_ = 0;
  switch (scene_) {
    case 7:
    case 9:
    case 13: {
      if (first && scene_ == 13) PlayBgm("bzx/event.ogg", 3);
      const int script = scene_ == 7 ? 19 : scene_ == 9 ? 23 : 21;
      switch (step_) {
        case 0:
          if (scene_ == 13) {
            NextStep();
          } else {
            Wait(81);
          }
          break;
        case 1: Script(script); break;
        case 2: Hold(); break;
        case 3:
          if (Dip()) {
            if (scene_ == 13) {
              SwitchOffKinds(134, 135);
            } else {
              SwitchOffKinds(132, 133);
            }
            NextStep();
          }
          break;
        case 4: DipBack(); break;
        default: return Release();
      }
      return false;
    }
    case 14:
      switch (step_) {
        case 0: NextStep(); break;
        case 1: Script(63); break;
        case 2: Hold(); break;
        case 3:
          if (Dip()) {
            for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
              MapObject& o = pools.mapObjects[i];
              if (o.kind != 188 || o.active == 0) continue;
              o.active = 0;
              SpawnMapObject(187, o.x / 40, o.y / 40, 0);
              ++game.checkpoint[kCheckpointBarrierCount];
            }
            NextStep();
          }
          break;
        case 4: DipBack(); break;
        default: return Release();
      }
      return false;
    case 8: {
      if (first) {
        sprite1_[0] = -100;
        sprite1_[1] = player.y;
        counters_[0] = counters_[1] = 0;
        fadeB_ = 0;
      }
      const int sx = sprite1_[0] - game.scrollX * 0, sy = sprite1_[1];
      if (step_ == 4 || step_ == 8) {
        const int i = fadeB_ <= 3 ? 0 : (fadeB_ - 1) / 3 > 15 ? 15 : (fadeB_ - 1) / 3;
        DrawRectGraph(sx - 60, sy - 51, 120 * (i % 8), i < 8 ? 108 : 216, 120, 108, graphs_[0], 1, step_ == 8 ? 1 : 0);
        if (++fadeB_ > 49) fadeB_ = 1;
      } else {
        DrawFirstCharacterStanding(sx, sy, 0);
      }
      switch (step_) {
        case 0: Wait(81); break;
        case 1: Script(40); break;
        case 2: Hold(); break;
        case 3: Wait(51); break;
        case 4:
          sprite1_[0] += 4;
          if (sprite1_[0] >= 501) {
            player.facing = 1;
            NextStep();
          }
          break;
        case 5: Wait(51); break;
        case 6: Script(62); break;
        case 7: Hold(); break;
        case 8:
          sprite1_[0] -= 4;
          if (sprite1_[0] < -100) NextStep();
          break;
        default: return Release();
      }
      return false;
    }
    case 10:
      if (first) {
        sprite1_[0] = player.x + 80;
        sprite1_[1] = player.y;
      }
      if (step_ >= 1 && step_ <= 5) DrawFirstCharacterStanding(sprite1_[0], sprite1_[1], 1);
      switch (step_) {
        case 0: Wait(51); break;
        case 1:
          if (timer_ == 0) PlaySoundHandle(game.sounds[kStepSound], 1, 1);
          Wait(51);
          break;
        case 2: Wait(31); break;
        case 3: Script(64); break;
        case 4: Hold(); break;
        case 5:
          if (Dip()) NextStep();
          break;
        case 6: DipBack(); break;
        default: return Release();
      }
      return false;
    case 11:
      if (first) {
        player.x = 240;
        player.y = -100;
      }
      switch (step_) {
        case 0:
          Land();
          break;
        case 1:
          TalkAfter(151, 11);
          break;
        case 2: Hold(); break;
        default: return Release();
      }
      return false;
    case 12:
      if (first) player.y = -250;
      switch (step_) {
        case 0:
        case 1:
          player.x = 100;
          player.y = -250;
          player.fallStep = 0;
          if (step_ == 1 && timer_ == 0) {
            PlaySoundHandle(game.sounds[kBlastSound], 1, 1);
            for (int x = 70; x <= 150; x += 20) SpawnShot(kBlastShot, x, -10, 0, 0.0f, 0.0f, 0);
          }
          Wait(101);
          break;
        case 2:
          Land();
          break;
        case 3:
          TalkAfter(151, 31);
          break;
        case 4: Hold(); break;
        default: return Release();
      }
      return false;
    case 110:
      switch (step_) {
        case 0:
          if (player.action == 0) NextStep();
          break;
        case 1:
          Script(StandStillTalkScript(game.character));
          timer_ = 0;
          break;
        case 2: Hold(); break;
        default: return Release();
      }
      return false;
    default: return Release();
  }
}

bool StoryScene::RunPickUpEnding() {
  if (entering_ != 0) {
    entering_ = 0;
    helicopter_[0] = 300;
    helicopter_[1] = -200;
    counters_[0] = counters_[1] = 0;
    sprite2_[1] = 0;
    picture_ = 0;
    PlayBgm("bzx/end.ogg", 3);
  }
  if (player.action == kHelicopterPose) {
    static constexpr int kX[4] = {600, 720, 840, 720};
    const int t = player.actionTimer;
    const int band = t <= 9 ? 0 : t <= 19 ? 1 : t <= 29 ? 2 : 3;
    DrawRectGraph(player.x - 60, player.y - 54, kX[band], 648, 120, 108, game.graphs[kHangSheetSlot], 1, 0);
  }
  if (step_ >= 5) {
    static constexpr int kWave[4] = {207, 277, 347, 277};
    DrawRectGraph(helicopter_[0] + 34, helicopter_[1] + 57, 130, 336, 52, 72, graphs_[0], 1, 0);
    const int c = counters_[0];
    DrawRectGraph(helicopter_[0] + 84, helicopter_[1] + 61, kWave[c <= 2 ? 0 : c <= 5 ? 1 : c <= 8 ? 2 : 3], 336, 62,
                  78, graphs_[0], 1, 0);
    if (++counters_[0] > 12) counters_[0] = 0;
    DrawHelicopter();
    // The rope hangs from the door down to the ground.
    if (sprite2_[1] > 0 && step_ < 16) {
      DrawBox(helicopter_[0] + 105, helicopter_[1] + 150, helicopter_[0] + 107, helicopter_[1] + 150 + sprite2_[1],
              GetColor(200, 190, 150), 1);
    }
  }
  if (step_ >= 16 && step_ <= 20) {
    const int gap = picture_ >= 9 ? 4 : 1 + picture_ / 3;
    DrawGraph(0, 0, graphs_[gap], 0);
    DrawGraph(0, 0, graphs_[5], 1);
  }
  switch (step_) {
    case 0:
      if (game.scrollY < -100) {
        game.scrollX += 5;
        player.x -= 5;
        game.scrollY += 5;
        player.y += 5;
      } else {
        NextStep();
      }
      break;
    case 1:
      if (++timer_ > 150) NextStep();
      break;
    case 2: Script(28); break;
    case 3: Hold(); break;
    case 4:
      ++timer_;
      if (timer_ == 100) PlaySoundHandle(sounds_[0], 3, 1);
      if (timer_ > 100) {
        SetSoundVolume(++volume_, sounds_[0]);
        if (volume_ >= 255) NextStep();
      }
      break;
    case 5:
      if (++helicopter_[1] > 80) NextStep();
      break;
    case 6:
      if (++timer_ > 100) NextStep();
      break;
    case 7: Script(29); break;
    case 8: Hold(); break;
    case 9:
      sprite2_[1] += 2;
      if (sprite2_[1] > 300) NextStep();
      break;
    case 10:
      player.x += 4;
      if (++player.walkCounter > 49) player.walkCounter = 1;
      if (player.x + 20 > helicopter_[0] + 105) {
        player.walkCounter = 0;
        player.action = kHelicopterPose;
        NextStep();
      }
      break;
    case 11:
      if (++timer_ > 50) NextStep();
      break;
    case 12:
      ++game.scrollY;
      if (game.scrollY > 100 && game.scrollY % 3 == 0) {
        ++helicopter_[1];
        ++player.y;
      }
      if (game.scrollY > 200) NextStep();
      break;
    case 13: Script(30); break;
    case 14: Hold(); break;
    case 15:
      if (++timer_ > 50) NextStep();
      break;
    case 16:
      ++picture_;
      if (++timer_ > 100) NextStep();
      break;
    case 17:
      --helicopter_[1];
      --player.y;
      if (helicopter_[1] < 0) {
        game.eventPlayer.Create(26, kEndModeStoryScene);
        NextStep();
      }
      break;
    case 18: Hold(); break;
    case 19:
      --helicopter_[1];
      --player.y;
      if (helicopter_[1] < -450) NextStep();
      break;
    case 20:
      if (--picture_ < 1) NextStep();
      break;
    case 21:
      if (++timer_ > 50) {
        NextStep();
      }
      break;
    default: return FinishEnding();
  }
  return false;
}

bool StoryScene::RunOtherSideEnding() {
  if (entering_ != 0) {
    entering_ = 0;
    helicopter_[0] = 150;
    helicopter_[1] = -200;
    PlayBgm("bzx/end.ogg", 3);
  }
  if (step_ >= 7) {
    DrawDoorFigure();
    if (++fadeB_ > 12) fadeB_ = 0;
  }
  if (step_ >= 2) {
    DrawRectGraph(helicopter_[0] + 34, helicopter_[1] + 57, 130, 336, 52, 72, graphs_[0], 1, 0);
    DrawHelicopter();
  }
  switch (step_) {
    case 0:
      if (game.scrollY < -300) {
        game.scrollX -= 5;
        player.x += 5;
        game.scrollY += 5;
        player.y += 5;
      } else {
        NextStep();
      }
      break;
    case 1:
      if (Wait(151)) {
        PlaySoundHandle(sounds_[0], 3, 1);
        SetSoundVolume(volume_, sounds_[0]);
      }
      break;
    case 2:
      SetSoundVolume(++volume_ > 255 ? 255 : volume_, sounds_[0]);
      if (volume_ > 127 && ++helicopter_[1] > 290) NextStep();
      break;
    case 3: Script(46); break;
    case 4: Hold(); break;
    case 5:
      if (++timer_ > 50) NextStep();
      break;
    case 6:
      player.x -= 4;
      if (++player.walkCounter > 49) player.walkCounter = 1;
      if (player.x + 20 < helicopter_[0] + 155) {
        player.walkCounter = 0;
        player.action = kHelicopterPose;
        NextStep();
      }
      break;
    case 7:
      if (++timer_ > 50) NextStep();
      break;
    case 8:
      ++game.scrollY;
      if (game.scrollY > 0 && game.scrollY % 3 == 0) {
        --helicopter_[1];
        ++helicopter_[0];
      }
      if (game.scrollY > 200) NextStep();
      break;
    case 9: Script(47); break;
    case 10: Hold(); break;
    case 11:
      if (++timer_ > 50) NextStep();
      break;
    default: return FinishEnding();
  }
  return false;
}

bool StoryScene::RunShop() {
  if (entering_ != 0) {
    entering_ = 0;
    dotFaces_[0] = dotFaces_[1] = dotFaces_[2] = 0;
    sprite1_[0] = 200;
    sprite1_[1] = 210;
    sprite2_[0] = 170;
    sprite2_[1] = 210;
    PlayBgm("evx/openning.ogg", 3);
  }
  DrawGraph(0, 0, graphs_[2], 0);
  Letterbox();
  DrawScreenFlicker(graphs_[3]);
  if (step_ >= 4) {
    int alpha = 255;
    if (step_ == 4 || step_ == 8) alpha = 4 * timer_;
    if (step_ == 7) alpha = 255 - 4 * timer_;
    SetDrawBlendMode(1, alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    DrawDot(graphs_[0], 2, dotFaces_[0], sprite1_[0], sprite1_[1], step_ < 8 ? 1 : 0, 0, 215, 200);
    SetDrawBlendMode(0, 0);
  }
  if (step_ >= 9) {
    SetDrawBlendMode(1, step_ == 9 ? (4 * timer_ > 255 ? 255 : 4 * timer_) : 255);
    DrawDot(graphs_[1], 2, dotFaces_[1], sprite2_[0], sprite2_[1], 0, 1, 235, 220);
    SetDrawBlendMode(0, 0);
  }
  if (step_ >= 14) {
    const int c = counter2_, x = sprite1_[0], y = sprite1_[1];
    SetDrawBlendMode(2, 16);
    for (int i = 0; i < c / 10 + 1; ++i) {
      DrawRectGraphStretched(x + 60 - 6 * c, y + 60 - 6 * c, x + 120 + 6 * c, y + 120 + 6 * c, 367, 13, 310, 317,
                             graphs_[4], 1);
    }
    SetDrawBlendMode(0, 0);
  }
  auto appear = [this](int sound) {
    if (timer_ == 0) PlaySoundHandle(sounds_[sound], 1, 1);
    if (++timer_ >= 128) {
      timer_ = 0;
      NextStep();
    }
  };
  switch (step_) {
    case 0: FadeIn(5); break;
    case 1: Wait(51); break;
    case 2: Script(101); break;
    case 3:
      fade_ = timer_ = 0;
      Hold();
      break;
    case 4: appear(0); break;
    case 5: Script(102); break;
    case 6: Hold(); break;
    case 7:
      if (Wait(65)) sprite1_[0] = 400;
      break;
    case 8: Wait(65); break;
    case 9: appear(0); break;
    case 10: Script(103); break;
    case 11:
      fade_ = 0;
      Hold();
      break;
    case 12: Script(104); break;
    case 13:
      fade_ = timer_ = counter2_ = 0;
      Hold();
      break;
    case 14:
      if (timer_++ == 0) PlaySoundHandle(sounds_[1], 1, 1);
      if (++counter2_ >= 255) NextStep();
      break;
    default:
      ++counter2_;
      if (FadeOut(5)) {
        game.area = 0;
        game.subStage = 0;
        game.missionNumber = 1;
        GiveStartingLoadout();
        return HandOver(-1);
      }
      break;
  }
  return false;
}

bool StoryScene::RunShopEnding() {
  if (entering_ != 0) {
    entering_ = 0;
    player.x = 240;
    player.y = -100;
    dotFaces_[0] = dotFaces_[1] = dotFaces_[2] = 0;
    sprite1_[0] = 440;
    sprite1_[1] = 240;
    sprite2_[0] = 260;
    sprite2_[1] = 190;
    sprite3_[0] = 60;
    sprite3_[1] = 190;
  }
  DrawGraph(0, 0, graphs_[3], 0);
  Letterbox();
  DrawScreenFlicker(graphs_[4]);
  DrawDot(graphs_[0], 2, dotFaces_[0], sprite1_[0], sprite1_[1], 0, 0, 215, 200);
  DrawDot(graphs_[1], 2, dotFaces_[1], sprite2_[0], sprite2_[1], step_ >= 5 ? 1 : 0, 1, 235, 220);
  if (step_ >= 4) {
    if (step_ == 4) SetDrawBlendMode(1, 4 * timer_ > 255 ? 255 : 4 * timer_);
    if (dotFaces_[2] < 2) {
      DrawDot(graphs_[2], 2, dotFaces_[2], sprite3_[0], sprite3_[1], 0, 2, 235, 220);
    } else {
      static constexpr int kFlower[4] = {0, 40, 80, 40};
      DrawRectGraph(sprite3_[0], sprite3_[1], 0, 500, 150, 250, graphs_[2], 1, 0);
      const int fx = sprite3_[0] + 55, fy = sprite3_[1] + 85;
      DrawRectGraph(fx, fy, 80, 80, 40, 40, graphs_[5], 1, 0);
      SetDrawBlendMode(2, 255);
      for (int i = 0; i < 3; ++i) DrawRectGraph(fx, fy, 80, 80, 40, 40, graphs_[5], 1, 0);
      SetDrawBlendMode(0, 0);
      DrawRectGraph(fx, fy, kFlower[flowerCounter_ / 8], 0, 40, 40, graphs_[5], 1, 0);
      if (++flowerCounter_ >= 32) flowerCounter_ = 0;
    }
    SetDrawBlendMode(0, 0);
  }
  switch (step_) {
    case 0:
      if (FadeIn(5)) PlayBgm("evx/openning.ogg", 3);
      break;
    case 1:
      if (++timer_ > 50) NextStep();
      break;
    case 2: Script(140); break;
    case 3:
      fade_ = 0;
      Hold();
      break;
    case 4:
      if (timer_ == 0) PlaySoundHandle(sounds_[0], 1, 1);
      if (++timer_ >= 128) {
        timer_ = 0;
        NextStep();
      }
      break;
    case 5: Script(141); break;
    case 6:
      fade_ = 0;
      Hold();
      break;
    default: return FinishEnding();
  }
  return false;
}
