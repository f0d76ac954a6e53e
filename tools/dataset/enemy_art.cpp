// The enemies' sprite sheets. Soldiers are jointed figures posed per cell (feet at y 94 of
// their 120 x 108 cells, where the game puts a soldier's feet); machines and creatures are
// drawn round the point the game draws them from.
#include "tools/dataset/enemy_art.h"

#include <algorithm>
#include <cmath>

namespace dataset {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr int kCellW = 120, kCellH = 108;
constexpr int kFeet = 94;

struct P {
  P() = default;
  P(double px, double py) : x(px), y(py) {}
  double x = 0, y = 0;
};

P Polar(P from, double degrees, double length) {
  const double a = degrees * kPi / 180;
  return {from.x + std::cos(a) * length, from.y + std::sin(a) * length};
}

// The middle joint of a limb of two equal parts; it bends towards `side`.
P Joint(P a, P b, double part, double side) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double d = std::max(0.001, std::sqrt(dx * dx + dy * dy));
  const double reach = std::min(d, 2 * part - 0.01);
  const double h = std::sqrt(std::max(0.0, part * part - reach * reach / 4));
  return {a.x + dx / 2 - dy / d * h * side, a.y + dy / 2 + dx / d * h * side};
}

// ---- Foot soldiers ----

enum class Weapon { kRifle, kShotgun, kSmg, kMachineGun, kSniper, kNone };
enum class Head { kForward, kBack, kUp, kDown, kAsleep, kScared };

struct Pose {
  P hip{60, 66};
  double lean = 0;  // degrees, positive forward
  P footF{66, kFeet}, footB{54, kFeet};
  P handF{72, 52}, handB{64, 54};
  Weapon weapon = Weapon::kRifle;
  double gunAngle = 60;  // degrees from the front hand; 0 straight ahead, 90 down
  Head head = Head::kForward;
  double spin = 0;  // the whole body turned round (60, 94): lying, falling
  bool flash = false;
  bool headphones = false;
  bool cigarette = false;
};

struct SoldierLook {
  Rgb uniform, limb, far, helmet, skin, gun, accent;
  bool vest;
};

SoldierLook LookFor(bool reinforced) {
  SoldierLook l;
  if (reinforced) {
    l.uniform = {60, 80, 150};
    l.helmet = {40, 50, 100};
    l.accent = {230, 60, 50};
  } else {
    l.uniform = {104, 120, 62};
    l.helmet = {80, 92, 46};
    l.accent = {240, 200, 60};
  }
  l.limb = Scale(l.uniform, 85);
  l.far = Scale(l.uniform, 60);
  l.skin = {230, 190, 150};
  l.gun = {58, 58, 66};
  l.vest = reinforced;
  return l;
}

class SoldierPainter {
 public:
  SoldierPainter(Canvas& c, int cellX, int cellY, const SoldierLook& look) : c_(c), ox_(cellX), oy_(cellY), look_(look) {}

  void Draw(const Pose& p) {
    spin_ = p.spin;
    const P shoulder = Polar(p.hip, -90 + p.lean, 26);
    const P neck = Polar(p.hip, -90 + p.lean, 30);
    const P headC = Polar(p.hip, -90 + p.lean, 38);
    // Far limbs first, darker.
    Limb(p.hip, p.footB, 15, -1, look_.far, 7);
    Limb(shoulder, p.handB, 12, 1, look_.far, 5);
    Limb(p.hip, p.footF, 15, -1, look_.limb, 8);
    Boot(p.footB, look_.far);
    Boot(p.footF, Scale(look_.limb, 60));
    Line(p.hip, shoulder, 11, look_.uniform);
    if (look_.vest) Line(Polar(p.hip, -90 + p.lean, 6), Polar(p.hip, -90 + p.lean, 22), 12, Scale(look_.uniform, 70));
    Line(Polar(p.hip, -90 + p.lean, 2), Polar(p.hip, -90 + p.lean, 4), 12, look_.accent);  // belt
    Line(shoulder, neck, 5, look_.skin);
    HeadAt(headC, p);
    Gun(p);
    Limb(shoulder, p.handF, 12, 1, look_.limb, 6);
    Dot(p.handF, 3, look_.skin);
    if (p.cigarette) {
      const P tip = {p.handF.x + 7, p.handF.y - 1};
      Line(p.handF, tip, 2, kWhite);
      Dot(tip, 2, {255, 120, 40});
    }
  }

