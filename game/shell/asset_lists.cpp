#include "game/shell/asset_lists.h"

#include <cstdio>

#include "game/mission/enemies.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

const char* const kSoundEffectPaths[40] = {
    "efx/00_gun_01.wav",        "efx/01_foot_01.wav",       "efx/02_foot_02.wav",
    "efx/03_b_clash_01.wav",    "efx/04_gun_02.wav",        "efx/05_gun_03.wav",
    "efx/06_elect_01.mp3",      "efx/07_gun_set_01.wav",    "efx/08_end_bullet_01.wav",
    "efx/09_mato_01.wav",       "efx/10_spark.wav",         "efx/11_reload_01.wav",
    "efx/12_door_01.wav",       "efx/13_look_01.wav",       "efx/14_weapon_change_01.wav",
    "efx/15_damage_01.wav",     "efx/16_item_get_01.wav",   "efx/17_cursor_01.wav",
    "efx/18_cursor_02.wav",     "efx/19_cursor_03.wav",     "efx/20_exp_01.wav",
    "efx/21_item_get_02.wav",   "efx/22_snipe_01.wav",      "efx/23_gun_04.wav",
    "efx/24_tekkou.wav",        "efx/25_gadget_change.wav", "efx/26_laser.wav",
    "efx/27_bomb_exp.wav",      "efx/28_sp12.wav",          "efx/29_module.wav",
    "efx/30_jamar.wav",         "efx/31_glass.wav",         "efx/32_gun_05.wav",
    "efx/33_gun_06.wav",        "patch/34_bullet_make.wav", "patch/35_ration.wav",
    "patch/36_wire.wav",        "patch/37_wire_hit.wav",    "patch/38_vr_comp.ogg",
    "patch/39_start.wav",
};

