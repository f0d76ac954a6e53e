// The new-game setup: character, costume and difficulty chosen row by row, then a
// confirmation that starts the opening scene of the chosen character.
#pragma once
#include <cstdint>

class NewGameSetup {
 public:
  enum Step : int16_t {
    kFadeIn = 0,
    kCharacterRow = 1,
    kCostumeRow = 2,
    kDifficultyRow = 3,
    kConfirmation = 4,
    kFadeToSaveSelect = 5,
    kFadeToStart = 6,
    kStartGame = 7,
  };

  NewGameSetup();
  ~NewGameSetup();
  NewGameSetup(const NewGameSetup&) = delete;
  NewGameSetup& operator=(const NewGameSetup&) = delete;

  void LoadResources();
  void Update(int pad);

  Step step() const { return step_; }
  int confirmChoice() const { return confirmChoice_; }
  int portraitX(int character) const { return portraitX_[character]; }
  int portraitAlpha(int character) const { return portraitAlpha_[character]; }

 private:
  void DrawCharacterCell(int x, int y, int style, const char* label) const;
  void DrawChoiceCell(int x, int y, int style, const char* label) const;
  void DrawCell(int x, int y, int style, const char* label, int leftWidth, int labelOffset) const;
  void Draw();
  void SlidePortraits();
  void Input(int pad);
  void StartGame();

  int32_t images_[6] = {-1, -1, -1, -1, -1, -1};
  int32_t fadeCounter_ = 0;
  int32_t portraitX_[3] = {};
  int32_t portraitAlpha_[3] = {};
  Step step_ = kFadeIn;
  int16_t confirmChoice_ = 0;
};

// The opening story scene of a character's new game.
int OpeningSceneOf(int character);
