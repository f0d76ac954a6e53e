// Every picture and sound the shell names: the sound effects, the common graphics and
// player sprites, the graph set of each screen, the enemy sheets, the map chips, and the
// one call through which music starts.
#pragma once
#include <span>

// Graph slots (indexes into game.graphs) that screens draw from by number.
namespace graph_slot {
constexpr int kLogo = 2;  // "gsx/ef_01.png": the logo, also the title's effects
constexpr int kTitlePicture = 60;
constexpr int kOptionBack = 61;
constexpr int kOptionPieces = 62;
constexpr int kOptionRows = 63;
constexpr int kMenuBack = 66;
constexpr int kButtons = 75;  // "gsx/briefing11.png": menu boxes and highlights
constexpr int kBigGoggles = 78;
constexpr int kBigGogglesGlow = 79;
constexpr int kTitleLine = 80;
constexpr int kOptionMusicNames = 85;
constexpr int kBottomBar = 1;  // "patch/ui_01.png" on the options screens
constexpr int kItemSheet = 103;
constexpr int kLoading = 129;
}  // namespace graph_slot

// Sound effects the menus play.
constexpr int kSoundConfirm = 17;
constexpr int kSoundCursor = 18;
constexpr int kSoundCancel = 19;

// The play type that loops music.
constexpr int kPlayLoop = 3;

// The sound-effect files, in slot order.
extern const char* const kSoundEffectPaths[40];

void LoadSoundEffects();
void LoadCommonGraphics();
// The same at boot, but the player's sheets (the largest pictures of the game: decoding and
// converting them took most of the boot) are left until a screen past the title needs them,
// so that the logo and the title are shown without waiting for them.
void LoadCommonGraphicsLeavingPlayerSprites();
// The player's sheets for the character and costume; none are left for later.
void LoadPlayerSprites();
// Loads the sheets the boot left, if any (every screen's graphics past the title do first).
void LoadLeftPlayerSprites();
// Loads the enemy sheets for the kinds in the enemy table (all of them with all set).
void LoadEnemyGraphics(int all);
// The same for a given list of enemy kinds.
void LoadEnemySheetsForKinds(std::span<const int> kinds, int all);
void LoadScreenGraphics();
void LoadMapChips();
void PlayBgm(const char* path, int playType);
// Plays a sound effect from its start, without waiting for it.
void PlaySoundEffect(int index);

// Loads path into a graph slot, deleting a graph the slot still holds.
void LoadGraphIntoSlot(int slot, const char* path);
// Deletes the graph of a slot and leaves it 0.
void DeleteGraphSlot(int slot);
