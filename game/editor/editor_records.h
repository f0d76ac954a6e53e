// The stage editor's small records: a pair of whole numbers, one enemy slot of the edited
// stage, and the button that the slot screen, the editing screen and its lists share.
#pragma once
#include <cstdint>

struct IntPair {
  int32_t x;
  int32_t y;
  IntPair() : x(0), y(0) {}
  ~IntPair() {}
};

// One of the twenty enemy slots of the edited stage; type 0 is an empty slot.
struct EditEnemy {
  uint32_t type;
  uint8_t equipment = 0;
  uint32_t facing = 0;  // 0 right, 1 left
  uint32_t param1 = 0;
  uint32_t param2 = 0;
  uint8_t initialBehaviour = 0;
  uint8_t normalBehaviour = 0;
  uint8_t attackBehaviour = 0;
  uint8_t alertBehaviour = 0;
  EditEnemy() : type(0) {}
  ~EditEnemy() {}
};

// Width classes of a skinned button: two pieces 100 + 100, one piece 266, two 200 + 216.
namespace button_style {
constexpr uint8_t kPair = 1;
constexpr uint8_t kWide = 2;
constexpr uint8_t kLong = 3;
}  // namespace button_style

constexpr int kNoButton = 9999;

class EditorButton {
 public:
  EditorButton(int id, const char* label, int skinned, int x, int y, int width, int height, int style,
               int enabled)
      : x(x),
        y(y),
        width(width),
        height(height),
        id(static_cast<uint16_t>(id)),
        skinned(static_cast<uint8_t>(skinned)),
        label(label),
        style(static_cast<uint8_t>(style)),
        enabled(static_cast<uint8_t>(enabled)) {}
  ~EditorButton() {}

  // Strictly inside the rectangle and enabled; remembered in hovered.
  bool HitTest(int mouseX, int mouseY);
  void Draw();
  // The flickering glow over a hovered skinned button.
  static void DrawGlow(int x, int y, int style, int height = 38);

  int32_t x, y, width, height;
  uint8_t hovered = 0;
  uint16_t id;
  uint8_t skinned;
  const char* label;  // not owned
  uint8_t style;
  uint8_t enabled;
};
