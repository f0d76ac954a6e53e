// The story-scene player: the campaign's scripted scenes (openings, in-mission scenes,
// endings, the staff roll), each a sequence of steps hard-wired per scene id that lasts a
// number of frames or until the talk scene it started reaches its "end".
#pragma once
#include <cstdint>

#include <vector>

// 1 when scene is one this player has steps for.
int IsKnownStoryScene(int scene);
// Every picture, sound and music file the scenes load or play.
std::vector<const char*> StorySceneFilePaths();
// The talk that scene 110 starts once the player stands still: each character has her own
// (the third hears it by radio).
int StandStillTalkScript(int character);

class StoryScene {
 public:
  explicit StoryScene(int32_t scene);
  ~StoryScene();
  StoryScene(const StoryScene&) = delete;
  StoryScene& operator=(const StoryScene&) = delete;

  void LoadResources();
  void NextStep();
  void SetPortrait(int16_t who, uint16_t face);
  void DrawHelicopter();
  void Update(int pad);

  int scene() const { return scene_; }
  int step() const { return step_; }
  int timer() const { return timer_; }
  int dotFace(int i) const { return dotFaces_[i]; }
  int graph(int i) const { return graphs_[i]; }
  int sound(int i) const { return sounds_[i]; }

 private:
  // Each returns true when the scene deleted itself this frame.
  bool RunStaffRoll();
  bool RunScene1();
  bool RunShrine();
  bool RunGlider();
  bool RunHelicopterDrop();
  bool RunInMission();
  bool RunPickUpEnding();
  bool RunOtherSideEnding();
  bool RunShop();
  bool RunShopEnding();

  bool FadeIn(int k);
  bool FadeOut(int k);
  bool Wait(int n);
  void Script(int n);
  // Starts talk scene n once the frames have passed (the step moves on then).
  void TalkAfter(int frames, int n);
  // Moves on once the dropped player stands: the landing sound and pose.
  void Land();
  void Hold();
  bool Dip();
  bool DipBack();
  bool Release();
  bool HandOver(int nextScene);
  bool FinishEnding();
  void Letterbox();
  void DrawDot(int sheet, int kind, int face, int x, int y, int mirror, int blinkIndex, int period, int blinkStart);
  void DrawWalker(int sheet, int x, int y);
  void WindStreaks();
  void DrawFallingFigure(int mirror);
  void DrawDoorFigure();
  void DrawFirstCharacterStanding(int x, int y, int mirror);
  void DrawScreenFlicker(int sheet);

  int32_t entering_ = 1;
  int32_t scene_ = 0;
  int32_t graphs_[10] = {};
  int32_t sounds_[10] = {};
  int32_t volume_ = 0;
  int16_t step_ = 0;
  int32_t timer_ = 0;
  int16_t page_ = 0;
  int32_t fade_ = 0;
  int32_t counter2_ = 0;
  int32_t fallSpeed_ = 0;
  int32_t fallFrames_ = 0;
  int32_t background_[4] = {};
  int32_t sprite1_[2] = {};
  int32_t sprite2_[2] = {};
  int32_t sprite3_[2] = {};
  int32_t fadeB_ = 0;
  int32_t counters_[2] = {};
  int32_t blink_[5] = {};
  int32_t helicopter_[2] = {};
  int32_t rotor_ = 0, tailRotor_ = 0;
  int32_t picture_ = 0;
  uint16_t dotFaces_[3] = {};
  int32_t flowerCounter_ = 0;
  // Frames of the glider's bob and the strip offset of the staff roll.
  int32_t bob_ = 0, bobMoves_ = 0;
  int32_t stripY_ = 0;
};

// Deletes the object in game.storyScene and empties the slot.
void DeleteStoryScene();
