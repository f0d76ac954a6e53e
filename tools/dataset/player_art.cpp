// The player's sprite sheets: 8 x 9 cells of 120 x 108, each cell posed for what the sprite
// routine shows from it (idle, walking and running cycles, crouch, jump and fall, ledge hang
// and climb, ladder, pipe hang, aiming by angle, reloading, hit and down, hiding, start and
// result poses), facing right with the feet at y 93 of the cell, where the player's feet are.
#include "tools/dataset/player_art.h"

#include <algorithm>
#include <cmath>

namespace dataset {
namespace {

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 108;
constexpr int kColumns = 8;
constexpr int kRows = 9;
constexpr int kFlashY = 864;
constexpr int kFlashSize = 160;
constexpr double kPi = 3.14159265358979;
constexpr int kGround = 93;  // the feet, 39 below the player's point at y 54
constexpr double kLeg = 19;
constexpr double kArm = 14;

struct Look {
  Rgb suit, limb, far, skin, hair, accent;
};

Look LookOf(int character, int variant) {
  // The story's looks: Oruha crimson with black hair, Tevani green with golden hair, Suvel
  // violet with silver hair; the second costumes as the save slots show them.
  static const Rgb kSuits[3][2] = {{{170, 30, 50}, {230, 230, 240}},
                                   {{40, 150, 70}, {240, 160, 60}},
                                   {{120, 60, 170}, {90, 90, 100}}};
  static const Rgb kHair[3] = {{30, 28, 40}, {240, 200, 80}, {200, 205, 220}};
  Look l;
  l.suit = kSuits[std::clamp(character, 0, 2)][variant == 1 ? 1 : 0];
  l.skin = Rgb{236, 200, 170};
  l.hair = kHair[std::clamp(character, 0, 2)];
  l.accent = Rgb{250, 240, 90};
  if (variant == 2) {
    // Seen through night vision: one green scale.
    l.suit = Rgb{40, 200, 70};
    l.skin = Rgb{150, 255, 160};
    l.hair = Rgb{90, 230, 110};
    l.accent = Rgb{220, 255, 220};
  }
  l.limb = Scale(l.suit, 80);
  l.far = Scale(l.suit, 55);
  return l;
}

struct P {
  double x, y;
};

// A body in one pose, in cell co-ordinates facing right.
struct Pose {
  P hip{60, 57};
  double lean = 0;  // torso, degrees forward from upright
  P footFront{64, kGround}, footBack{56, kGround};
  P handFront{66, 62}, handBack{54, 62};
  bool gun = false;  // a pistol in the front hand
  double gunAngle = 0;
  bool backView = false;  // on a ladder: seen from behind
  double spin = 0;        // a whole-body rotation (the flip)
  int fade = 255;         // entering a hiding place: darker
};

// The middle joint of a two-part limb from its ends; it bends towards `side`.
P Joint(P a, P b, double length, double side) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  double d = std::sqrt(dx * dx + dy * dy);
  d = std::max(d, 0.001);
  const double reach = std::min(d, 2 * length - 0.01);
  const double h = std::sqrt(std::max(0.0, length * length - reach * reach / 4));
  const P mid{a.x + dx / 2, a.y + dy / 2};
  return P{mid.x - dy / d * h * side, mid.y + dx / d * h * side};
}

class Painter {
 public:
  Painter(Canvas& c, int x, int y, const Look& look) : c_(c), x_(x), y_(y), look_(look) {}