 private:
  P Map(P p) const {
    if (spin_ == 0) return {p.x + ox_, p.y + oy_};
    const double a = spin_ * kPi / 180, dx = p.x - 60, dy = p.y - kFeet;
    return {60 + dx * std::cos(a) - dy * std::sin(a) + ox_, kFeet + dx * std::sin(a) + dy * std::cos(a) + oy_};
  }
  void Line(P a, P b, int width, Rgb colour) {
    const P ma = Map(a), mb = Map(b);
    c_.Line(static_cast<int>(ma.x), static_cast<int>(ma.y), static_cast<int>(mb.x), static_cast<int>(mb.y), width, colour);
  }
  void Dot(P a, int r, Rgb colour) {
    const P m = Map(a);
    c_.FillCircle(static_cast<int>(m.x), static_cast<int>(m.y), r, colour);
  }
  void Limb(P from, P to, double part, double side, Rgb colour, int width) {
    const P mid = Joint(from, to, part, side);
    Line(from, mid, width, colour);
    Line(mid, to, width - 1, colour);
  }
  void Boot(P foot, Rgb colour) { Line({foot.x - 3, foot.y - 1}, {foot.x + 6, foot.y - 1}, 5, colour); }
  void HeadAt(P h, const Pose& p) {
    Dot(h, 8, p.head == Head::kBack ? Scale(look_.skin, 80) : look_.skin);
    // Helmet over the top half, its brim towards where the soldier looks.
    for (int dy = -9; dy <= -1; ++dy) Line({h.x - 9, h.y + dy}, {h.x + 9, h.y + dy}, 1, look_.helmet);
    Dot({h.x, h.y - 4}, 7, look_.helmet);
    switch (p.head) {
      case Head::kForward:
        Line({h.x + 2, h.y - 1}, {h.x + 10, h.y - 1}, 2, look_.helmet);
        Dot({h.x + 4, h.y + 1}, 1, kInk);
        break;
      case Head::kBack:
        Line({h.x - 10, h.y - 1}, {h.x - 2, h.y - 1}, 2, look_.helmet);
        Dot({h.x - 4, h.y + 1}, 1, kInk);
        break;
      case Head::kUp:
        Dot({h.x + 5, h.y - 2}, 1, kInk);
        Line({h.x + 4, h.y - 9}, {h.x + 10, h.y - 6}, 2, look_.helmet);
        break;
      case Head::kDown:
        Dot({h.x + 4, h.y + 4}, 1, kInk);
        break;
      case Head::kAsleep:
        Line({h.x + 2, h.y + 2}, {h.x + 6, h.y + 2}, 1, kInk);
        break;
      case Head::kScared:
        Dot({h.x + 3, h.y + 1}, 2, kWhite);
        Dot({h.x + 3, h.y + 6}, 2, kInk);
        break;
    }
    if (p.headphones) {
      Line({h.x - 8, h.y - 4}, {h.x + 8, h.y - 4}, 2, {220, 220, 230});
      Dot({h.x - 1, h.y + 1}, 3, {230, 60, 160});
    }
  }
  void Gun(const Pose& p) {
    if (p.weapon == Weapon::kNone) return;
    const P grip = p.handF;
    double length = 34, width = 4;
    Rgb colour = look_.gun;
    switch (p.weapon) {
      case Weapon::kShotgun: length = 30, width = 6, colour = {110, 70, 40}; break;
      case Weapon::kSmg: length = 22, width = 7, colour = {70, 70, 90}; break;
      case Weapon::kMachineGun: length = 44, width = 6, colour = {40, 44, 40}; break;
      case Weapon::kSniper: length = 52, width = 3, colour = {60, 70, 60}; break;
      default: break;
    }
    const P back = Polar(grip, p.gunAngle + 180, 12), front = Polar(grip, p.gunAngle, length);
    Line(back, front, static_cast<int>(width), colour);
    if (p.weapon == Weapon::kSniper) Line(Polar(grip, p.gunAngle, 4), Polar(grip, p.gunAngle, 16), 4, {30, 30, 30});
    if (p.weapon == Weapon::kMachineGun) Line(grip, {grip.x - 4, grip.y + 10}, 3, {200, 170, 60});  // ammunition belt
    if (p.flash) {
      const P m = Map(Polar(grip, p.gunAngle, length + 6));
      c_.FillCircle(static_cast<int>(m.x), static_cast<int>(m.y), 6, {255, 220, 90});
      c_.FillCircle(static_cast<int>(m.x), static_cast<int>(m.y), 3, kWhite);
    }
  }

