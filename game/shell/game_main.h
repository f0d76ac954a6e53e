// The game's entry function.
#pragma once

int GameMain(int argc, char** argv);
