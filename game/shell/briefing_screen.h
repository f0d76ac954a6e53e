// The results-and-briefing screen between the story stages of the first two characters:
// autosave on entry, the ship map with the visited stages, the statistics panel, and the
// pages for choosing the next stage, preparing and saving.
#pragma once
#include <cstdint>

// Pages of the screen (game.screenTimer).
namespace briefing_page {
constexpr int kMain = 0;
constexpr int kRoute = 1;
constexpr int kPrepare = 2;
constexpr int kEquipment = 3;
constexpr int kAmmunition = 4;
constexpr int kCollection = 5;
constexpr int kSystem = 6;
constexpr int kSaveDialog = 7;
constexpr int kTitleDialog = 8;
}  // namespace briefing_page

// Page phases (game.screenEntered once the entry has run).
namespace briefing_phase {
constexpr int kOpening = 1;
constexpr int kClosing = 2;
constexpr int kOpen = 3;
}  // namespace briefing_phase

// Keyboard scan codes of the map scroll keys.
constexpr int kScanPageDown = 0xD1;
constexpr int kScanDelete = 0xD3;

// Direction keys of the route page.
enum class RouteKey { kLeft, kRight, kUp, kDown };

// The branch a direction key chooses at a map node: the branch cell and the stage it
// leads to. False when the node's branch type does not take the key or the key's branch
// leads nowhere; the route is then left as it was.
struct RouteChoice {
  int column = 0, row = 0;
  int area = 0, subStage = 0;
};
bool ChooseRoute(int nodeArea, int nodeIndex, RouteKey key, int column, int row, RouteChoice* choice);
// The entry-door byte of the door table that a branch cell uses.
int RouteDoorByte(int column, int row);

class BriefingScreen {
 public:
  class MapMarker {
   public:
    MapMarker() = default;
    void SetFromSave();
    void Draw();
    int32_t x = 0, y = 0;
    int32_t blink = 0;
  };

  BriefingScreen();
  ~BriefingScreen() = default;
  BriefingScreen(const BriefingScreen&) = delete;
  BriefingScreen& operator=(const BriefingScreen&) = delete;

  void Update(int pad);
  const MapMarker& marker() const { return marker_; }

 private:
  void Enter();
  void DrawMap() const;
  void DrawStatistics() const;
  void DrawRoutePlate();
  void DrawPages();
  void DrawMenuPage(int page, bool flash) const;
  void DrawDialog(int page, bool flash) const;
  void DrawEquipment() const;
  void DrawAmmunition() const;
  void DrawCollection() const;
  void DrawPicturePage(int page);
  void DrawCursorGlow(int x, int y) const;
  void RunBlink();
  void Input(int pad);
  void InputMain(int pad);
  void InputPrepare(int pad);
  void InputSystem(int pad);
  void InputSaveDialog(int pad);
  void InputTitleDialog(int pad);
  void InputEquipment(int pad);
  void InputAmmunition(int pad);
  void InputCollection(int pad);
  void InputRoute(int pad);
  void StartChosenStage();
  void CloseTo(int page);
  void ClearOrder();
  bool Repeat(int pad, int keys);

  MapMarker marker_;
  int16_t blinkCounter_ = 0;
  uint8_t nextPage_ = 0;
  uint8_t column_ = 0;
};
