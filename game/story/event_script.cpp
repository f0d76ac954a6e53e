#include "game/story/event_script.h"

#include <cstdio>
#include <cstring>

#include "game/mission/hud.h"
#include "game/mission/player.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_log.h"
#include "game/story/story_scene.h"

namespace {

constexpr int kTalkFontSize = 15, kTalkFontThickness = 10;
constexpr int kDefaultFontSize = 12, kDefaultFontThickness = 2;
constexpr int kWindowY = 380;
constexpr int kTextX = 65, kTextY1 = 450, kTextY2 = 490;
constexpr int kDimmed = 108;
constexpr int kSlotLeftHidden = -400, kSlotRightHidden = 830;
constexpr int kSlideStep = 20;
constexpr int kFadeStep = 20;
constexpr int kTextFadeStep = 15;
constexpr int kGaugeFull = 120, kGaugeStep = 10;
constexpr int kCallPortraitKind = 6;
constexpr int kCheckpointTargetArea = 498, kCheckpointTargetNumber = 499;
constexpr char kPanelSheetPath[] = "patch/suvel_select.png";
constexpr const char* kCallSoundPaths[3] = {"evx/phone.wav", "evx/noise.wav", "evx/off.wav"};
enum { kPhoneSound, kNoiseSound, kOffSound };

struct PortraitPath {
  const char* path;
  uint8_t kind;
};
constexpr PortraitPath kPortraitPaths[] = {
    {"evx/oruha.png", 0}, {"evx/tevani.png", 1}, {"evx/meliko.png", 2}, {"evx/ubana.png", 4},
    {"evx/vos.png", 3},   {"evx/suvel.png", 5},  {"evx/dunami_mini.png", kCallPortraitKind},
};

struct FaceWord {
  const char* word;
  int face;
};
constexpr FaceWord kTalkFaces[] = {{"笑顔", 1}, {"驚き", 2}, {"悩み", 3}, {"怒り", 4}};
constexpr FaceWord kOruhaDots[] = {{"通常", 0}, {"笑顔", 1}, {"ムッツリ", 2}};
constexpr FaceWord kTevaniDots[] = {{"通常", 0}, {"笑顔", 1},       {"驚き", 2},
                                    {"アセ", 3}, {"まんじゅう", 4}, {"ムッツリ", 5}};
constexpr FaceWord kSuvelDots[] = {{"通常", 0}, {"驚き", 1}, {"ムッツリ", 2}};
constexpr FaceWord kDunamiDots[] = {{"通常", 0}, {"ムッツリ", 1}, {"笑顔", 2}};
constexpr FaceWord kPirelDots[] = {{"通常", 0}, {"笑顔", 1}, {"リュネラ", 2}};

template <size_t N>
int FindFace(const FaceWord (&row)[N], const char* word) {
  for (const FaceWord& f : row) {
    if (std::strcmp(f.word, word) == 0) return f.face;
  }
  return -1;
}

// Copies at most size - 1 bytes of [from, to) and terminates.
void CopyPiece(char* out, size_t size, const char* from, const char* to) {
  size_t n = static_cast<size_t>(to - from);
  if (n > size - 1) n = size - 1;
  std::memcpy(out, from, n);
  out[n] = '\0';
}

bool IsLineEnd(char c) { return c == '\0' || c == '\r' || c == '\n'; }

// A count from a script, kept inside the table it indexes.
int Clamp(int n, int size) { return n < 0 ? 0 : n >= size ? size - 1 : n; }

void AddOwned(uint16_t& v) { v = v == kNotOwned ? 1 : static_cast<uint16_t>(v + 1); }

}  // namespace

void SplitScriptLine(const char* line, char (&command)[kScriptCommandBytes], char (&argument)[kScriptArgumentBytes]) {
  command[0] = '\0';
  argument[0] = '\0';
  const char* p = line;
  while (*p == '\t') ++p;
  const char* start = p;
  while (!IsLineEnd(*p) && *p != '\t') ++p;
  CopyPiece(command, sizeof command, start, p);
  while (*p == '\t') ++p;
  start = p;
  while (!IsLineEnd(*p) && *p != '\t') ++p;
  CopyPiece(argument, sizeof argument, start, p);
}

int ScriptNumber(const char* argument) {
  int n = 0;
  for (const char* p = argument; *p >= '0' && *p <= '9'; ++p) {
    if (n < 100000000) n = n * 10 + (*p - '0');
  }
  return n;
}

int IsLightWindowScript(int n) {
  return n == 1 || n == 2 || n == 4 || (n >= 6 && n <= 9) || (n >= 101 && n <= 109) || n >= 140;
}

