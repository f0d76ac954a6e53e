#include "game/shell/game_main.h"

#include "runtime/api.h"

int GameMain(int argc, char** argv) {
  SetLogOutput(0);
  return 0;
}