namespace {

// Each sound effect can sound three times at once.
constexpr int kSoundEffectBuffers = 3;
constexpr int kNoStreamOption = -1;
// Play type that returns at once while the sound plays.
constexpr int kPlayBackground = 1;

struct SlotPath {
  int slot;
  const char* path;
};

struct SlotRange {
  int first, last;
};

// The groups a screen's graph set may use, freed whenever a screen loads its set.
constexpr SlotRange kScreenGroups[] = {{30, 52}, {0, 27}, {60, 85}, {180, 189}};
constexpr SlotRange kCommonGroup = {100, 129};
constexpr int kPlayerSheetSlots[] = {100, 101, 102};
constexpr int kPlayerGogglesSlots[] = {110, 111, 112};

struct PlayerSheets {
  const char* costume0[3];
  const char* costume1[3];
  const char* goggles[3];
};
constexpr PlayerSheets kPlayerSheets[3] = {
    {{"gsx/oruha1.png", "gsx/oruha2.png", "gsx/oruha3.png"},
     {"patch/m_oruha1.png", "gsx/m_oruha2.png", "gsx/m_oruha3.png"},
     {"gsx/g_oruha1.png", "gsx/g_oruha2.png", "gsx/g_oruha3.png"}},
    {{"patch/tevani1.png", "gsx/tevani2.png", "gsx/tevani3.png"},
     {"patch/o_tevani1.png", "gsx/o_tevani2.png", "gsx/o_tevani3.png"},
     {"gsx/g_tevani1.png", "gsx/g_tevani2.png", "gsx/g_tevani3.png"}},
    {{"patch/suvel1.png", "patch/suvel2.png", "patch/suvel3.png"},
     {"patch/o_suvel1.png", "patch/o_suvel2.png", "patch/o_suvel3.png"},
     {"patch/g_suvel1.png", "patch/g_suvel2.png", "patch/g_suvel3.png"}},
};

// An enemy sheet and the kinds that need it; kAnyKind: needed whatever the table holds.
constexpr int kAnyKind = -1;
struct EnemySheet {
  int slot;
  const char* path;
  int firstKind, lastKind;
};
constexpr EnemySheet kEnemySheets[] = {
    {31, "gsx/enemy_01.png", kAnyKind, kAnyKind},
    {32, "gsx/enemy_02.png", kAnyKind, kAnyKind},
    {33, "gsx/enemy_03.png", kAnyKind, kAnyKind},
    {34, "gsx/enemy_04.png", kAnyKind, kAnyKind},
    {35, "gsx/camera01.png", 3, 4},
    {36, "gsx/camera02.png", 5, 6},
    {37, "gsx/turret.png", 11, 11},
    {41, "gsx/enemy_bomb.png", 12, 12},
    {42, "gsx/enemy_mad.png", 13, 13},
    {43, "patch/enemy_pointa.png", 14, 14},
    {40, "gsx/ele01.png", 15, 16},
    {44, "gsx/enemy_slaim.png", 17, 17},
    {45, "gsx/enemy_yousei_1.png", 18, 18},
    {46, "gsx/enemy_yousei_2.png", 18, 18},
    {47, "patch/m_oruha1.png", 19, 19},
    {48, "gsx/m_oruha2.png", 19, 19},
    {49, "patch/o_tevani1.png", 20, 20},
    {50, "gsx/o_tevani2.png", 20, 20},
    {51, "patch/pirel.png", 21, 21},
    {42, "gsx/enemy_mad.png", 21, 21},
    {52, "patch/enemy_mad2.png", 21, 21},
};
constexpr SlotPath kCameraThreeSheet = {38, "gsx/camera03.png"};

constexpr SlotPath kTitleSet[] = {{60, "gsx/title/title_1.png"}, {2, "gsx/ef_01.png"},
                                  {78, "gsx/big_nvg.png"},       {79, "gsx/big_nvg_l.png"},
                                  {80, "gsx/title_line.png"},    {75, "gsx/briefing11.png"}};
constexpr SlotPath kLogoSet[] = {{2, "gsx/ef_01.png"}};
constexpr SlotPath kNewGameSet[] = {{75, "gsx/briefing11.png"}};
constexpr SlotPath kMissionSetHead[] = {{71, "patch/briefing_str.png"}, {30, "gsx/mato.png"}};
constexpr SlotPath kMissionSetTail[] = {
    {0, "gsx/bullet01.png"},     {1, "patch/ui_01.png"},       {2, "gsx/ef_01.png"},
    {3, "gsx/spark.png"},        {4, "gsx/bullet02.png"},      {5, "gsx/plasma.png"},
    {6, "gsx/spark02.png"},      {7, "gsx/num.png"},           {9, "gsx/exp01.png"},
    {10, "patch/result.png"},    {11, "gsx/exp02.png"},        {12, "gsx/tr_all.png"},
    {13, "gsx/tr_all_02.png"},   {14, "gsx/light.png"},        {15, "patch/pause_w.png"},
    {16, "gsx/zenmor.png"},      {17, "gsx/laser.png"},        {18, "gsx/select_line.png"},
    {19, "gsx/light02.png"},     {20, "gsx/fire.png"},         {21, "gsx/jamar.png"},
    {22, "gsx/gas.png"},         {23, "gsx/pulse.png"},        {24, "patch/blaze_1.png"},
    {25, "patch/blaze_2.png"},   {26, "patch/blaze_3.png"},    {27, "patch/blaze_exp2.png"},
};
constexpr SlotPath kBriefingMapSet[] = {
    {67, "gsx/briefing01.png"},  {68, "gsx/briefing02.png"}, {69, "gsx/briefing03.png"},
    {70, "gsx/briefing04.png"},  {71, "patch/briefing_str.png"}, {72, "gsx/st_panel.png"},
    {73, "gsx/cursor.png"},      {74, "gsx/briefing_line.png"}, {75, "gsx/briefing11.png"},
    {76, "gsx/briefing_back.png"}};
// The stored grade marks are cut from the result sheet's grade column, the sheet the clear
// panel draws them from.
constexpr SlotPath kMissionBriefingSet[] = {{76, "gsx/briefing_back.png"},
                                            {84, "patch/suvel_select.png"},
                                            {75, "gsx/briefing11.png"},
                                            {10, "patch/result.png"},
                                            {7, "gsx/num.png"}};
constexpr SlotPath kTrialBonusSet[] = {{75, "gsx/briefing11.png"}, {76, "gsx/briefing_back.png"}};
constexpr SlotPath kStoryOnlySet[] = {{77, "evx/wind.png"}};
constexpr SlotPath kOptionsSet[] = {{61, "patch/option.png"},   {62, "patch/option02.png"},
                                    {63, "patch/option03.png"}, {85, "patch/option04.png"},
                                    {66, "gsx/menu_back.png"},  {1, "patch/ui_01.png"}};
constexpr SlotPath kEditorSetTail[] = {{14, "gsx/light.png"}, {75, "gsx/briefing11.png"}};
constexpr SlotPath kUnlockNoticeSet[] = {{75, "gsx/briefing11.png"}};
constexpr SlotPath kVrMenuSet[] = {{83, "patch/vr_ui.png"},
                                   {75, "gsx/briefing11.png"},
                                   {76, "gsx/briefing_back.png"},
                                   {7, "gsx/num.png"}};
constexpr SlotPath kVrNoticeSet[] = {{76, "gsx/briefing_back.png"}};

// Background layers of mission play: up to four paths for layers 0..3, from firstLayer.
struct Backdrop {
  int firstLayer;
  const char* paths[4];
};
constexpr int kBackdropSlot = 180;
constexpr Backdrop kNoBackdrop = {0, {}};
constexpr Backdrop kNightSky = {0, {"gsx/back03.png", "evx/moon.png", "gsx/star.png"}};
constexpr Backdrop kStage2 = {0, {"gsx/back_stage_02_1.jpg", "gsx/back_stage_02_2.png"}};
constexpr Backdrop kStage3 = {
    0, {"gsx/back_stage_03_1.jpg", "gsx/sun.png", "gsx/sun2.png", "gsx/back_stage_03_2.png"}};
constexpr Backdrop kStage4 = {0, {"gsx/back_stage_04_1.jpg", "gsx/back_stage_04_2.png"}};
constexpr Backdrop kStage4Inside = {2, {"gsx/back_stage_04_3.jpg", "gsx/back_stage_04_4.png"}};
constexpr Backdrop kStage5 = {
    0, {"gsx/back_stage_05_1.png", "gsx/back_stage_05_2.png", "gsx/back_stage_03_1.jpg"}};
constexpr Backdrop kStage6 = {0, {"gsx/back_stage_06_1.jpg"}};
constexpr Backdrop kStage7 = {0, {"gsx/back_stage_07_1.jpg"}};
constexpr Backdrop kStage8 = {0,
                              {"gsx/back_stage_07_1.jpg", "gsx/back_stage_08_2.png",
                               "gsx/back_stage_08_3.png", "gsx/back_stage_08_4.png"}};
constexpr Backdrop kNightSkyWithHelicopter = {
    0, {"gsx/back03.png", "evx/moon.png", "gsx/star.png", "evx/heri.png"}};
constexpr Backdrop kPastTheShip = {0, {"gsx/back03.png", "gsx/back02.png"}};
constexpr const char* kVrBackdrops[] = {"patch/vr_back_01.png", "patch/vr_back_02.png",
                                        "patch/vr_back_03.png", "patch/vr_back_04.png"};

constexpr const char* kMapChipCodes[32] = {"10", "11", "20", "21", "25", "30", "35", "38",
                                           "41", "44", "47", "56", "58", "59", "60", "61",
                                           "64", "65", "66", "75", "77", "79", "82", "83",
                                           "86", "89", "90", "91", "99", "130", "190", "1"};
constexpr int kMapChipSlot = 130;
constexpr SlotPath kExtraChip = {163, "patch/92.png"};
constexpr SlotRange kFirstAreaChipGroup = {170, 179};
constexpr SlotPath kFirstAreaChips[] = {{170, "csx/1/100.png"}, {171, "csx/1/110.png"}};

void LoadSet(std::span<const SlotPath> set) {
  for (const SlotPath& entry : set) LoadGraphIntoSlot(entry.slot, entry.path);
}

void DeleteRange(SlotRange range) {
  for (int slot = range.first; slot <= range.last; ++slot) DeleteGraphSlot(slot);
}

const Backdrop& BackdropForThirdStory(int mission) {
  if (mission >= 1 && mission <= 3) return kNightSky;
  if (mission >= 4 && mission <= 6) return kStage2;
  if (mission >= 7 && mission <= 9) return kStage3;
  if (mission == 10) return kStage4;
  if (mission == 11 || mission == 12) return kStage4Inside;
  if (mission >= 13 && mission <= 15) return kStage5;
  if (mission >= 16 && mission <= 18) return kStage6;
  if (mission >= 19 && mission <= 21) return kStage7;
  if (mission == 22 || mission == 23) return kStage8;
  if (mission == 24) return kNightSkyWithHelicopter;
  return kNoBackdrop;
}

const Backdrop& BackdropForArea(int area, int subStage) {
  switch (area) {
    case 0: return kNightSky;
    case 1: return subStage == 10 ? kStage6 : kStage2;
    case 2: return kStage3;
    case 3: return subStage <= 1 ? kStage4 : kStage4Inside;
    case 4: return kStage5;
    case 5: return kStage6;
    case 6: return kStage7;
    case 7: return subStage == 5 ? kNightSky : kStage8;
    default: return kPastTheShip;
  }
}

void LoadBackgroundLayers() {
  if (game.gameMode == kModeVr) {
    if (game.area < 4) LoadGraphIntoSlot(kBackdropSlot, kVrBackdrops[game.area]);
    return;
  }
  const bool thirdStory =
      game.character == 2 && (game.gameMode == kModeEditorTestPlay || game.gameMode == kModeThirdStory);
  const Backdrop& backdrop =
      thirdStory ? BackdropForThirdStory(game.missionNumber) : BackdropForArea(game.area, game.subStage);
  for (int layer = backdrop.firstLayer; layer < 4; ++layer) {
    const char* path = backdrop.paths[layer - backdrop.firstLayer];
    if (path != nullptr) LoadGraphIntoSlot(kBackdropSlot + layer, path);
  }
}

}  // namespace

