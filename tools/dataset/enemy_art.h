// The enemies' sprite sheets, laid out in the cells the enemy update cuts: the foot
// soldiers' two sheets per kind, the cameras by view angle, the drone, the turret, the
// discharge tube, the bomb soldier, the mechanical flower and its emerging frames, the laser
// pointer, the slime, the fairy and its glow, and the spawner. Everything faces right; the
// game mirrors the cells for enemies facing left.
#pragma once
#include <string>
#include <vector>

#include "tools/dataset/canvas.h"

namespace dataset {

struct EnemySheetInfo {
  const char* path;
  int width, height;
  const char* shows;
};
// Every enemy sheet with its size.
const std::vector<EnemySheetInfo>& EnemySheets();
// Paints the sheet of that path.
void PaintEnemyArt(Canvas& c, const std::string& path);

}  // namespace dataset
