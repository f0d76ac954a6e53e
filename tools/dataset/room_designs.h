// The designed rooms the stage generator builds its maps from: small hand-laid grids, each
// with one idea (a shutter and its key, a conveyor hall, a crumbling bridge, lockers to hide
// in...). A piece is a band of a stage's floor: its last row is the floor it stands on.
#pragma once
#include <string>
#include <vector>

namespace dataset {

// The characters of a piece's grid:
//   .  empty           #  block           =  ledge           H  ladder        h  hiding space (top cell)
//   S  spikes up       v  spikes down     >  spikes right    <  spikes left
//   c  crumbling (returns)  C  crumbling (gone)  p P  pitfall (80 wide: the cell to its right stays '.')
//   K  shutter (top cell)   k  shutter key  T  numbered shutter (top cell)  t  its key
//   ( )  conveyor to the right / left (80 wide)  E  electric block   V Q R  vanishing blocks
//   G  glass (top cell)  B  breakable tall block (top cell)  b  breakable block  f  burnable block
//   n  noisy block       J  jump pad (80 wide)  { - }  duct (a pipe to crawl along): left
//   end, middle, right end
//   x  container (80 × 80, top-left cell)  X  long block (80 wide)  I  tall block (top cell)
//   L  taller block (top cell)  3  three-wide block  F  fenced block (80 wide)
//   m  control terminal  o  control panel  d  decoration
//   i  item  $  reward item  e  enemy on the floor  g  guard standing still  u  machine under
//   the ceiling  w  machine on the floor
enum Theme : unsigned {
  kThemeDeck = 1u << 0,      // open decks: crates, ladders, spike pits
  kThemeBridge = 1u << 1,    // glass, terminals, cameras
  kThemeControl = 1u << 2,   // control rooms: terminals, vanishing floors, pitfalls
  kThemeVents = 1u << 3,     // ducts, dark corners, pitfalls
  kThemeHold = 1u << 4,      // containers, lockers, burnable crates
  kThemeLab = 1u << 5,       // electric floors, beams, glass
  kThemePower = 1u << 6,     // electric blocks, conveyors, springs, turrets
  kThemeEngine = 1u << 7,    // conveyors, pipes, crumbling walkways
  kThemeAll = 0xFFu,
};

enum class PieceUse {
  kPassage,  // crossed from side to side on the way through the stage
  kSideRoom, // a dead end at the end of a floor: what it holds is a reward, never the way on
};

struct RoomPiece {
  const char* name;
  unsigned themes;
  PieceUse use;
  std::vector<std::string> rows;  // top to bottom, the floor last; all of one width
  // The rows of room a passage needs above its floor: its highest stack of blocks standing on
  // the floor and two rows over it for the player to cross.
  int minRoomRows = 0;
  int Width() const { return static_cast<int>(rows.front().size()); }
  int Height() const { return static_cast<int>(rows.size()); }
};

const std::vector<RoomPiece>& RoomPieces();
const RoomPiece* FindRoomPiece(const std::string& name);

// The piece as seen from the other side: the rows reversed and every object turned, its
// anchor cell kept at its left.
RoomPiece Mirrored(const RoomPiece& piece);

}  // namespace dataset