  Canvas& c_;
  int ox_, oy_;
  SoldierLook look_;
  double spin_ = 0;
};

Pose Standing(Head head) {
  Pose p;
  p.head = head;
  if (head == Head::kBack) p.gunAngle = 120;
  if (head == Head::kUp) p.lean = -6;
  return p;
}

Pose Walking(int frame) {
  Pose p;
  const double phase = frame * 2 * kPi / 8;
  const double s = std::sin(phase);
  p.footF = {60 + 14 * s, kFeet - (s > 0 ? 0 : 4 * -s)};
  p.footB = {60 - 14 * s, kFeet - (s < 0 ? 0 : 4 * s)};
  p.hip = {60, 66 - std::abs(std::cos(phase)) * 2};
  p.lean = 6;
  p.handF = {74 + 4 * std::cos(phase), 52 + 2 * s};
  p.gunAngle = 20;
  return p;
}

// Raising the weapon, aimed, the shot's flash, the recoil, settling again.
Pose Aiming(int frame, Weapon w) {
  static const double kAngle[5] = {40, 0, 0, -8, -3};
  static const int kRecoil[5] = {0, 0, 1, 2, 0};
  Pose p;
  const int recoil = kRecoil[frame];
  p.footF = {72, kFeet};
  p.footB = {48, kFeet};
  p.lean = (frame == 4 ? 8 : 4) - recoil * 3;
  p.handF = {80.0 - recoil * 3, 44};
  p.handB = {70.0 - recoil * 3, 46};
  p.gunAngle = kAngle[frame];
  p.flash = frame == 2;
  p.weapon = w;
  return p;
}

Pose Smoking(int step) {
  Pose p = Standing(Head::kForward);
  p.cigarette = true;
  p.weapon = Weapon::kNone;
  p.handB = {52, 64};
  const P hands[7] = {{66, 62}, {70, 48}, {70, 38}, {72, 56}, {70, 38}, {74, 40}, {76, 36}};
  p.handF = hands[std::clamp(step, 0, 6)];
  if (step >= 4) p.head = Head::kUp;
  return p;
}

Pose Asleep(int depth) {
  Pose p;
  p.head = depth == 0 ? Head::kForward : Head::kAsleep;
  p.weapon = Weapon::kRifle;
  p.gunAngle = 80;
  // Nodding off: sinking down to sit on the floor.
  p.hip = {60.0 - depth * 2, 66.0 + depth * 7};
  p.lean = 8 + depth * 10;
  p.footF = {68.0 + depth * 4, kFeet};
  p.handF = {66, 62.0 + depth * 6};
  return p;
}

Pose KnockedOut(int step) {
  Pose p;
  p.head = Head::kAsleep;
  p.weapon = step < 2 ? Weapon::kRifle : Weapon::kNone;
  p.spin = -std::min(90, step * 25);
  p.handF = {74, 60};
  return p;
}

Pose Music(int frame, bool guitar) {
  Pose p;
  p.headphones = true;
  p.head = frame % 2 == 0 ? Head::kForward : Head::kDown;
  if (guitar) {
    p.gunAngle = -15;
    p.handF = {70, 62};
    p.handB = {58.0 + frame * 2, 56.0 + frame % 2 * 4};
    p.lean = -4;
  } else {
    p.gunAngle = 95;
    p.lean = frame * 3;
  }
  return p;
}

Pose Climbing(int step) {
  Pose p;
  p.weapon = Weapon::kNone;
  const double rise = step * 6;
  p.hip = {60, 66 - rise};
  p.handF = {74, 26 - rise / 2};
  p.handB = {70, 28 - rise / 2};
  p.footF = {68, kFeet - rise - (step % 2) * 8};
  p.footB = {60, kFeet - rise};
  p.lean = 10 + step * 4;
  p.head = Head::kUp;
  return p;
}