  void Draw(const Pose& pose) {
    pose_ = pose;
    const Rgb limb = Faded(look_.limb), far = Faded(look_.far), suit = Faded(look_.suit);
    const P hip = pose.hip;
    const double lean = pose.lean * kPi / 180;
    const P neck{hip.x + std::sin(lean) * 24, hip.y - std::cos(lean) * 24};
    const P shoulder{hip.x + std::sin(lean) * 20, hip.y - std::cos(lean) * 20};
    const P head{neck.x + std::sin(lean) * 9, neck.y - std::cos(lean) * 9};
    // Far limbs first, then the body, then the near limbs.
    Limb(hip, pose.footBack, kLeg, 1, 8, far);
    Limb(shoulder, pose.handBack, kArm, -1, 6, far);
    Segment(hip, neck, 16, suit);
    Segment(P{hip.x, hip.y}, P{hip.x + std::sin(lean) * 4, hip.y - std::cos(lean) * 4}, 14, Scale(suit, 70));
    Limb(hip, pose.footFront, kLeg, 1, 8, limb);
    if (pose.gun) {
      const double a = pose.gunAngle * kPi / 180;
      const P hand{shoulder.x + std::cos(a) * 24, shoulder.y - std::sin(a) * 24};
      Segment(shoulder, hand, 5, limb);
      Segment(hand, P{hand.x + std::cos(a) * 12, hand.y - std::sin(a) * 12}, 5, Rgb{40, 40, 48});
    } else {
      Limb(shoulder, pose.handFront, kArm, -1, 6, limb);
    }
    Disc(head, 10, Faded(pose.backView ? look_.hair : look_.skin));
    if (!pose.backView) {
      Disc(P{head.x - 3, head.y - 4}, 7, Faded(look_.hair));
      // The visor shows which way the player faces.
      const P eye = Turn(P{head.x + 5, head.y - 1});
      c_.FillRect({x_ + static_cast<int>(eye.x) - 3, y_ + static_cast<int>(eye.y) - 2, 7, 4}, Faded(look_.accent));
    }
  }

 private:
  Rgb Faded(Rgb c) const { return Scale(c, pose_.fade * 100 / 255); }

  // The spin turns every point about the body's middle.
  P Turn(P p) const {
    if (pose_.spin == 0) return p;
    const double a = pose_.spin * kPi / 180, cx = 60, cy = 58;
    const double dx = p.x - cx, dy = p.y - cy;
    return P{cx + dx * std::cos(a) - dy * std::sin(a), cy + dx * std::sin(a) + dy * std::cos(a)};
  }
  void Segment(P a, P b, int thickness, Rgb colour) {
    a = Turn(a);
    b = Turn(b);
    c_.Line(x_ + static_cast<int>(a.x), y_ + static_cast<int>(a.y), x_ + static_cast<int>(b.x),
            y_ + static_cast<int>(b.y), thickness, colour);
  }
  void Disc(P p, int radius, Rgb colour) {
    p = Turn(p);
    c_.FillCircle(x_ + static_cast<int>(p.x), y_ + static_cast<int>(p.y), radius, colour);
  }
  void Limb(P from, P to, double length, double side, int thickness, Rgb colour) {
    const P joint = Joint(from, to, length, side);
    Segment(from, joint, thickness, colour);
    Segment(joint, to, thickness, colour);
  }