int TalkFace(const char* word) {
  const int f = FindFace(kTalkFaces, word);
  return f < 0 ? 0 : f;
}

int DotFace(int who, const char* word) {
  switch (who) {
    case 0: return FindFace(kOruhaDots, word);
    case 1: return FindFace(kTevaniDots, word);
    case 2: return FindFace(kSuvelDots, word);
    case 3: return FindFace(kDunamiDots, word);
    case 4: return FindFace(kPirelDots, word);
    default: return -1;
  }
}

void DeleteEventScript() { game.eventPlayer.Delete(); }

EventScript::EventScript(int32_t scriptNumber, int32_t endMode) : endMode_(endMode) {
  const int xs[5] = {kSlotLeftHidden, kSlotRightHidden, kSlotLeftHidden, kSlotRightHidden, 0};
  for (int i = 0; i < 5; ++i) slotPositions_[i].x = xs[i];
  Load(scriptNumber);
  SetFontSize(kTalkFontSize);
  SetFontThickness(kTalkFontThickness);
}

EventScript::~EventScript() {
  SetFontSize(kDefaultFontSize);
  SetFontThickness(kDefaultFontThickness);
  for (int32_t& s : callSounds_) {
    if (s != -1) DeleteSound(s, 0);
    s = -1;
  }
  if (panelSheet_ > 0) DeleteGraph(panelSheet_);
  for (int32_t& g : portraits_) {
    if (g > 0) DeleteGraph(g);
    g = 0;
  }
  if (windowGraph_ > 0) DeleteGraph(windowGraph_);
}

void EventScript::Load(int32_t scriptNumber) {
  scriptNumber_ = scriptNumber;
  char path[32];
  std::snprintf(path, sizeof path, "evx/%d.txt", scriptNumber);
  file_ = FileOpen(path, 0);
  if (file_ == 0) {
    // A missing script would otherwise hold its caller (a paused mission) for good.
    ReportFileProblem("event script missing; it ends at once", path);
    std::strcpy(commands_[0], "end");
    lineCount_ = 1;
  } else {
    while (FileEof(file_) == 0 && lineCount_ < kScriptMaxLines) {
      if (FileReadLine(lineBuffer_, sizeof lineBuffer_, file_) < 0) break;
      SplitScriptLine(lineBuffer_, commands_[lineCount_], arguments_[lineCount_]);
      ++lineCount_;
    }
    FileClose(file_);
    file_ = 0;
  }
  if (game.character == 2 && panelSheet_ <= 0) panelSheet_ = LoadGraph(kPanelSheetPath, 0);
}

void EventScript::NextLine() {
  ++currentLine_;
  textFadingOut_ = 0;
  lineStart_ = 1;
  slidePhase_ = 0;
}

void EventScript::Update(int) {
  Draw();
  Execute();
}

void EventScript::Draw() {
  DrawPortrait(0);
  DrawPortrait(1);
  SetDrawBlendMode(1, windowAlpha_);
  DrawGraph(0, kWindowY, windowGraph_, 1);
  SetDrawBlendMode(0, 0);
  if (windowShown_ != 0) DrawText();
}

void EventScript::DrawPortrait(int s) {
  if (portraits_[s] == 0) return;
  const int p = alternate_[s] == 1 ? s + 2 : s;
  const int x = slotPositions_[s].x;
  const int k = portraitKinds_[p];
  const int g = portraits_[p];
  const int f = faces_[s];
  if (focus_[s] == 0 && k != kCallPortraitKind) SetDrawBright(kDimmed, kDimmed, kDimmed);
  switch (k) {
    case 0:
    case 1: {
      static constexpr int kFaces[5][6] = {{0, 0, 0, 0, 288, 255},     {0, 0, 270, 0, 270, 255},
                                           {0, 0, 540, 0, 270, 255},   {10, 0, 280, 270, 270, 255},
                                           {0, 0, 540, 270, 270, 255}};
      const int* r = kFaces[f < 5 ? f : 0];
      DrawRectGraph(x + r[0], r[1], r[2], r[3], r[4], r[5], g, 1, 0);
      DrawRectGraph(x, 255, 0, 255, 288, 545, g, 1, 0);
      break;
    }
    case 5: {
      static constexpr int kFaces[5][6] = {{0, 0, 0, 0, 300, 255},       {90, 0, 390, 0, 200, 255},
                                           {100, 0, 600, 0, 200, 255},   {90, 20, 390, 270, 200, 255},
                                           {100, 20, 600, 270, 200, 255}};
      const int* r = kFaces[f < 5 ? f : 0];
      DrawRectGraph(x + r[0], r[1], r[2], r[3], r[4], r[5], g, 1, 0);
      DrawRectGraph(x, 185, 0, 185, 400, 545, g, 1, 0);
      break;
    }
    case 2:
      DrawRectGraph(x + 50, 0, 783, 0, 288, 183, g, 1, 0);
      DrawRectGraph(x - 150, 183, 0, 183, 640, 841, g, 1, 0);
      break;
    case 3:
    case 4: DrawRectGraph(x + 50, 0, 0, 0, 316, 600, g, 1, 0); break;
    case kCallPortraitKind: DrawCallPanel(x, p, f); break;
    default: break;
  }
  SetDrawBright(255, 255, 255);
}