Pose Cowering(int frame) {
  Pose p;
  p.weapon = Weapon::kNone;
  p.hip = {56, 80.0 + frame / 3};
  p.lean = 25 + frame % 3 * 4;
  p.footF = {70, kFeet};
  p.footB = {52, kFeet};
  p.handF = {64.0 + (frame % 2) * 2, 40.0 + frame % 3 * 2};
  p.handB = {58, 40};
  p.head = Head::kScared;
  return p;
}

Pose Sniping(int frame, bool flash) {
  Pose p;
  p.weapon = Weapon::kSniper;
  p.hip = {54, 84};  // kneeling
  p.footF = {72, kFeet};
  p.footB = {38, kFeet};
  p.lean = 12;
  p.handF = {78.0 - (frame > 4 ? 3 : 0), 58};
  p.handB = {70, 60};
  p.gunAngle = frame < 4 ? 30 - frame * 8 : -(frame > 4 ? 4 : 0);
  p.flash = flash;
  return p;
}

void PaintSoldierSheetA(Canvas& c, bool reinforced) {
  const SoldierLook look = LookFor(reinforced);
  const auto cell = [&](int col, int row, const Pose& p) {
    SoldierPainter(c, col * kCellW, row * kCellH, look).Draw(p);
  };
  cell(0, 0, Standing(Head::kForward));
  cell(1, 0, Standing(Head::kDown));
  cell(2, 0, Standing(Head::kBack));
  cell(3, 0, Standing(Head::kUp));
  for (int f = 0; f < 8; ++f) cell(f, 1, Walking(f));
  for (int s = 0; s < 6; ++s) cell(s, 2, Smoking(s));
  for (int f = 0; f < 5; ++f) cell(f, 3, Aiming(f, Weapon::kRifle));
  for (int d = 0; d < 4; ++d) cell(d, 4, Asleep(d));
  for (int s = 0; s < 4; ++s) cell(4 + s, 4, KnockedOut(s + 1));
  for (int f = 0; f < 3; ++f) cell(f, 5, Music(f, false));
  for (int f = 0; f < 4; ++f) cell(3 + f, 5, Music(f, true));
  for (int s = 0; s < 5; ++s) cell(s, 6, Climbing(s));
  for (int s = 0; s < 4; ++s) cell(s, 7, Climbing(s > 2 ? 4 : s));
  // Smoke puffs of the exhaling cells.
  for (int s : {4, 5}) c.Glow(s * kCellW + 88, 2 * kCellH + 28, 8 + (s - 4) * 4, {150, 150, 150});
}

void PaintSoldierSheetB(Canvas& c, bool reinforced) {
  const SoldierLook look = LookFor(reinforced);
  const auto cell = [&](int col, int row, const Pose& p) {
    SoldierPainter(c, col * kCellW, row * kCellH, look).Draw(p);
  };
  for (int f = 0; f < 7; ++f) cell(f, 0, Cowering(f));
  for (int d = 0; d < 4; ++d) {
    Pose p = Asleep(std::min(3, d + 1));
    if (d == 3) p.lean += 6;  // slumped further
    cell(d, 1, p);
  }
  for (int f = 0; f < 7; ++f) cell(f, 2, Sniping(f, f == 5));
  const Weapon weapons[4] = {Weapon::kRifle, Weapon::kShotgun, Weapon::kSmg, Weapon::kMachineGun};
  for (int w = 0; w < 4; ++w) {
    for (int f = 0; f < 5; ++f) cell(f, 3 + w, Aiming(f, weapons[w]));
  }
}

// ---- Machines ----