void LoadGraphIntoSlot(int slot, const char* path) {
  DeleteGraphSlot(slot);
  game.graphs[slot] = LoadGraph(path, 0);
}

void DeleteGraphSlot(int slot) {
  // A slot holds 0 when empty and -1 after a failed load; neither is a graph.
  if (game.graphs[slot] > 0) DeleteGraph(game.graphs[slot], 0);
  game.graphs[slot] = 0;
}

void LoadSoundEffects() {
  for (int i = 0; i < kSoundSlots; ++i) {
    game.sounds[i] = LoadSound(kSoundEffectPaths[i], kSoundEffectBuffers, kNoStreamOption);
  }
}

namespace {

struct PlayerSheet {
  int slot;
  const char* path;
};
constexpr int kMaxPlayerSheets = 6;

// The player's sheets for the character and costume, in load order; their count.
int PlayerSheetList(PlayerSheet (&list)[kMaxPlayerSheets]) {
  if (game.character > 2) return 0;
  int n = 0;
  const PlayerSheets& sheets = kPlayerSheets[game.character];
  if (game.costume <= 1) {
    const char* const* costume = game.costume == 0 ? sheets.costume0 : sheets.costume1;
    for (int i = 0; i < 3; ++i) list[n++] = {kPlayerSheetSlots[i], costume[i]};
  }
  for (int i = 0; i < 3; ++i) list[n++] = {kPlayerGogglesSlots[i], sheets.goggles[i]};
  return n;
}

// The sheets the boot left for later, and how many of them are loaded since.
PlayerSheet g_deferredSheets[kMaxPlayerSheets];
int g_deferredCount = 0;
int g_deferredLoaded = 0;

void DeletePlayerSheets() {
  g_deferredCount = g_deferredLoaded = 0;
  for (int slot : kPlayerSheetSlots) DeleteGraphSlot(slot);
  for (int slot : kPlayerGogglesSlots) DeleteGraphSlot(slot);
}

void LoadCommonSheets() {
  LoadGraphIntoSlot(graph_slot::kItemSheet, "patch/item.png");
  LoadGraphIntoSlot(graph_slot::kLoading, "gsx/load.png");
}

}  // namespace