void EventScript::DrawCallPanel(int x, int entry, int f) {
  const int sheet = panelSheet_;
  DrawRectGraph(x + 40, 270, 1, 244, 101, 108, sheet, 1, 0);
  DrawRectGraph(x + 143, 273, 0, 356, 179, 97, sheet, 1, 0);
  DrawRectGraph(x + 160, 290, 185, 373, connectionGauge_ + 7, 64, sheet, 1, 0);
  DrawRectGraph(x + 220, 318, 0, 457, 66, 23, sheet, 1, 0);
  DrawRectGraph(x + 228, 340, 0, 482, 54, 15, sheet, 1, 0);
  if (connectionGauge_ >= kGaugeFull) {
    int cx = 0, cy = 0;
    if (f == 1) {
      cx = 360;
      cy = 324;
    } else {
      const int r = f == 3 ? 216 : 0;
      const int band = talkFrame_ / 10;
      if (talkCycle_ < 3) {
        static constexpr int kX[4] = {0, 120, 240, 120};
        cx = kX[band];
        cy = r;
      } else {
        static constexpr int kX[4] = {0, 0, 120, 0};
        static constexpr int kDy[4] = {0, 108, 108, 108};
        cx = kX[band];
        cy = r + kDy[band];
      }
    }
    DrawRectGraph(x + 30, 270, cx, cy, 120, 108, portraits_[entry], 1, 0);
    if (++talkFrame_ >= 40) {
      talkFrame_ = 0;
      talkCycle_ = talkCycle_ == 3 ? 0 : static_cast<int16_t>(talkCycle_ + 1);
    }
    if (noiseTimer_ == 0) noiseTimer_ = 1;
  } else {
    noiseTimer_ = 0;
  }
  if (noiseTimer_ >= 1) {
    if (++noiseTimer_ > 100) noiseTimer_ = 51;
    DrawRectGraph(x + 40, 270, GetRandom(1) == 0 ? 100 : 200, 244, 101, 108, sheet, 1, 0);
    if (noiseTimer_ < 50) {
      SetDrawBlendMode(2, 32);
      for (int i = 0; i < 25 - noiseTimer_ / 2; ++i) {
        DrawRectGraph(x + 40, 270, GetRandom(1) == 0 ? 100 : 200, 244, 101, 108, sheet, 1, 0);
      }
      SetDrawBlendMode(0, 0);
    }
  }
}

void EventScript::DrawText() {
  const bool light = IsLightWindowScript(scriptNumber_) != 0;
  const unsigned colour = light ? GetColor(0, 0, 0) : GetColor(9, 176, 254);
  const char* texts[2] = {textLine1_, textLine2_};
  const int ys[2] = {kTextY1, kTextY2};
  for (int i = 0; i < 2; ++i) {
    SetDrawBlendMode(1, textAlpha_[i]);
    DrawString(kTextX, ys[i], texts[i], colour, 0);
    if (textAlpha_[i] > 250) {
      if (light) {
        SetDrawBlendMode(1, textAlpha_[i]);
      } else {
        SetDrawBlendMode(2, 128);
      }
      DrawString(kTextX, ys[i], texts[i], colour, 0);
    }
    SetDrawBlendMode(0, 0);
  }
}

void EventScript::LoadPortrait(int entry, const char* path) {
  // A second load into the same entry would otherwise leak the picture it replaces.
  if (portraits_[entry] > 0) DeleteGraph(portraits_[entry]);
  portraits_[entry] = LoadGraph(path, 0);
  for (const PortraitPath& p : kPortraitPaths) {
    if (std::strcmp(p.path, path) != 0) continue;
    if (p.kind == kCallPortraitKind && entry > 1) break;
    portraitKinds_[entry] = p.kind;
    if (p.kind == kCallPortraitKind && entry == 0) {
      for (int i = 0; i < 3; ++i) {
        if (callSounds_[i] == -1) callSounds_[i] = LoadSound(kCallSoundPaths[i], 3, -1);
      }
    }
    break;
  }
}