// A camera on a ceiling mount at (px, py) of the cell, its body pointing at `degrees`.
void PaintCamera(Canvas& c, int px, int py, double degrees, bool gun) {
  const Rgb body = gun ? Rgb{150, 70, 70} : Rgb{150, 155, 165};
  c.FillRect({px - 10, py - 14, 20, 5}, {90, 90, 100});
  c.Line(px, py - 10, px, py - 2, 3, {90, 90, 100});
  const P o{static_cast<double>(px), static_cast<double>(py)};
  const P back = Polar(o, degrees + 180, 8), front = Polar(o, degrees, 18);
  c.Line(static_cast<int>(back.x), static_cast<int>(back.y), static_cast<int>(front.x), static_cast<int>(front.y), 12, body);
  const P lens = Polar(o, degrees, 19);
  c.FillCircle(static_cast<int>(lens.x), static_cast<int>(lens.y), 4, {40, 40, 60});
  c.FillCircle(static_cast<int>(lens.x), static_cast<int>(lens.y), 2, gun ? Rgb{255, 80, 60} : Rgb{120, 200, 255});
  if (gun) {
    const P b1 = Polar(Polar(o, degrees + 90, 7), degrees, 4), b2 = Polar(Polar(o, degrees + 90, 7), degrees, 28);
    c.Line(static_cast<int>(b1.x), static_cast<int>(b1.y), static_cast<int>(b2.x), static_cast<int>(b2.y), 3, {50, 50, 55});
  }
  c.FillCircle(px - 3, py - 6, 2, {255, 50, 40});  // the recording lamp
}

void PaintCameraSheet(Canvas& c, bool gun) {
  // Cells by view angle; the game mirrors every camera cell, so each is drawn facing the
  // other way round the point (41, 50) that lands on the camera.
  struct Cell {
    int x, y;
    double angle;
  };
  const Cell cells[] = {{80, 0, 30}, {160, 0, 52}, {0, 80, 67}, {80, 80, 90}, {160, 80, 112}, {0, 160, 127}, {80, 160, 150}, {0, 0, 15}, {160, 160, 165}};
  for (const Cell& k : cells) PaintCamera(c, k.x + 41, k.y + 40, 180 - k.angle, gun);
}

void PaintDrone(Canvas& c) {
  c.FillChamfered({16, 30, 48, 20}, 6, {110, 140, 130});
  c.FrameChamfered({16, 30, 48, 20}, 6, 2, {60, 80, 80});
  c.Line(10, 24, 70, 24, 3, {70, 70, 70});
  c.Line(40, 24, 40, 30, 3, {70, 70, 70});
  c.FillRect({6, 21, 16, 3}, {200, 200, 210});
  c.FillRect({58, 21, 16, 3}, {200, 200, 210});
  c.FillCircle(52, 46, 6, {40, 40, 60});
  c.FillCircle(53, 47, 3, {120, 220, 255});
  c.FillCircle(24, 40, 2, {255, 80, 60});
}

void PaintTurret(Canvas& c) {
  c.FillChamfered({26, 16, 40, 24}, 5, {160, 110, 60});
  c.FrameChamfered({26, 16, 40, 24}, 5, 2, {90, 60, 30});
  c.FillRect({60, 20, 38, 7}, {70, 70, 76});
  c.FillRect({92, 18, 6, 11}, {50, 50, 56});
  c.FillCircle(42, 26, 5, {255, 210, 60});
  c.FillRect({20, 36, 52, 4}, {90, 90, 96});
}

void PaintDischargeTubes(Canvas& c) {
  const auto tube = [&](int y, bool up) {
    c.FillRect({12, y + (up ? 14 : 0), 16, 26}, {80, 160, 200});
    c.FrameRect({12, y + (up ? 14 : 0), 16, 26}, 2, {40, 90, 120});
    const int tip = up ? y + 12 : y + 28;
    c.FillCircle(20, tip, 5, {200, 240, 255});
  };
  tube(0, true);
  tube(120, false);
  // Sparks for the discharges.
  for (int i = 0; i < 2; ++i) {
    const int y = 40 + i * 40;
    c.Line(20, y + 4, 14, y + 16, 2, {180, 230, 255});
    c.Line(14, y + 16, 26, y + 24, 2, {180, 230, 255});
    c.Line(26, y + 24, 18, y + 36, 2, {255, 255, 255});
  }
}

// ---- Creatures ----