void LoadCommonGraphics() {
  DeleteRange(kCommonGroup);
  LoadPlayerSprites();
  LoadCommonSheets();
}

void LoadCommonGraphicsLeavingPlayerSprites() {
  DeleteRange(kCommonGroup);
  DeletePlayerSheets();
  g_deferredCount = PlayerSheetList(g_deferredSheets);
  LoadCommonSheets();
}

void LoadPlayerSprites() {
  DeletePlayerSheets();
  PlayerSheet list[kMaxPlayerSheets];
  const int n = PlayerSheetList(list);
  for (int i = 0; i < n; ++i) LoadGraphIntoSlot(list[i].slot, list[i].path);
}

void LoadLeftPlayerSprites() {
  while (g_deferredLoaded < g_deferredCount) {
    const PlayerSheet& sheet = g_deferredSheets[g_deferredLoaded++];
    LoadGraphIntoSlot(sheet.slot, sheet.path);
  }
}

void LoadEnemyGraphics(int all) {
  int kinds[kEnemyCount];
  for (int i = 0; i < kEnemyCount; ++i) kinds[i] = enemies[i].state != 0 ? enemies[i].kind : 0;
  LoadEnemySheetsForKinds(kinds, all);
}

void LoadEnemySheetsForKinds(std::span<const int> kinds, int all) {
  for (const EnemySheet& sheet : kEnemySheets) {
    bool needed = sheet.firstKind == kAnyKind;
    for (int kind : kinds) needed = needed || (kind >= sheet.firstKind && kind <= sheet.lastKind);
    if (all != 0 || (needed && game.graphs[sheet.slot] == 0)) LoadGraphIntoSlot(sheet.slot, sheet.path);
  }
  LoadGraphIntoSlot(kCameraThreeSheet.slot, kCameraThreeSheet.path);
}