bool EventScript::End() {
  if (endMode_ == kEndModeStoryScene) {
    if (game.storyScene) game.storyScene->NextStep();
  } else if (endMode_ == kEndModeMission) {
    game.paused = 0;
    player.fireHeld = 1;  // the confirm that closed the talk is no shot
    if (static_cast<int16_t>(game.alertCountdown) > 0) {
      PlayBgm("bzx/warning.ogg", 3);
    } else {
      PlayStageBgm();
    }
  } else {
    ++game.screenTimer;
  }
  DeleteEventScript();
  return true;
}

bool EventScript::Execute() {
  // A damaged script (empty, cut short, no "end") would otherwise hold its caller for good.
  if (currentLine_ >= lineCount_) {
    char path[32];
    std::snprintf(path, sizeof path, "evx/%d.txt", scriptNumber_);
    ReportFileNote(path, "event script ran past its last line without \"end\"; it ends there");
    return End();
  }
  static const char kEmpty[1] = {'\0'};
  const bool inScript = currentLine_ >= 0 && currentLine_ < kScriptMaxLines;
  const char* c = inScript ? commands_[currentLine_] : kEmpty;
  const char* a = inScript ? arguments_[currentLine_] : kEmpty;
  const int n = ScriptNumber(a);
  auto is = [c](const char* word) { return std::strcmp(c, word) == 0; };

  if (is("fade") || is("load_back") || is("set_back")) {
    NextLine();
  } else if (std::strncmp(c, "load_char_", 10) == 0 && c[10] >= '1' && c[10] <= '4' && c[11] == '\0') {
    LoadPortrait(c[10] - '1', a);
    NextLine();
  } else if (is("window_load")) {
    if (windowGraph_ > 0) DeleteGraph(windowGraph_);
    windowGraph_ = LoadGraph(IsLightWindowScript(scriptNumber_) ? "evx/etc2.png" : "evx/etc1.png", 0);
    NextLine();
  } else if (is("window_on")) {
    windowAlpha_ += kFadeStep;
    if (windowAlpha_ >= 240) {
      windowAlpha_ = 255;
      windowShown_ = 1;
      NextLine();
    }
  } else if (is("window_off")) {
    windowAlpha_ -= kFadeStep;
    if (windowAlpha_ < 10) {
      windowAlpha_ = 0;
      windowShown_ = 0;
      NextLine();
    }
  } else if (is("set_bgm")) {
    PlayMusicFile(a, 3);
    NextLine();
  } else if (is("stop_bgm")) {
    StopMusic();
    NextLine();
  } else if (is("set_se")) {
    PlaySoundFile(a, 1);
    NextLine();
  } else if (is("char1_on")) {
    slotPositions_[0].x += kSlideStep;
    if (slotPositions_[0].x > 0) NextLine();
  } else if (is("char2_on")) {
    slotPositions_[1].x -= kSlideStep;
    if (slotPositions_[1].x < 450) NextLine();
  } else if (is("char1_off")) {
    slotPositions_[0].x -= kSlideStep;
    if (slotPositions_[0].x < kSlotLeftHidden) NextLine();
  } else if (is("char2_off")) {
    slotPositions_[1].x += kSlideStep;
    if (slotPositions_[1].x >= kSlotRightHidden) NextLine();
  } else if (is("char_all_off")) {
    slotPositions_[0].x -= kSlideStep;
    slotPositions_[1].x += kSlideStep;
    if (slotPositions_[0].x < kSlotLeftHidden) NextLine();
  } else if (std::strncmp(c, "dot_face_", 9) == 0) {
    static constexpr const char* kWho[5] = {"oruha", "tevani", "suvel", "dunami", "pirel"};
    for (int who = 0; who < 5; ++who) {
      if (std::strcmp(c + 9, kWho[who]) != 0) continue;
      const int f = DotFace(who, a);
      // Only scripts of a story scene name dot faces; without one there is nothing to set.
      if (f >= 0 && game.storyScene) game.storyScene->SetPortrait(static_cast<int16_t>(who), static_cast<uint16_t>(f));
      NextLine();
      break;
    }
  } else if (is("face_1") || is("face_2")) {
    faces_[c[5] - '1'] = static_cast<uint8_t>(TalkFace(a));
    NextLine();
  } else if (is("gra_change")) {
    if (std::strcmp(a, "1") == 0) {
      alternate_[0] = static_cast<int16_t>(alternate_[0] == 0 ? 1 : 0);
      NextLine();
    } else if (slidePhase_ == 0) {
      slotPositions_[1].x += kSlideStep;
      if (slotPositions_[1].x > 800) {
        alternate_[1] = static_cast<int16_t>(alternate_[1] == 0 ? 1 : 0);
        slidePhase_ = 1;
      }
    } else {
      slotPositions_[1].x -= kSlideStep;
      if (slotPositions_[1].x < 420) NextLine();
    }
  } else if (is("char_forcus_on") || is("char_forcus_off")) {
    focus_[Clamp(n - 1, 2)] = is("char_forcus_on") ? 1 : 0;
    NextLine();
  } else if (is("talk_1")) {
    CopyPiece(textLine1_, sizeof textLine1_, a, a + std::strlen(a));
    textLine2_[0] = '\0';
    textAlpha_[0] += kTextFadeStep;
    if (textAlpha_[0] >= 240) {
      textAlpha_[0] = 255;
      NextLine();
    }
  } else if (is("talk_2")) {
    CopyPiece(textLine2_, sizeof textLine2_, a, a + std::strlen(a));
    textAlpha_[1] += kTextFadeStep;
    if (textAlpha_[1] >= 240) {
      textAlpha_[1] = 255;
      NextLine();
    }
  } else if (is("key_wait")) {
    if (game.action[1] != 0) textFadingOut_ = 1;
    if (textFadingOut_ != 0) {
      for (int32_t& t : textAlpha_) t = t - kTextFadeStep < 0 ? 0 : t - kTextFadeStep;
      if (textAlpha_[0] <= 20) NextLine();
    }
  } else if (is("set_target_st")) {
    game.checkpoint[kCheckpointTargetArea] = static_cast<uint8_t>(n - 1);
    NextLine();
  } else if (is("set_target_num")) {
    game.checkpoint[kCheckpointTargetNumber] = static_cast<uint8_t>(n - 1);
    NextLine();
  } else if (is("get_bullet")) {
    AddOwned(player.weapons[Clamp(n, kWeaponCount)]);
    NextLine();
  } else if (is("del_bullet")) {
    uint16_t& v = player.weapons[Clamp(n, kWeaponCount)];
    v = v == 0 ? kNotOwned : static_cast<uint16_t>(v - 1);
    NextLine();
  } else if (is("get_ammo")) {
    AddOwned(player.items[Clamp(n, kItemCount)]);
    NextLine();
  } else if (is("del_ammo")) {
    uint16_t& v = player.items[Clamp(n, kItemCount)];
    v = static_cast<uint16_t>(v - 1);
    NextLine();
  } else if (is("get_gadget")) {
    AddOwned(player.gadgets[Clamp(n, kGadgetCount)]);
    NextLine();
  } else if (is("del_gadget")) {
    const int g = Clamp(n, kGadgetCount);
    uint16_t& v = player.gadgets[g];
    v = static_cast<uint16_t>(v - 1);
    if (v == 0) {
      v = kNotOwned;
      if (player.selectedGadget == g) player.selectedGadget = 0;
    }
    NextLine();
  } else if (is("get_item")) {
    ++game.checkpoint[Clamp(n, kSaveRecordBytes)];
    NextLine();
  } else if (is("del_item")) {
    --game.checkpoint[Clamp(n, kSaveRecordBytes)];
    NextLine();
  } else if (is("connect_sound")) {
    if (lineStart_ != 0) {
      PlaySoundHandle(callSounds_[kPhoneSound], 1, 1);
      lineStart_ = 0;
    }
    if (CheckSoundPlaying(callSounds_[kPhoneSound]) != 1) NextLine();
  } else if (is("connect_on")) {
    if (lineStart_ != 0) {
      connectionGauge_ = 0;
      lineStart_ = 0;
    }
    connectionGauge_ += kGaugeStep;
    if (connectionGauge_ >= kGaugeFull) {
      PlaySoundHandle(callSounds_[kNoiseSound], 1, 1);
      NextLine();
    }
  } else if (is("connect_off")) {
    if (lineStart_ != 0) {
      PlaySoundHandle(callSounds_[kOffSound], 1, 1);
      lineStart_ = 0;
    }
    connectionGauge_ -= kGaugeStep;
    // Without a connect_on before it the gauge would pass 0 and never end the line.
    if (connectionGauge_ <= 0) {
      connectionGauge_ = 0;
      NextLine();
    }
  } else if (is("end")) {
    return End();
  }
  return false;
}