void PaintBombSoldier(Canvas& c) {
  // Point at (20, 10) of each cell; the feet at y 28.
  const auto bomb = [&](int x, int y, int step, bool idle) {
    c.FillCircle(x + 20, y + 16, 9, {60, 60, 70});
    c.FillCircle(x + 17, y + 13, 3, {140, 140, 160});
    c.Line(x + 24, y + 8, x + 28, y + 2, 2, {170, 130, 80});
    c.FillCircle(x + 29, y + 2, 2, idle ? Rgb{120, 90, 60} : Rgb{255, 200, 60});
    static const int kStride[4] = {3, 1, -3, -1};
    const int s = idle ? 0 : kStride[step % 4];
    c.Line(x + 16, y + 23, x + 16 - s, y + 28, 3, {170, 60, 50});
    c.Line(x + 24, y + 23, x + 24 + s, y + 28, 3, {170, 60, 50});
    c.FillCircle(x + 24, y + 15, 2, kWhite);
  };
  for (int i = 0; i < 4; ++i) bomb(i * 40, 0, i, false);
  bomb(160, 0, 0, true);
  const auto blast = [&](int x, int y, int r) {
    c.Glow(x + 20, y + 18, r, {255, 160, 40});
    c.FillCircle(x + 20, y + 18, r / 2, {255, 240, 150});
  };
  blast(80, 40, 8);
  blast(120, 40, 12);
  blast(0, 80, 18);
  blast(40, 80, 14);
}

void PaintFlower(Canvas& c, int x, int y, int sway, bool firing, Rgb petals) {
  c.Line(x + 20, y + 38, x + 20 + sway, y + 20, 3, {80, 130, 80});
  c.Line(x + 20, y + 32, x + 12, y + 28, 2, {80, 130, 80});
  for (int k = 0; k < 6; ++k) {
    const P tip = Polar({static_cast<double>(x + 20 + sway), static_cast<double>(y + 16)}, k * 60 + sway * 5, 9);
    c.FillCircle(static_cast<int>(tip.x), static_cast<int>(tip.y), 5, petals);
  }
  c.FillCircle(x + 20 + sway, y + 16, 5, {90, 90, 100});
  c.FillRect({x + 22 + sway, y + 14, 10, 4}, {60, 60, 70});  // the nozzle, facing right
  if (firing) c.Glow(x + 34 + sway, y + 16, 7, {255, 140, 40});
}

void PaintFlowerSheet(Canvas& c) {
  const Rgb petals{190, 80, 190};
  PaintFlower(c, 0, 0, -2, false, petals);
  PaintFlower(c, 40, 0, 0, false, petals);
  PaintFlower(c, 80, 0, 2, false, petals);
  PaintFlower(c, 0, 40, 0, true, petals);
  PaintFlower(c, 40, 40, 0, false, Scale(petals, 80));
  for (int i = 0; i < 4; ++i) {
    const int x = (i == 0 ? 80 : (i - 1) * 40), y = i == 0 ? 40 : 80;
    c.Glow(x + 20, y + 20, 8 + i * 4, {255, 150, 60});
    c.FillCircle(x + 20, y + 20, 4 + i, {255, 235, 160});
  }
}

void PaintEmergingFlower(Canvas& c) {
  // Frame (0, 0): a faint bud; frame (0, 80): the flower itself; rows 40..79 the wipe.
  c.Glow(20, 22, 12, {120, 60, 150});
  c.FillCircle(20, 24, 5, {150, 90, 180});
  PaintFlower(c, 0, 80, 0, false, {150, 60, 170});
  for (int y = 40; y < 80; y += 4) c.Line(6, y, 34, y, 1, {100, 60, 130});
}

void PaintLaserPointer(Canvas& c) {
  for (int i = 0; i < 4; ++i) {
    const int x = (i % 2) * 40, y = (i / 2) * 40;
    c.FillRect({x + 8, y + 20, 24, 10}, {200, 60, 60});
    c.FillRect({x + 4, y + 28, 32, 4}, {90, 90, 96});
    c.FillCircle(x + 30, y + 25, 3, i == 0 ? Rgb{120, 40, 40} : Rgb{140, 255, 140});
    if (i > 0) c.Glow(x + 30, y + 25, 4 + i * 2, {90, 255, 90});
  }
}

