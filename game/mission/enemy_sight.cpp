#include "game/mission/enemy_sight.h"

#include <cmath>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kGoggles = 3;
constexpr int kInvisibility = 6;
constexpr int kLightReversal = 7;
constexpr int kLadder = 65;
constexpr int kStealthRule = 1;
constexpr int kBeamReach = 600;

struct Point {
  float x, y;
};

// Whether the segment a–b (an object's or the player's edge) crosses the sight or beam
// segment from e to q, both ends included; parallel lines never cross.
bool Crosses(Point a, Point b, Point e, Point q) {
  const float d = (a.x - b.x) * (q.y - e.y) - (a.y - b.y) * (q.x - e.x);
  if (d == 0.0f) return false;
  const float s = ((b.y - e.y) * (q.x - e.x) - (b.x - e.x) * (q.y - e.y)) / d;
  const float t = ((b.y - e.y) * (a.x - b.x) - (b.x - e.x) * (a.y - b.y)) / d;
  return s >= 0.0f && s <= 1.0f && t >= 0.0f && t <= 1.0f;
}

bool HiddenByBox(const ScreenBox& b, Point e, Point q) {
  const Point lt{static_cast<float>(b.left), static_cast<float>(b.top)};
  const Point lb{static_cast<float>(b.left), static_cast<float>(b.bottom)};
  const Point rt{static_cast<float>(b.right), static_cast<float>(b.top)};
  const Point rb{static_cast<float>(b.right), static_cast<float>(b.bottom)};
  return Crosses(lt, lb, e, q) || Crosses(lt, rt, e, q) || Crosses(lb, rb, e, q) || Crosses(rt, rb, e, q);
}

int Direction(Point e, Point q) {
  int a = static_cast<int>(std::atan2(q.y - e.y, q.x - e.x) * 180.0f / 3.141592f);
  if (a < 0) a += 360;
  return a;
}

// The player is out of every enemy's reach: entering a hiding place, hiding still from an
// enemy that has not noticed, invisible, or in a result pose.
bool PlayerOutOfReach(const Enemy& e) {
  if (player.action == 21) return true;
  if (player.hiding != 0 && player.movingRight == 0 && player.movingLeft == 0 && e.mode != 2 && e.mode != 3) return true;
  if (player.selectedGadget == kInvisibility) return true;
  return player.action >= 52 && player.action <= 56;
}

bool Lit() {
  const bool reversed = player.selectedGadget == kLightReversal;
  return reversed ? player.isLit == 0 : player.isLit != 0;
}

bool AlertRunning() { return static_cast<int16_t>(game.alertCountdown) > 0; }

void StartAlert(int index) {
  ++game.detections;
  PlayBgm(kAlertMusic, kPlayLoop);
  SpawnReinforcements();
  AlertAllInfantry(index);
}

}  // namespace

bool EnemySightTest(int index, int eyeX, int eyeY, int range, int halfAngle, uint8_t darkSight) {
  Enemy& e = enemies[index];
  const int ex = e.x - game.scrollX, ey = e.y + game.scrollY;
  const int dx = player.x - ex, dy = player.y - ey;
  const int distance = static_cast<int>(std::sqrt(static_cast<float>(dx * dx + dy * dy)));
  bool headSeen = false, footSeen = false;
  if (distance < range) {
    const Point eye{static_cast<float>(ex + eyeX), static_cast<float>(ey + eyeY)};
    const Point head{static_cast<float>(player.x), static_cast<float>(player.y - (player.crouching != 0 ? 10 : 30))};
    const Point foot{static_cast<float>(player.x), static_cast<float>(player.y + 30)};
    headSeen = footSeen = true;
    for (int i = 0; i < game.mapObjectCount && (headSeen || footSeen); ++i) {
      const MapObject& o = pools.mapObjects[i];
      if (o.active != 1 || o.kind == kLadder) continue;
      const ScreenBox box = ObjectScreenBox(o);
      if (headSeen && HiddenByBox(box, eye, head)) headSeen = false;
      if (footSeen && HiddenByBox(box, eye, foot)) footSeen = false;
    }
    const float low = e.viewAngle - static_cast<float>(halfAngle), high = e.viewAngle + static_cast<float>(halfAngle);
    const auto inCone = [&](Point q) {
      const float a = static_cast<float>(Direction(eye, q));
      return a >= low && a <= high;
    };
    if (!inCone(head)) headSeen = false;
    if (!inCone(foot)) footSeen = false;
  }
  if (PlayerOutOfReach(e)) headSeen = footSeen = false;
  if (player.action >= 40 || (!headSeen && !footSeen) || player.life < 1) return false;
  if (!Lit() && !AlertRunning() && darkSight == 0) return false;

  if (e.kind < 17) {
    if (game.missionRules[kStealthRule] != 0 && e.subState != 10) {
      CatchPlayer();
    } else {
      if (game.alertCountdown == 0) StartAlert(index);
      game.alertCountdown = kAlertFrames;
    }
  }
  e.facing = player.x >= ex ? 0 : 1;
  return true;
}