  Canvas& c_;
  int x_, y_;
  const Look& look_;
  Pose pose_;
};

Pose Stand(int breath) {
  Pose p;
  p.hip.y += breath % 2;
  p.handFront = {65, 63.0 + breath % 2};
  p.handBack = {55, 63};
  return p;
}

// Walking and running: phase 0..15 of the cycle.
Pose Stride(int phase, double reach, double lean) {
  Pose p;
  const double a = 2 * kPi * phase / 16;
  const double s = std::sin(a);
  p.lean = lean;
  p.hip.y = 58 - std::abs(std::cos(a)) * 2;
  p.footFront = {60 + s * reach, kGround - std::max(0.0, std::cos(a)) * 6};
  p.footBack = {60 - s * reach, kGround - std::max(0.0, -std::cos(a)) * 6};
  p.handFront = {60 - s * reach * 0.7 + lean / 2, 64};
  p.handBack = {60 + s * reach * 0.7 + lean / 2, 64};
  return p;
}

Pose Crouch(int phase, bool moving) {
  Pose p;
  const double s = moving ? std::sin(2 * kPi * phase / 8) : 0;
  p.hip = {58, 76};
  p.lean = 25;
  p.footFront = {74 + s * 6, kGround};
  p.footBack = {50 - s * 6, kGround};
  p.handFront = {78, 78};
  p.handBack = {70, 80};
  return p;
}

Pose Air(bool rising, int step) {
  Pose p;
  p.hip = {60, rising ? 50.0 - step : 52.0};
  if (rising) {
    p.footFront = {70, 70.0 - step};
    p.footBack = {54, 76.0 - step};
    p.handFront = {70, 30};
    p.handBack = {50, 40};
  } else {
    p.footFront = {64, 89};
    p.footBack = {54, 86};
    p.handFront = {74, 28.0 + step * 2};
    p.handBack = {46, 30.0 + step * 2};
  }
  return p;
}

Pose Aim(double angle, int recoil) {
  Pose p = Stand(0);
  p.footFront = {70, kGround};
  p.footBack = {50, kGround};
  p.gun = true;
  p.gunAngle = angle;
  p.hip.x -= recoil;
  p.handBack = {66, 50};
  return p;
}

// Hanging from a ledge or a pipe: the hands at the top of the cell.
Pose Hang(double handsX, int sway) {
  Pose p;
  p.hip = {60.0 + sway, 62};
  p.handFront = {handsX + 6, 12};
  p.handBack = {handsX - 4, 12};
  p.footFront = {62.0 + sway * 2, 98};
  p.footBack = {56.0 + sway * 2, 96};
  return p;
}

Pose Ladder(int frame) {
  Pose p;
  const bool even = frame % 4 < 2;
  p.backView = true;
  p.hip = {60, 58};
  p.handFront = {70, even ? 14.0 : 24.0};
  p.handBack = {50, even ? 24.0 : 14.0};
  p.footFront = {68, even ? 80.0 : 92.0};
  p.footBack = {52, even ? 92.0 : 80.0};
  return p;
}

Pose Down(int step) {
  // Falling backwards onto the floor, step 0..4.
  Pose p = Stand(0);
  p.lean = -std::min(step, 4) * 20;
  p.hip = {60.0 - step * 4, 57.0 + step * 7};
  p.footFront = {70.0 + step * 4, kGround};
  p.footBack = {60.0 + step * 4, kGround};
  p.handFront = {p.hip.x - 10, p.hip.y - 10 + step * 3};
  p.handBack = {p.hip.x - 18, p.hip.y - 6 + step * 3};
  return p;
}

// The box gadget: a cardboard box over the player; walking, only the feet show under it.
void DrawBox(Canvas& c, int x, int y, int step, bool walking, Rgb feet) {
  const Rgb card{176, 136, 84};
  const int lift = walking ? step % 2 : 0;
  if (walking) {
    c.FillRect({x + 44 + (step % 2) * 6, y + 88, 10, 5}, feet);
    c.FillRect({x + 64 - (step % 2) * 6, y + 88, 10, 5}, feet);
  }
  const int bottom = walking ? 88 : 93;
  c.FillRect({x + 32, y + 34 - lift, 56, bottom - 34}, card);
  c.FrameRect({x + 32, y + 34 - lift, 56, bottom - 34}, 2, Scale(card, 60));
  c.Line(x + 32, y + 44 - lift, x + 88, y + 44 - lift, 1, Scale(card, 60));
  c.FillRect({x + 70, y + 50 - lift, 10, 4}, kInk);  // the eye slit
}

Pose CellPose(int sheet, int row, int col, int character, bool* box, bool* nothing) {
  *box = false;
  *nothing = false;
  if (sheet == 1) {
    switch (row) {
      case 0:
        if (col == 7) {  // at a control terminal, hands on the panel
          Pose p = Stand(0);
          p.handFront = {86, 52};
          p.handBack = {80, 56};
          p.lean = 10;
          return p;
        }
        return col >= 3 && col <= 4 ? Stride(col == 3 ? 2 : 14, 4, 0) : Stand(col);
      case 1: return Stride(col, 14, 4);
      case 2: return Stride(col + 8, 14, 4);
      case 3: return col >= 4 && col <= 6 ? Air(false, col - 4) : Crouch(0, false);
      case 4: return Aim(0, col % 3);
      case 5: return col <= 3 ? Air(true, col * 2) : Air(false, col - 4);
      case 6: {
        if (col == 0) return Hang(86, 0);
        // Climbing onto the ledge: the body rises past the hands, a knee comes up.
        Pose p = Hang(86, 0);
        const int k = std::min(col, 5);
        p.hip = {70.0 + k * 4, 62.0 - k * 9};
        p.footFront = {84.0 + k * 2, 90.0 - k * 12};
        p.footBack = {64.0 + k * 3, 98.0 - k * 10};
        p.handFront = {88, 14.0 + k * 6};
        p.handBack = {82, 16.0 + k * 6};
        return p;
      }
      case 7: return col == 7 && character == 2 ? Stand(1) : Aim(col % 2 ? 8 : 0, 0);
      default: return col >= 3 && col <= 5 ? Stand(col) : Aim(4, col % 2);
    }
  }
  if (sheet == 2) {
    switch (row) {
      case 0: return Stride(col * 2 / 2, 20, 14);
      case 1: return Stride(col + 8, 20, 14);
      case 2: {
        Pose p = Crouch(0, false);
        p.hip = {60, 56};
        p.footFront = {72, 70};
        p.footBack = {64, 74};
        p.handFront = {72, 60};
        p.spin = col * 45;
        return p;
      }
      case 3: return Crouch(col, true);
      case 4:
        if (col <= 1) {  // thrown back by a hit
          Pose p = Stand(0);
          p.lean = -25;
          p.hip.x -= 4;
          p.handFront = {40, 30};
          p.handBack = {36, 44};
          return p;
        }
        if (col <= 3) {
          Pose p = Stand(0);
          p.lean = -10 - (col - 2) * 8;
          return p;
        }
        return Down(col - 2);
      case 5: {
        static const double kAngles[] = {0, -22, -37, -52, 22, 37, 52, 0};
        return Aim(kAngles[col], 0);
      }
      case 6: {
        Pose p = Stand(0);
        p.handFront = {70, 58.0 - (col % 4) * 3};
        p.handBack = {64, 66.0 - (col % 3) * 4};
        return p;
      }
      case 7: {
        Pose p = Stand(0);
        p.handFront = {72, 40.0 + (col % 3) * 6};
        return p;
      }
      default: *nothing = true; return Stand(0);  // the hit flashes take this row
    }
  }
  switch (row) {
    case 3: return Hang(60.0 + (col >= 3 ? (col - 3) * 4 : 0), col < 3 ? col - 1 : 0);
    case 4: {
      Pose p = Hang(60, 0);
      p.gun = col == 3;
      p.gunAngle = -10;
      return p;
    }
    case 5: return Ladder(col);
    case 6:
      if (col <= 3) {  // stepping into the hiding place: turning away into the dark
        Pose p = col % 2 ? Ladder(0) : Stand(0);
        p.backView = col >= 1;
        p.fade = 255 - col * 45;
        return p;
      }
      if (col == 4) {
        *box = true;
        return Stand(0);
      }
      {
        Pose p = Stand(0);  // holding on (the helicopter pose)
        p.handFront = {66, 10};
        p.handBack = {58, 14};
        return p;
      }
    case 7: {
      // From a crouched landing up to a salute.
      if (col <= 2) return Crouch(0, false);
      Pose p = Stand(0);
      p.handFront = col >= 5 ? P{70, 30} : P{68, 50};
      return p;
    }
    case 8:
      if (character == 2 && col >= 3 && col <= 5) return Stand(col);
      *box = true;
      return Stride(col * 2, 8, 0);
    default: return Stand(col);
  }
}

}  // namespace