void LoadScreenGraphics() {
  // The logo and the title draw no player: every other screen has the sheets the boot left.
  if (game.gameState != STATE_LOGO && game.gameState != STATE_TITLE) LoadLeftPlayerSprites();
  for (SlotRange group : kScreenGroups) DeleteRange(group);
  switch (game.gameState) {
    case STATE_LOGO: LoadSet(kLogoSet); break;
    case STATE_TITLE: LoadSet(kTitleSet); break;
    case STATE_NEW_GAME_SETUP: LoadSet(kNewGameSet); break;
    case STATE_STAGE_PLAY:
    case STATE_STAGE_PLAY_MODE:
      LoadSet(kMissionSetHead);
      LoadEnemyGraphics(0);
      LoadSet(kMissionSetTail);
      LoadBackgroundLayers();
      break;
    case STATE_BRIEFING_MAP: LoadSet(kBriefingMapSet); break;
    case STATE_MISSION_BRIEFING: LoadSet(kMissionBriefingSet); break;
    case STATE_TRIAL_BONUS: LoadSet(kTrialBonusSet); break;
    case STATE_EVENT_ONLY: LoadSet(kStoryOnlySet); break;
    case STATE_OPTIONS:
    case STATE_KEY_CONFIG: LoadSet(kOptionsSet); break;
    case STATE_EDIT_SLOT_SELECT:
    case STATE_EDITOR:
      LoadEnemyGraphics(1);
      LoadSet(kEditorSetTail);
      break;
    case STATE_UNLOCK_NOTICE: LoadSet(kUnlockNoticeSet); break;
    case STATE_VR_MENU: LoadSet(kVrMenuSet); break;
    case STATE_VR_DATA_RESET: LoadSet(kVrNoticeSet); break;
    default: break;
  }
}

void LoadMapChips() {
  for (int i = 0; i < 32; ++i) DeleteGraphSlot(kMapChipSlot + i);
  char path[64];
  for (int i = 0; i < 32; ++i) {
    const char* code = kMapChipCodes[i];
    if (game.gameMode == kModeVr) {
      std::snprintf(path, sizeof path, "patch/1%d/%s.png", game.area, code);
    } else if (game.character == 2 && game.gameMode != kModeEditorTestPlay) {
      std::snprintf(path, sizeof path, "csx/%d/%s.png", game.area + 1, code);
    } else if (game.area == 1 && game.subStage == 10) {
      std::snprintf(path, sizeof path, "csx/6/%s.png", code);
    } else {
      std::snprintf(path, sizeof path, "csx/%d/%s.png", game.area + 1, code);
    }
    LoadGraphIntoSlot(kMapChipSlot + i, path);
  }
  LoadGraphIntoSlot(kExtraChip.slot, kExtraChip.path);
  if (game.gameMode != kModeVr) {
    DeleteRange(kFirstAreaChipGroup);
    if (game.area == 0) LoadSet(kFirstAreaChips);
  }
}

void PlaySoundEffect(int index) { PlaySoundHandle(game.sounds[index], kPlayBackground, 1); }

void PlayBgm(const char* path, int playType) {
  PlayMusicFile(path, playType);
  SetMusicVolume(game.bgmVolume);
}