int BeamTest(int index, float startX, float startY, float aimX, float aimY, float, uint8_t quiet) {
  Enemy& e = enemies[index];
  const bool visible = e.kind == 14 ? player.selectedGadget == kGoggles : player.selectedGadget != kGoggles;
  const unsigned int colour = e.kind == 14 ? GetColor(128, 255, 128) : GetColor(255, 128, 128);

  Point p{startX, startY};
  const float gx = aimX - startX, gy = aimY - startY;
  const float length = std::sqrt(gx * gx + gy * gy) * 0.01f;
  // An aim on the start gives no direction: the beam ends where it starts.
  if (length > 0.0f) {
    const float stepX = (gx / 20.0f) / (length / 2.0f), stepY = (gy / 20.0f) / (length / 2.0f);
    for (;;) {
      p.x += stepX;
      p.y += stepY;
      bool stopped = false;
      for (int i = 0; i < game.mapObjectCount && !stopped; ++i) {
        const MapObject& o = pools.mapObjects[i];
        if (!IsSolidActive(o) || o.kind == kLadder) continue;
        stopped = static_cast<float>(o.x + o.boxLeft) < p.x + 5 && p.x - 5 < static_cast<float>(o.x + o.boxRight) &&
                  static_cast<float>(o.y + o.boxTop) < p.y + 5 && p.y - 5 < static_cast<float>(o.y + o.boxBottom);
      }
      if (stopped || ShotStopsBeam(p.x, p.y)) break;
      const float rx = p.x - startX, ry = p.y - startY;
      if (std::sqrt(rx * rx + ry * ry) > kBeamReach) {
        if (visible) {
          DrawCircle(static_cast<int>(p.x) - game.scrollX, static_cast<int>(p.y) + game.scrollY, 2, colour, 1);
        }
        break;
      }
    }
  }
  const Point s{static_cast<float>(static_cast<int>(startX) - game.scrollX),
                static_cast<float>(static_cast<int>(startY) + game.scrollY)};
  const Point end{static_cast<float>(static_cast<int>(p.x) - game.scrollX),
                  static_cast<float>(static_cast<int>(p.y) + game.scrollY)};
  if (visible) DrawLine(static_cast<int>(s.x), static_cast<int>(s.y), static_cast<int>(end.x), static_cast<int>(end.y), colour);

  if (PlayerOutOfReach(e)) return 0;
  const float left = static_cast<float>(player.x - 10), right = static_cast<float>(player.x + 10);
  const float top = static_cast<float>(player.crouching != 0 ? player.y : player.y - 23);
  const float sideTop = static_cast<float>(player.y - 23), bottom = static_cast<float>(player.y + 23);
  const bool crossed = Crosses({left, sideTop}, {left, bottom}, s, end) || Crosses({left, top}, {right, top}, s, end) ||
                       Crosses({left, bottom}, {right, bottom}, s, end) ||
                       Crosses({right, sideTop}, {right, bottom}, s, end);
  if (!crossed || !Lit()) return 0;
  if (player.life <= 0 || e.beamCooldown != 0 || player.action >= 40) return 0;
  if (game.missionRules[kStealthRule] != 0 && e.subState != 10 && quiet == 0) {
    CatchPlayer();
  } else if (quiet == 0) {
    if (game.alertCountdown == 0) StartAlert(index);
    game.alertCountdown = kAlertFrames;
    ++game.vrDiscoveries;
  }
  return 1;
}
