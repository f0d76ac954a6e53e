// The event-script player: talk scenes read from "evx/%d.txt", one command per line, run
// one line at a time over whatever the current screen draws (portraits, talk window, text,
// music and sounds, inventory and checkpoint bytes, the radio-call panel).
#pragma once
#include <cstdint>

#include "game/editor/editor_records.h"  // IntPair

#include "game/shell/game_data.h"
#include "runtime/api.h"

constexpr int kScriptMaxLines = 256;
constexpr int kScriptCommandBytes = 32;
constexpr int kScriptArgumentBytes = 256;

// End modes: how "end" hands control back.
constexpr int kEndModeStoryScene = 0;
constexpr int kEndModeMission = 1;
constexpr int kEndModeBriefing = 2;

// The pause-menu page while a talk holds the mission paused: the menu draws nothing and
// takes no key, so the confirm that moves the talk on chooses no menu row.
constexpr int kScenePausePage = 4;

// Splits one line at TABs into the command word and its argument: runs of TABs count as
// one, a leading TAB is skipped, anything after the second piece is ignored, and a trailing
// CR or LF is not part of either. Both outputs are always terminated.
void SplitScriptLine(const char* line, char (&command)[kScriptCommandBytes],
                     char (&argument)[kScriptArgumentBytes]);

// The leading decimal digits of an argument; 0 without digits.
int ScriptNumber(const char* argument);

// 1 for the light talk window (black text), 0 for the dark one (blue text with a glow).
int IsLightWindowScript(int scriptNumber);

// "face_1" / "face_2" face words: 0 .. 4.
int TalkFace(const char* word);
// Dot face of a word for the dot_face command of character who (0 .. 4), or -1 when the
// word is not in that character's row.
int DotFace(int who, const char* word);

class EventScript {
 public:
  EventScript(int32_t scriptNumber, int32_t endMode);
  ~EventScript();
  EventScript(const EventScript&) = delete;
  EventScript& operator=(const EventScript&) = delete;

  void Load(int32_t scriptNumber);
  void Update(int pad);
  void NextLine();

  // Read-only views for the tests and the callers.
  int lineCount() const { return lineCount_; }
  int currentLine() const { return currentLine_; }
  const char* command(int line) const { return commands_[line]; }
  const char* argument(int line) const { return arguments_[line]; }
  int windowAlpha() const { return windowAlpha_; }
  int windowShown() const { return windowShown_; }
  int textAlpha(int i) const { return textAlpha_[i]; }
  const char* textLine(int i) const { return i == 0 ? textLine1_ : textLine2_; }
  int slotX(int slot) const { return slotPositions_[slot].x; }
  int face(int slot) const { return faces_[slot]; }
  int focus(int slot) const { return focus_[slot]; }
  int alternate(int slot) const { return alternate_[slot]; }
  int portrait(int entry) const { return portraits_[entry]; }
  int portraitKind(int entry) const { return portraitKinds_[entry]; }
  int windowGraph() const { return windowGraph_; }
  int connectionGauge() const { return connectionGauge_; }
  int scriptNumber() const { return scriptNumber_; }

 private:
  void Draw();
  void DrawPortrait(int slot);
  void DrawCallPanel(int x, int entry, int face);
  void DrawText();
  void LoadPortrait(int entry, const char* path);
  // Runs the current line's command; returns true when the object deleted itself.
  bool Execute();
  bool End();

  FileHandle file_ = 0;
  int32_t windowGraph_ = 0;
  int32_t portraits_[5] = {};
  int16_t alternate_[2] = {};
  uint8_t portraitKinds_[5] = {};
  uint8_t faces_[5] = {};
  char lineBuffer_[kScriptArgumentBytes] = {};
  char commands_[kScriptMaxLines][kScriptCommandBytes] = {};
  char arguments_[kScriptMaxLines][kScriptArgumentBytes] = {};
  int32_t textAlpha_[2] = {255, 255};
  uint8_t textFadingOut_ = 0;
  char textLine1_[kScriptArgumentBytes] = {};
  char textLine2_[kScriptArgumentBytes] = {};
  uint8_t windowShown_ = 0;
  uint16_t lineCount_ = 0;
  int16_t currentLine_ = 0;
  int32_t windowAlpha_ = 0;
  IntPair slotPositions_[5];
  uint8_t focus_[5] = {};
  int32_t scriptNumber_ = 0;
  int32_t endMode_ = 0;
  int16_t slidePhase_ = 0;
  uint8_t lineStart_ = 1;
  int32_t connectionGauge_ = 0;
  int32_t noiseTimer_ = 0;
  int16_t talkFrame_ = 0, talkCycle_ = 0;
  int32_t callSounds_[3] = {-1, -1, -1};
  // The radio-call panel sheet, held by the script itself so that the shared graph slot
  // another screen draws from is left alone.
  int32_t panelSheet_ = -1;
};

// Deletes the object in game.eventPlayer and empties the slot.
void DeleteEventScript();
