// Painters of stand-in art for mission play: sprite sheets, effect strips, backgrounds and
// map chips. They are plain but distinct: every sheet is laid out in the cells the game
// cuts, and every picture is told apart by shape, colour or a caption.
#pragma once
#include <string>

#include "tools/dataset/art_common.h"
#include "tools/dataset/canvas.h"

namespace dataset {

// Enemy sprite sheets of 120 x 108 cells (8 columns, 9 rows).
void PaintEnemySheet(Canvas& c, const FigureLook& look, const std::string& caption);

enum class Burst { kSpark, kExplosion, kFire };
// Animation frames of cellWidth x cellHeight, perRow to a row, growing then fading.
void PaintBurstFrames(Canvas& c, int cellWidth, int cellHeight, int frames, int perRow, Burst burst);

void PaintEnergyBall(Canvas& c, Rgb colour);   // a glowing round, centred
void PaintGlow(Canvas& c, Rgb colour, Rect cell);  // a soft light, centred in the cell the game cuts
void PaintSmoke(Canvas& c);                    // a gas cloud, centred
void PaintShockRing(Canvas& c);                // the jammer's shock wave
void PaintBeam(Canvas& c, Rgb colour);         // a horizontal beam through the middle
void PaintListBackdrop(Canvas& c);             // the equipment list's 300 x 600 backdrop
void PaintHelicopter(Canvas& c);

enum class Scene { kNightSky, kHold, kDaySky, kDuct, kCargo, kLab, kEngine, kVrGrid };
// An opaque background of the scene; its name seeds the scatter of stars, clouds and rivets
// (the name is not drawn: the player sees these pictures behind play).
void PaintBackground(Canvas& c, Scene scene, Rgb tint, const std::string& name);
enum class Layer2 { kMoon, kStars, kSun, kSunGlow, kPipes, kGirders, kGrille, kCrates, kMachines };
// A transparent layer in front of a background.
void PaintLayer(Canvas& c, Layer2 layer, Rgb tint);

}  // namespace dataset