void PaintPlayerCell(Canvas& c, int x, int y, int character, int variant, int sheet, int row, int col) {
  const Look look = LookOf(character, variant);
  bool box = false, nothing = false;
  const Pose pose = CellPose(sheet, row, col, character, &box, &nothing);
  if (nothing) return;
  if (box) {
    DrawBox(c, x, y, col, row == 8, look.limb);
    return;
  }
  Painter(c, x, y, look).Draw(pose);
}

void PaintPlayerSheet(Canvas& c, int character, int variant, int sheet) {
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kColumns; ++col) {
      const int x = col * kCellWidth, y = row * kCellHeight;
      if (sheet == 2 && y >= kFlashY && x < 2 * kFlashSize) continue;
      PaintPlayerCell(c, x, y, character, variant, sheet, row, col);
    }
  }
  if (sheet == 2) {
    for (int i = 0; i < 2; ++i) {
      const int cx = i * kFlashSize + kFlashSize / 2, cy = kFlashY + kFlashSize / 2;
      c.Glow(cx, cy, 70, i == 0 ? Rgb{255, 120, 80} : Rgb{255, 230, 160});
      for (int ray = 0; ray < 12; ++ray) {
        const double a = ray * kPi / 6 + i * 0.26;
        c.Line(cx, cy, cx + static_cast<int>(std::cos(a) * 70), cy + static_cast<int>(std::sin(a) * 70), 2,
               Rgb{255, 240, 200});
      }
    }
  }
}

}  // namespace dataset