void PaintSlime(Canvas& c) {
  const Rgb green{80, 200, 90};
  const auto blob = [&](int x, int y, int squash, int lean, bool eyes, int fade) {
    const Rgb body = Scale(green, fade);
    const int h = 12 - squash, w = 12 + squash;
    for (int dy = -h; dy <= 0; ++dy) {
      const double f = std::sqrt(1.0 - static_cast<double>(dy * dy) / (h * h));
      const int half = static_cast<int>(w * f);
      c.Line(x + 20 - half + lean * (-dy) / h, y + 33 + dy, x + 20 + half + lean * (-dy) / h, y + 33 + dy, 1, body);
    }
    c.FillCircle(x + 15 + lean / 2, y + 33 - h / 2 - 1, 2, Mix(body, kWhite, 180));
    if (eyes) {
      c.FillCircle(x + 22 + lean, y + 33 - h + 4, 2, kInk);
      c.FillCircle(x + 27 + lean, y + 33 - h + 4, 2, kInk);
    }
  };
  const int idle[7] = {0, 1, 2, 3, 2, 1, 0};
  for (int i = 0; i < 6; ++i) blob(i * 40, 0, idle[i], i >= 3 ? 2 : 0, true, 100);
  blob(0, 40, 0, 0, true, 100);
  const int chase[8] = {3, 1, -1, -3, -1, 2, 4, 0};
  for (int i = 0; i < 5; ++i) blob(40 + i * 40, 40, chase[i], 4, true, 100);
  blob(0, 80, chase[5], 5, true, 100);
  blob(40, 80, chase[6], 5, true, 100);
  blob(80, 80, 0, 3, true, 100);
  blob(120, 80, 4, 0, false, 70);
  blob(160, 80, 6, 0, false, 45);
}

void PaintFairy(Canvas& c, bool glow) {
  // Point (60, 68) of each 120 x 108 cell.
  const auto fairy = [&](int col, int row, int wing, bool blink, bool chasing, int fade) {
    const int x = col * kCellW + 60, y = row * kCellH + 52;
    const Rgb wings = Scale({180, 220, 255}, fade), body = Scale({240, 200, 230}, fade);
    if (glow) {
      c.Glow(x, y, 26, Scale({170, 200, 255}, fade));
      return;
    }
    const int spread = 10 + wing * 6;
    c.FillTriangle(x - 2, y - 4, x - 4 - spread, y - 18, x - 8, y + 6, wings);
    c.FillTriangle(x + 2, y - 4, x + 4 + spread, y - 18, x + 8, y + 6, Scale(wings, 85));
    c.Line(x, y - 4, chasing ? x + 6 : x, y + 14, 6, body);
    c.FillCircle(x + (chasing ? 2 : 0), y - 10, 6, {250, 220, 200});
    c.Line(x - 6, y - 16, x + 6, y - 16, 2, {250, 230, 110});
    if (blink) {
      c.Line(x + 1, y - 10, x + 5, y - 10, 1, kInk);
    } else {
      c.FillCircle(x + 3, y - 10, 1, kInk);
    }
    if (chasing) c.Line(x + 4, y, x + 14, y - 6, 2, {250, 220, 200});
  };
  fairy(0, 0, 0, false, false, 100);
  fairy(1, 0, 1, false, false, 100);
  fairy(2, 0, 2, false, false, 100);
  fairy(3, 0, 1, true, false, 100);
  fairy(0, 1, 0, true, false, 100);
  fairy(1, 1, 1, false, true, 100);
  fairy(2, 1, 2, false, true, 100);
  fairy(3, 1, 0, false, true, 100);
  for (int i = 0; i < 4; ++i) fairy(i, 2, i % 3, true, false, 80 - i * 18);
}

void PaintSpawner(Canvas& c) {
  // A hooded figure over a pod; its core glows brighter before an emission.
  const auto figure = [&](int col, int row, int sway, int core, bool eyesShut, bool arms) {
    const int x = col * kCellW + 60, y = row * kCellH + 68;
    c.FillChamfered({x - 22, y + 6, 44, 16}, 6, {120, 100, 60});
    c.FillTriangle(x - 18 + sway, y + 8, x + 18 + sway, y + 8, x + sway, y - 46, {220, 180, 90});
    c.FillCircle(x + sway, y - 40, 9, {240, 210, 130});
    c.FillCircle(x + sway + 3, y - 40, 6, {40, 30, 30});
    if (!eyesShut) c.FillCircle(x + sway + 5, y - 41, 2, {255, 90, 60});
    c.Glow(x, y - 12, 8 + core * 3, Rgb{255, static_cast<uint8_t>(220 - core * 20), 120});
    if (arms) {
      c.Line(x - 10, y - 24, x - 28, y - 40, 3, {220, 180, 90});
      c.Line(x + 10, y - 24, x + 28, y - 40, 3, {220, 180, 90});
    }
  };
  figure(0, 0, 0, 0, false, false);
  figure(1, 0, -2, 0, false, false);
  figure(2, 0, 2, 0, false, false);
  figure(0, 1, 0, 0, true, false);
  figure(1, 1, -2, 0, true, false);
  figure(2, 1, 2, 0, true, false);
  for (int i = 0; i < 3; ++i) figure(i, 2, 0, i + 2, false, false);
  figure(0, 3, 0, 6, false, true);
}

}  // namespace

const std::vector<EnemySheetInfo>& EnemySheets() {
  static const std::vector<EnemySheetInfo> kSheets = {
      {"gsx/enemy_01.png", 960, 864, "foot soldier: stand/look, walk, smoke, fire, asleep/down, music, climb, step"},
      {"gsx/enemy_02.png", 840, 756, "foot soldier: cower, sleep, snipe, the four weapons firing"},
      {"gsx/enemy_03.png", 960, 864, "reinforced soldier: as enemy_01"},
      {"gsx/enemy_04.png", 840, 756, "reinforced soldier: as enemy_02"},
      {"gsx/camera01.png", 240, 240, "surveillance camera by view angle"},
      {"gsx/camera02.png", 240, 240, "gun camera by view angle"},
      {"gsx/camera03.png", 80, 80, "floating camera"},
      {"gsx/turret.png", 100, 40, "turret"},
      {"gsx/ele01.png", 40, 160, "discharge tube up, its sparks, tube down"},
      {"gsx/enemy_bomb.png", 200, 120, "bomb soldier walking, idle, exploding"},
      {"gsx/enemy_mad.png", 120, 120, "mechanical flower: watching, firing, exploding"},
      {"patch/enemy_mad2.png", 40, 120, "mechanical flower emerging from the spawner"},
      {"patch/enemy_pointa.png", 80, 80, "laser pointer"},
      {"gsx/enemy_slaim.png", 240, 120, "slime: idle, chasing, dying"},
      {"gsx/enemy_yousei_1.png", 480, 324, "fairy: idle, blink, chasing, dying"},
      {"gsx/enemy_yousei_2.png", 480, 324, "fairy's glow"},
      {"patch/pirel.png", 360, 432, "spawner: idle, blink, charging, emitting"},
  };
  return kSheets;
}

void PaintEnemyArt(Canvas& c, const std::string& path) {
  if (path == "gsx/enemy_01.png") PaintSoldierSheetA(c, false);
  if (path == "gsx/enemy_02.png") PaintSoldierSheetB(c, false);
  if (path == "gsx/enemy_03.png") PaintSoldierSheetA(c, true);
  if (path == "gsx/enemy_04.png") PaintSoldierSheetB(c, true);
  if (path == "gsx/camera01.png") PaintCameraSheet(c, false);
  if (path == "gsx/camera02.png") PaintCameraSheet(c, true);
  if (path == "gsx/camera03.png") PaintDrone(c);
  if (path == "gsx/turret.png") PaintTurret(c);
  if (path == "gsx/ele01.png") PaintDischargeTubes(c);
  if (path == "gsx/enemy_bomb.png") PaintBombSoldier(c);
  if (path == "gsx/enemy_mad.png") PaintFlowerSheet(c);
  if (path == "patch/enemy_mad2.png") PaintEmergingFlower(c);
  if (path == "patch/enemy_pointa.png") PaintLaserPointer(c);
  if (path == "gsx/enemy_slaim.png") PaintSlime(c);
  if (path == "gsx/enemy_yousei_1.png") PaintFairy(c, false);
  if (path == "gsx/enemy_yousei_2.png") PaintFairy(c, true);
  if (path == "patch/pirel.png") PaintSpawner(c);
}

}  // namespace dataset
