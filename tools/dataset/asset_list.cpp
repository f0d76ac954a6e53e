// The one list of the data set. Each row: the path the game reads, its format, its size
// (pictures: width x height; tables: bytes; sounds: the recipe decides the length), what
// it shows, the rectangles the game cuts from it, and the painter, recipe or contents that
// make it. To add a file, add a row in the group of the feature that reads it; the builder
// packs it into the archive of its first directory, and the read-back test checks it.
#include "tools/dataset/asset_list.h"

#include <string>
#include <utility>

#include "tools/dataset/editor_art.h"
#include "tools/dataset/map_art.h"
#include "tools/dataset/placeholder_art.h"
#include "tools/dataset/enemy_art.h"
#include "tools/dataset/player_art.h"
#include "tools/dataset/scene_light_art.h"
#include "tools/dataset/shot_art.h"
#include "tools/dataset/campaign_art.h"
#include "tools/dataset/shell_art.h"
#include "tools/dataset/ship_map_art.h"
#include "tools/dataset/sound_recipes.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_music.h"
#include "tools/dataset/start_tables.h"
#include "tools/dataset/story_art.h"
#include "tools/dataset/vr_art.h"

namespace dataset {
namespace {

using F = AssetFormat;

class ListBuilder {
 public:
  std::vector<AssetEntry> entries;

  void Picture(std::string path, F format, int width, int height, std::string shows,
               std::function<void(Canvas&)> paint, std::vector<Piece> pieces = {}) {
    AssetEntry e;
    e.path = std::move(path);
    e.format = format;
    e.width = width;
    e.height = height;
    e.shows = std::move(shows);
    e.paint = std::move(paint);
    e.pieces = std::move(pieces);
    entries.push_back(std::move(e));
  }
  void Sound(std::string path, F format, std::string shows, std::function<Pcm()> sound) {
    AssetEntry e;
    e.path = std::move(path);
    e.format = format;
    e.shows = std::move(shows);
    e.sound = std::move(sound);
    entries.push_back(std::move(e));
  }
  void Table(std::string path, int bytes, std::string shows, std::function<std::string()> table) {
    AssetEntry e;
    e.path = std::move(path);
    e.format = F::kTable;
    e.bytes = bytes;
    e.shows = std::move(shows);
    e.table = std::move(table);
    entries.push_back(std::move(e));
  }
};

// ---- Start-up: the version marker and the tables ----
void AddStartUp(ListBuilder& l) {
  l.Picture("patch/patch206.bmp", F::kBmp, 96, 24, "version marker: 'patch 2.06' (only its presence counts)",
            PaintVersionMark);
  l.Table("bin/Door.tbl", kDoorTableBytes, "door codes of the route map, 5 per map node of the 54", DoorTable);
  l.Table("bin/Event.tbl", kEventTableBytes, "event-script numbers, 2 per sub-stage of the 61", EventTable);
  l.Table("bin/Cinema.tbl", kCinemaTableBytes, "story-scene numbers, 2 per sub-stage of the 61", CinemaTable);
}

// ---- Sound effects (loaded at boot) and the shell's music ----
void AddSounds(ListBuilder& l) {
  static const char* const kEffects[kSoundEffectCount][2] = {
      {"efx/00_gun_01.wav", "pistol shot"},
      {"efx/01_foot_01.wav", "footstep"},
      {"efx/02_foot_02.wav", "lighter footstep"},
      {"efx/03_b_clash_01.wav", "round striking metal"},
      {"efx/04_gun_02.wav", "suppressed shot"},
      {"efx/05_gun_03.wav", "heavy gun"},
      {"efx/06_elect_01.mp3", "electric buzz"},
      {"efx/07_gun_set_01.wav", "weapon readied: two clicks"},
      {"efx/08_end_bullet_01.wav", "empty click"},
      {"efx/09_mato_01.wav", "target struck: ping"},
      {"efx/10_spark.wav", "spark round: falling zap"},
      {"efx/11_reload_01.wav", "reload: three clicks"},
      {"efx/12_door_01.wav", "sliding door"},
      {"efx/13_look_01.wav", "spotted: rising sting"},
      {"efx/14_weapon_change_01.wav", "weapon change: click and blip"},
      {"efx/15_damage_01.wav", "hurt"},
      {"efx/16_item_get_01.wav", "item: rising arpeggio"},
      {"efx/17_cursor_01.wav", "menu confirm: two rising tones"},
      {"efx/18_cursor_02.wav", "menu cursor: blip"},
      {"efx/19_cursor_03.wav", "menu cancel: two falling tones"},
      {"efx/20_exp_01.wav", "explosion"},
      {"efx/21_item_get_02.wav", "item, second kind: arpeggio"},
      {"efx/22_snipe_01.wav", "sniper crack"},
      {"efx/23_gun_04.wav", "armour-piercing shot"},
      {"efx/24_tekkou.wav", "steel clang"},
      {"efx/25_gadget_change.wav", "gadget change"},
      {"efx/26_laser.wav", "laser sweep"},
      {"efx/27_bomb_exp.wav", "bomb explosion"},
      {"efx/28_sp12.wav", "whoosh"},
      {"efx/29_module.wav", "computer beeps"},
      {"efx/30_jamar.wav", "jammer wobble"},
      {"efx/31_glass.wav", "glass breaking"},
      {"efx/32_gun_05.wav", "tranquilliser shot"},
      {"efx/33_gun_06.wav", "pulse round"},
      {"patch/34_bullet_make.wav", "rounds made"},
      {"patch/35_ration.wav", "ration eaten"},
      {"patch/36_wire.wav", "wire fired"},
      {"patch/37_wire_hit.wav", "wire hits"},
      {"patch/38_vr_comp.ogg", "VR mission complete jingle"},
      {"patch/39_start.wav", "mission start fanfare"},
  };
  for (int i = 0; i < kSoundEffectCount; ++i) {
    const std::string path = kEffects[i][0];
    const F format = path.ends_with(".mp3") ? F::kMp3 : path.ends_with(".ogg") ? F::kOgg : F::kWav;
    l.Sound(path, format, kEffects[i][1], [i] { return RenderEffect(SoundEffectRecipe(i)); });
  }
  l.Sound("bzx/title.ogg", F::kOgg, "title music: minor-key loop, 112 bpm, 4 bars", [] { return RenderSong(TitleSong()); });
  l.Sound("bzx/briefing.ogg", F::kOgg, "briefing music: calm loop, 92 bpm, 4 bars",
          [] { return RenderSong(BriefingSong()); });
  l.Sound("bzx/gameover.ogg", F::kOgg, "game-over music: falling phrase, played once",
          [] { return RenderSong(GameOverSong()); });
  for (const StageTune& tune : StageTunes()) {
    l.Sound(tune.path, F::kOgg, tune.shows, [song = tune.song] { return RenderSong(song); });
  }
}

// ---- Pictures of the shell's screens ----
void AddShellPictures(ListBuilder& l) {
  l.Picture("gsx/ef_01.png", F::kPng, 640, 480, "maker's logo; effect cells: muzzle flash frames, jammer mark",
            PaintLogoAndEffects,
            {{{241, 20, 382, 70}, "logo"},
             {{29, 119, 43, 58}, "effect 4: jammer mark"},
             {{297, 402, 50, 50}, "effect 0: flash, frame 1"},
             {{347, 402, 50, 50}, "effect 0: flash, frame 2"},
             {{397, 402, 50, 50}, "effect 0: flash, frame 3"}});
  l.Picture("gsx/title/title_1.png", F::kPng, 800, 600, "title picture: game title, tanker at night", PaintTitle,
            {{{40, 60, 600, 180}, "title text"}});
  l.Picture("gsx/big_nvg.png", F::kPng, 350, 270, "night-vision goggles", PaintGoggles);
  l.Picture("gsx/big_nvg_l.png", F::kPng, 350, 270, "goggles' lens glow (drawn additively)", PaintGogglesGlow);
  l.Picture("gsx/title_line.png", F::kPng, 800, 600, "thin frame lines over the title", PaintTitleLines);
  l.Picture("gsx/briefing11.png", F::kPng, 640, 512,
            "menu skin: entry boxes plain, flash and lit; noise band; panels; banner; version strip; map marker",
            [](Canvas& c) {
              PaintMenuSkin(c);
              PaintCampaignMenuPieces(c);
            },
            {{{0, 0, 266, 38}, "entry box"},
             {{0, 39, 266, 38}, "flash plate"},
             {{0, 77, 266, 43}, "lit entry box"},
             {{0, 0, 100, 43}, "slot label box, left"},
             {{175, 0, 90, 43}, "slot label box, right"},
             {{245, 157, 266, 38}, "noise band"},
             {{420, 157, 90, 38}, "noise band, right part"},
             {{185, 200, 327, 54}, "save screen banner"},
             {{212, 310, 300, 29}, "version strip"},
             {{270, 0, 241, 50}, "dialog, top"},
             {{270, 100, 241, 50}, "dialog, bottom"},
             {{269, 0, 243, 154}, "equipment panel"},
             {{309, 338, 204, 36}, "statistics strip"},
             {{412, 381, 96, 37}, "map marker"},
             {{219, 123, 27, 27}, "map marker glow"},
             {{11, 129, 130, 19}, "label: next stage"},
             {{11, 151, 130, 19}, "label: preparation"},
             {{11, 173, 130, 19}, "label: system"},
             {{11, 195, 130, 19}, "label: equipment"},
             {{11, 217, 130, 19}, "label: ammunition"},
             {{11, 239, 130, 19}, "label: collection"},
             {{11, 261, 130, 19}, "label: back"},
             {{11, 283, 130, 19}, "label: save"},
             {{11, 327, 130, 19}, "label: to title"},
             {{11, 349, 130, 19}, "label: back (system)"},
             {{250, 254, 200, 28}, "new game heading"},
             {{323, 284, 190, 25}, "row header plate"}});
  // The new-game setup's own pictures; its portraits are the talk scenes' (the story pictures).
  l.Picture("gsx/char_sele_line.png", F::kPng, 800, 600, "frame lines over the new-game setup",
            PaintCharacterSelectLines);
  l.Picture("gsx/briefing_back.png", F::kPng, 800, 600, "screen background: blue grid", PaintScreenBack);
  l.Picture("gsx/menu_back.png", F::kPng, 800, 600, "options backdrop: violet grid", PaintMenuBack);
  l.Picture("gsx/load.png", F::kPng, 256, 128, "'NOW LOADING' with a bar", PaintLoading, {{{0, 0, 256, 128}, "loading"}});
  l.Picture("gsx/end_info.png", F::kPng, 800, 600, "ending picture: 'THANK YOU FOR PLAYING'", PaintEndInfo);
  l.Picture("gsx/num.png", F::kPng, 128, 64, "digits: plain (y 0), tall (y 11), briefing (y 33), narrow with '/' (y 44)",
            PaintDigits,
            {{{0, 0, 90, 11}, "row 0"}, {{0, 11, 90, 16}, "tall"}, {{0, 33, 90, 11}, "row 3"}, {{46, 44, 9, 11}, "slash"}});
  l.Picture("patch/option.png", F::kPng, 800, 600, "options background", PaintOptionBack);
  l.Picture("patch/option02.png", F::kPng, 512, 768,
            "options pieces: heading, nine named rows, volume bar, arrows, ON/OFF, note, levels, scales",
            PaintOptionPieces,
            {{{0, 7, 127, 47}, "heading"},
             {{0, 48, 220, 380}, "row panel"},
             {{0, 46, 220, 45}, "row 0"},
             {{0, 386, 220, 40}, "row 8"},
             {{12, 514, 25, 40}, "volume bar"},
             {{9, 558, 23, 33}, "left arrow"},
             {{67, 558, 23, 33}, "right arrow"},
             {{0, 596, 220, 43}, "ON"},
             {{0, 641, 220, 40}, "OFF"},
             {{3, 683, 150, 29}, "note"},
             {{235, 530, 97, 36}, "high"},
             {{235, 565, 97, 36}, "medium"},
             {{235, 600, 97, 36}, "low"},
             {{235, 635, 97, 36}, "x1.0"},
             {{235, 670, 97, 36}, "x0.8"},
             {{235, 705, 97, 36}, "x0.5"},
             {{260, 260, 220, 40}, "key configuration heading"}});
  l.Picture("patch/option03.png", F::kPng, 512, 336, "key configuration: eight action rows, commit, cancel, button labels",
            PaintKeyConfig,
            {{{0, 0, 215, 335}, "row panel"}, {{0, 270, 215, 31}, "commit"}, {{0, 300, 215, 31}, "cancel"},
             {{286, 0, 180, 31}, "button 1"}, {{286, 210, 180, 31}, "button 8"}});
  l.Picture("patch/option04.png", F::kPng, 300, 550, "stage music names 0..10, 50 rows apart", PaintMusicNames,
            {{{0, 0, 300, 50}, "by stage"}, {{0, 450, 300, 50}, "STAGE K"}, {{0, 500, 300, 50}, "no music"}});
  l.Picture("patch/ui_01.png", F::kPng, 512, 512,
            "interface: bottom bar, panel frame, life bar and frame, radar, alert gauge, weapon and gadget names",
            PaintInterface,
            {{{0, 186, 414, 34}, "bar, left"},
             {{0, 223, 335, 34}, "bar, right"},
             {{0, 92, 83, 61}, "panel frame"},
             {{157, 7, 13, 100}, "life bar, high"},
             {{175, 7, 13, 100}, "life bar, middle"},
             {{193, 7, 13, 100}, "life bar, low"},
             {{101, 0, 44, 141}, "life frame"},
             {{226, 38, 180, 137}, "radar"},
             {{228, 3, 117, 28}, "alert gauge"},
             {{352, 334, 70, 176}, "gadget names 9..1"},
             {{441, 254, 70, 256}, "weapon names 12..0"}});
  l.Picture("patch/item.png", F::kPng, 512, 512,
            "items 40 x 40 (codes 141..189), weapon and gadget icons 25 x 18, rising labels", PaintItems,
            {{{0, 0, 480, 280}, "map items"}, {{0, 280, 325, 18}, "weapon icons"}, {{0, 300, 250, 18}, "gadget icons"},
             {{25, 178, 225, 18}, "briefing gadget icons"}, {{0, 330, 87, 30}, "last target's label"},
             {{100, 330, 65, 42}, "pick-up label"}});
  l.Picture("patch/pause_w.png", F::kPng, 512, 512, "pause sheet: bars plain and lit, highlight strip, weapon and gadget names",
            PaintPauseSheet,
            {{{0, 0, 228, 34}, "bar"}, {{0, 69, 228, 34}, "lit bar"}, {{249, 0, 238, 30}, "highlight strip"},
             {{0, 121, 100, 260}, "weapon names"}, {{116, 121, 100, 200}, "gadget names"}});
  l.Picture("patch/result.png", F::kPng, 640, 512, "GAME OVER, result panels, grade marks", PaintResultSheet,
            {{{0, 388, 276, 54}, "game over"},
             {{342, 0, 170, 142}, "clear panel"},
             {{301, 201, 212, 145}, "VR panel"},
             {{2, 353, 28, 28}, "grade 100 / 80"},
             {{2, 382, 28, 28}, "grade 60"},
             {{2, 412, 28, 28}, "grade 40"},
             {{2, 442, 28, 28}, "grade 20"},
             {{2, 472, 28, 28}, "grade 10"},
             {{89, 353, 28, 28}, "bonus"},
             {{401, 353, 28, 148}, "VR grades"},
             {{373, 353, 28, 148}, "no-penalty marks"}});
  l.Picture("patch/start_menu.png", F::kPng, 512, 512, "save slots: slot panel, heading, action panel, six portraits",
            PaintSaveSheet,
            {{{0, 0, 512, 122}, "slot panel"},
             {{210, 136, 141, 31}, "heading"},
             {{6, 130, 178, 110}, "action panel"},
             {{0, 404, 120, 108}, "first character"},
             {{120, 404, 120, 108}, "first character, costume 2"},
             {{240, 404, 120, 108}, "second character"},
             {{360, 404, 120, 108}, "second character, costume 2"},
             {{0, 296, 120, 108}, "third character"},
             {{120, 296, 120, 108}, "third character, costume 2"}});
  l.Picture("patch/suvel_select.png", F::kPng, 512, 512, "third story's stage panel, arrows, radio-call pieces",
            PaintMissionSelect,
            {{{0, 0, 367, 87}, "stage panel"}, {{100, 482, 17, 16}, "left arrow"}, {{120, 482, 17, 16}, "right arrow"}});
  l.Picture("patch/briefing_str.png", F::kPng, 512, 512,
            "weapon names, separator, digits, made and used tags, multiplication mark, materials, gadgets, collection",
            PaintBriefingStrings,
            {{{0, 0, 100, 160}, "weapon names 0..7"},
             {{0, 160, 100, 20}, "not owned"},
             {{0, 180, 100, 20}, "separator"},
             {{0, 200, 12, 200}, "briefing digits"},
             {{0, 400, 100, 20}, "made"},
             {{0, 420, 100, 20}, "used"},
             {{0, 440, 20, 20}, "times"},
             {{126, 201, 12, 195}, "list digits"},
             {{122, 0, 115, 80}, "materials"},
             {{387, 20, 120, 180}, "gadget names 1..9"},
             {{387, 280, 100, 160}, "collection"}});
  // The briefing map screen (state 12).
  l.Picture("gsx/briefing01.png", F::kPng, 800, 600, "ship map, stern half", [](Canvas& c) { PaintShipMap(c, 0); });
  l.Picture("gsx/briefing02.png", F::kPng, 800, 600, "ship map, bow half", [](Canvas& c) { PaintShipMap(c, 1); });
  l.Picture("gsx/briefing03.png", F::kPng, 265, 319, "ammunition-making panels", PaintMakingPanels,
            {{{0, 0, 265, 197}, "making"}, {{0, 197, 265, 122}, "materials"}});
  l.Picture("gsx/briefing04.png", F::kPng, 488, 430, "equipment panels", PaintEquipmentPanels,
            {{{0, 0, 240, 197}, "list"}, {{236, 0, 184, 191}, "weapons"}, {{233, 205, 255, 225}, "gadgets"}});
  l.Picture("gsx/st_panel.png", F::kPng, 256, 256, "map icons of stages (plain, lit 128 right) and door panels",
            PaintStagePanel,
            {{{0, 0, 108, 128}, "icons"}, {{128, 0, 108, 128}, "lit icons"}, {{18, 199, 234, 44}, "panel 6"}});
  l.Picture("gsx/cursor.png", F::kPng, 48, 48, "map cursor arrow", PaintMapCursor);
  l.Picture("gsx/briefing_line.png", F::kPng, 800, 600, "frame lines over the briefing map", PaintBriefingLines);
  l.Picture("patch/vr_menu.png", F::kPng, 640, 512,
            "VR menu pieces: total panel and label, place labels, speech balloon, help bar, ranks S..D, clean mark",
            PaintVrMenuPieces,
            {{{0, 0, 220, 40}, "total panel"},
             {{0, 39, 92, 23}, "total label"},
             {{0, 68, 60, 30}, "first place"},
             {{0, 98, 60, 30}, "second place"},
             {{0, 128, 60, 30}, "third place"},
             {{68, 178, 332, 44}, "balloon, left"},
             {{100, 178, 332, 44}, "balloon, middle"},
             {{400, 178, 100, 44}, "balloon, right"},
             {{13, 257, 428, 43}, "help bar, left"},
             {{13, 302, 312, 43}, "help bar, right"},
             {{2, 353, 28, 28}, "rank S"},
             {{2, 465, 28, 28}, "rank D"},
             {{46, 353, 28, 28}, "clean mark"}});
  l.Picture("patch/qetra.png", F::kPng, 360, 216, "the VR host's portrait: eyes open, blinking, aside, talking",
            PaintVrHost,
            {{{0, 0, 120, 108}, "eyes open"},
             {{120, 0, 120, 108}, "blink"},
             {{0, 108, 120, 108}, "aside"},
             {{120, 108, 120, 108}, "talking"},
             {{240, 108, 120, 108}, "talking, open"}});
  l.Picture("patch/vr_ui.png", F::kPng, 512, 512, "VR headings", PaintVrInterface,
            {{{0, 0, 345, 47}, "heading"}, {{0, 100, 162, 25}, "sub-heading"}});
  l.Picture("evx/wind.png", F::kPng, 800, 200, "story banners: wind streaks", PaintStoryBanners,
            {{{4, 8, 240, 52}, "banner 7"}, {{3, 65, 388, 81}, "banner 8"}, {{18, 141, 751, 51}, "banner 9"}});
}

// ---- Player sprites (common graphics) ----
void AddPlayerSprites(ListBuilder& l) {
  struct Sheet {
    const char* path;
    int character, variant, sheet;
  };
  static const Sheet kSheets[] = {
      {"gsx/oruha1.png", 0, 0, 1},      {"gsx/oruha2.png", 0, 0, 2},      {"gsx/oruha3.png", 0, 0, 3},
      {"patch/m_oruha1.png", 0, 1, 1},  {"gsx/m_oruha2.png", 0, 1, 2},    {"gsx/m_oruha3.png", 0, 1, 3},
      {"gsx/g_oruha1.png", 0, 2, 1},    {"gsx/g_oruha2.png", 0, 2, 2},    {"gsx/g_oruha3.png", 0, 2, 3},
      {"patch/tevani1.png", 1, 0, 1},   {"gsx/tevani2.png", 1, 0, 2},     {"gsx/tevani3.png", 1, 0, 3},
      {"patch/o_tevani1.png", 1, 1, 1}, {"gsx/o_tevani2.png", 1, 1, 2},   {"gsx/o_tevani3.png", 1, 1, 3},
      {"gsx/g_tevani1.png", 1, 2, 1},   {"gsx/g_tevani2.png", 1, 2, 2},   {"gsx/g_tevani3.png", 1, 2, 3},
      {"patch/suvel1.png", 2, 0, 1},    {"patch/suvel2.png", 2, 0, 2},    {"patch/suvel3.png", 2, 0, 3},
      {"patch/o_suvel1.png", 2, 1, 1},  {"patch/o_suvel2.png", 2, 1, 2},  {"patch/o_suvel3.png", 2, 1, 3},
      {"patch/g_suvel1.png", 2, 2, 1},  {"patch/g_suvel2.png", 2, 2, 2},  {"patch/g_suvel3.png", 2, 2, 3},
  };
  static const char* const kVariants[] = {"", ", second costume", ", goggles view"};
  for (const Sheet& s : kSheets) {
    std::string shows = "player sheet " + std::to_string(s.sheet) + " of character " + std::to_string(s.character) +
                        kVariants[s.variant] + ": 120 x 108 cells, 8 x 9";
    if (s.sheet == 2) shows += ", hit flashes 160 x 160 at y 864";
    l.Picture(s.path, F::kPng, 960, 1024, shows,
              [s](Canvas& c) { PaintPlayerSheet(c, s.character, s.variant, s.sheet); },
              {{{0, 0, 120, 108}, "first cell"}});
  }
}

// ---- Mission play: effects, interface sheets, enemies, backgrounds ----
void AddMissionPictures(ListBuilder& l) {
  l.Picture("gsx/mato.png", F::kPng, 320, 240, "target board, 40 x 40 at the top left (the game cuts nothing)",
            PaintTargetSheet);
  l.Picture("gsx/bullet01.png", F::kPng, 256, 64,
            "gas round 16 x 16 at (16, 0); spent cases 16 x 16 from y 16: the light case turned by 45 degrees "
            "a cell, then the heavy case",
            PaintCaseSheet,
            {{kGasRoundCell, "gas round"},
             {{0, kCaseRowY, kShotCell, kShotCell}, "light case, upright"},
             {{kCaseTurns * kShotCell, kCaseRowY, kShotCell, kShotCell}, "heavy case, upright"}});
  l.Picture("gsx/bullet02.png", F::kPng, 256, 64, "grappling hook 16 x 16: in flight at (0, 0), caught at (16, 0)",
            PaintHookSheet, {{kHookFlyingCell, "hook in flight"}, {kHookCaughtCell, "hook caught"}});
  l.Picture("gsx/spark.png", F::kPng, 80, 80, "spark round", [](Canvas& c) { PaintEnergyBall(c, Rgb{80, 160, 255}); });
  l.Picture("gsx/plasma.png", F::kPng, 80, 80, "plasma round", [](Canvas& c) { PaintEnergyBall(c, Rgb{220, 80, 255}); });
  l.Picture("gsx/pulse.png", F::kPng, 80, 80, "pulse round", [](Canvas& c) { PaintEnergyBall(c, Rgb{255, 230, 80}); });
  l.Picture("gsx/spark02.png", F::kPng, 720, 90, "effect 1: spark, 8 frames of 90 x 90",
            [](Canvas& c) { PaintBurstFrames(c, 90, 90, 8, 8, Burst::kSpark); }, {{{0, 0, 90, 90}, "frame 0"}});
  l.Picture("gsx/exp01.png", F::kPng, 512, 126, "effect 2: explosion, 15 frames of 64 x 63",
            [](Canvas& c) { PaintBurstFrames(c, 64, 63, 15, 8, Burst::kExplosion); }, {{{0, 63, 64, 63}, "frame 8"}});
  l.Picture("gsx/exp02.png", F::kPng, 640, 640, "effect 3: large explosion, 16 frames of 160 x 160",
            [](Canvas& c) { PaintBurstFrames(c, 160, 160, 16, 4, Burst::kExplosion); },
            {{{480, 480, 160, 160}, "frame 15"}});
  // The shop scene cuts its light 310 wide from x 367: the sheet is wide enough to hold it.
  l.Picture("gsx/tr_all.png", F::kPng, 768, 512, "light drawing the third character into the computer, 310 x 317 at (367, 13)",
            [](Canvas& c) { PaintSceneLight(c, Rgb{90, 200, 255}); }, {{kSceneLightCut, "light"}});
  l.Picture("gsx/tr_all_02.png", F::kPng, 768, 512, "the same light in a warm tint (the game cuts nothing)",
            [](Canvas& c) { PaintSceneLight(c, Rgb{255, 170, 90}); });
  // The game cuts both lights from their top-left corners: the lamp's pool and the items'
  // halo from (0, 0) 80 x 80, the lamp's own glow from (0, 0) 59 x 62.
  l.Picture("gsx/light.png", F::kPng, 256, 256, "lamp light and item halo",
            [](Canvas& c) { c.SoftLight(40, 40, 39, Rgb{200, 190, 140}); }, {{{0, 0, 80, 80}, "light"}});
  l.Picture("gsx/light02.png", F::kPng, 256, 256, "lamp glow",
            [](Canvas& c) { PaintGlow(c, Rgb{150, 200, 230}, Rect{0, 0, 59, 62}); }, {{{0, 0, 59, 62}, "glow"}});
  l.Picture("gsx/zenmor.png", F::kPng, 240, 100, "barrier round: 6 frames of 40 x 100",
            [](Canvas& c) { PaintBurstFrames(c, 40, 100, 6, 6, Burst::kSpark); }, {{{200, 0, 40, 100}, "frame 5"}});
  l.Picture("gsx/laser.png", F::kPng, 128, 16, "laser round", [](Canvas& c) { PaintBeam(c, Rgb{255, 60, 60}); });
  l.Picture("gsx/select_line.png", F::kPng, 300, 600, "equipment list backdrop", PaintListBackdrop);
  l.Picture("gsx/fire.png", F::kPng, 160, 40, "fire, 4 frames of 40 x 40",
            [](Canvas& c) { PaintBurstFrames(c, 40, 40, 4, 4, Burst::kFire); });
  l.Picture("gsx/jamar.png", F::kPng, 256, 256, "effect 10: jammer shock wave", PaintShockRing);
  l.Picture("gsx/gas.png", F::kPng, 128, 128, "effect 11: gas cloud", PaintSmoke);
  for (int i = 1; i <= 3; ++i) {
    l.Picture("patch/blaze_" + std::to_string(i) + ".png", F::kPng, 64, 64,
              i == 3 ? "effect 13: blaze trail" : "blaze round", [](Canvas& c) { PaintEnergyBall(c, Rgb{255, 120, 30}); });
  }
  l.Picture("patch/blaze_exp2.png", F::kPng, 320, 80, "effect 15: fire, 4 cells of 80 x 80",
            [](Canvas& c) { PaintBurstFrames(c, 80, 80, 4, 4, Burst::kFire); }, {{{240, 0, 80, 80}, "cell 3"}});
  l.Picture("evx/heri.png", F::kPng, 512, 520, "helicopter; rotor strips at y 184 .. 289, pilot, tail rotor",
            PaintStoryHelicopter,
            {{{0, 0, 442, 177}, "body"}});

  // Enemy sheets, cut as the enemy update cuts them.
  for (const EnemySheetInfo& e : EnemySheets()) {
    const std::string path = e.path;
    l.Picture(path, F::kPng, e.width, e.height, e.shows, [path](Canvas& c) { PaintEnemyArt(c, path); });
  }

  // Background layers 0..3 of the stages (JPEG backgrounds exercise the JPEG loader).
  struct Back {
    const char* path;
    F format;
    const char* shows;
    std::function<void(Canvas&)> paint;
  };
  const Back kBacks[] = {
      {"gsx/back03.png", F::kPng, "night sky over the deck", [](Canvas& c) { PaintBackground(c, Scene::kNightSky, Rgb{40, 60, 140}, "back03"); }},
      {"gsx/back02.png", F::kPng, "night sky, second", [](Canvas& c) { PaintBackground(c, Scene::kNightSky, Rgb{90, 50, 120}, "back02"); }},
      {"evx/moon.png", F::kPng, "moon (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kMoon, Rgb{}); }},
      {"gsx/star.png", F::kPng, "stars (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kStars, Rgb{}); }},
      {"gsx/back_stage_02_1.jpg", F::kJpeg, "ship's hold", [](Canvas& c) { PaintBackground(c, Scene::kHold, Rgb{120, 90, 60}, "stage 02"); }},
      {"gsx/back_stage_02_2.png", F::kPng, "pipes (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kPipes, Rgb{120, 90, 60}); }},
      {"gsx/back_stage_03_1.jpg", F::kJpeg, "evening sky over the bridge", [](Canvas& c) { PaintBackground(c, Scene::kDaySky, Rgb{230, 130, 80}, "stage 03"); }},
      {"gsx/sun.png", F::kPng, "sun (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kSun, Rgb{}); }},
      {"gsx/sun2.png", F::kPng, "sun glow (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kSunGlow, Rgb{}); }},
      {"gsx/back_stage_03_2.png", F::kPng, "bridge girders (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kGirders, Rgb{200, 120, 80}); }},
      {"gsx/back_stage_04_1.jpg", F::kJpeg, "duct", [](Canvas& c) { PaintBackground(c, Scene::kDuct, Rgb{90, 110, 130}, "stage 04"); }},
      {"gsx/back_stage_04_2.png", F::kPng, "grille (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kGrille, Rgb{90, 110, 130}); }},
      {"gsx/back_stage_04_3.jpg", F::kJpeg, "control section", [](Canvas& c) { PaintBackground(c, Scene::kLab, Rgb{60, 120, 110}, "stage 04-3"); }},
      {"gsx/back_stage_04_4.png", F::kPng, "grille, second (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kGrille, Rgb{60, 120, 110}); }},
      {"gsx/back_stage_05_1.png", F::kPng, "cargo hold", [](Canvas& c) { PaintBackground(c, Scene::kCargo, Rgb{140, 110, 60}, "stage 05"); }},
      {"gsx/back_stage_05_2.png", F::kPng, "crates (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kCrates, Rgb{140, 110, 60}); }},
      {"gsx/back_stage_06_1.jpg", F::kJpeg, "research section", [](Canvas& c) { PaintBackground(c, Scene::kLab, Rgb{60, 140, 200}, "stage 06"); }},
      {"gsx/back_stage_07_1.jpg", F::kJpeg, "engine room", [](Canvas& c) { PaintBackground(c, Scene::kEngine, Rgb{200, 90, 50}, "stage 07"); }},
      {"gsx/back_stage_08_2.png", F::kPng, "machines (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kMachines, Rgb{160, 80, 60}); }},
      {"gsx/back_stage_08_3.png", F::kPng, "pipes, bow (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kPipes, Rgb{160, 80, 60}); }},
      {"gsx/back_stage_08_4.png", F::kPng, "girders, bow (layer)", [](Canvas& c) { PaintLayer(c, Layer2::kGirders, Rgb{160, 80, 60}); }},
  };
  for (const Back& b : kBacks) l.Picture(b.path, b.format, 800, 600, b.shows, b.paint);
  static const Rgb kVrTints[] = {{60, 200, 255}, {80, 255, 140}, {255, 200, 80}, {255, 90, 160}};
  for (int i = 0; i < 4; ++i) {
    const Rgb tint = kVrTints[i];
    l.Picture("patch/vr_back_0" + std::to_string(i + 1) + ".png", F::kPng, 800, 600, "VR grid, category " + std::to_string(i + 1),
              [tint, i](Canvas& c) { PaintBackground(c, Scene::kVrGrid, tint, "VR " + std::to_string(i + 1)); });
  }
}

// ---- Map chips of the stages: csx/<area>/<code>.png and the VR areas' patch/1<area>/ ----
void AddMapChips(ListBuilder& l) {
  auto add = [&l](const std::string& directory, int area, const std::string& code) {
    const ChipSheet* sheet = FindChipSheet(code);
    const int w = sheet->tileWidth, h = sheet->tileHeight;
    l.Picture(directory + code + ".png", F::kPng, sheet->width, sheet->height,
              "map chips " + code + " of area " + std::to_string(area) + ": skins of " + std::to_string(w) + " x " +
                  std::to_string(h) + " side by side, frames below",
              [code, area](Canvas& c) { PaintChipSheet(c, code, area); }, {{{0, 0, w, h}, "first skin"}});
  };
  for (int area = 1; area <= 8; ++area) {
    for (int i = 0; i < kAreaChipCount; ++i) add("csx/" + std::to_string(area) + "/", area - 1, AreaChipCodes()[i]);
  }
  for (int area = 0; area < 4; ++area) {
    for (int i = 0; i < kAreaChipCount; ++i) add("patch/1" + std::to_string(area) + "/", 8 + area, AreaChipCodes()[i]);
  }
  add("csx/1/", 0, "100");
  add("csx/1/", 0, "110");
  add("patch/", 11, "92");
}

// ---- Stage maps: one stage record per built-in stage ----
void AddStages(ListBuilder& l) {
  for (const StageInfo& stage : BuiltInStages()) {
    const std::string size = std::to_string(stage.screensX) + " x " + std::to_string(stage.screensY) + " screens";
    l.Table(stage.path, kStageRecordBytes, "stage record, " + size + (stage.hasGoal ? ", ends at a goal" : ", ends at its doors"),
            [stage] { return StageRecord(stage); });
  }
}

// ---- The stage editor's pointer, panels, start markers and step-back sound ----
void AddEditorPictures(ListBuilder& l) {
  l.Picture("gsx/98.png", F::kPng, 32, 32, "editor mouse pointer: white arrow, tip at the top-left pixel",
            PaintEditorPointer, {{{0, 0, 16, 24}, "arrow"}});
  l.Picture("gsx/99.png", F::kPng, 30, 30, "editor eraser pointer: pink rubber on a blue sleeve", PaintEditorEraser,
            {{{2, 4, 26, 26}, "eraser"}});
  l.Picture("patch/edit1.png", F::kPng, 800, 320, "editor panels: name dialog, title plate, help bar, setting frames",
            PaintEditorPanels,
            {{{0, 0, 350, 70}, "name dialog"},
             {{0, 25, 350, 41}, "title plate (the dialog's body)"},
             {{4, 79, 743, 35}, "help bar"},
             {{0, 118, 269, 36}, "setting frame"},
             {{0, 168, 269, 36}, "setting frame glow"},
             {{0, 216, 250, 36}, "count frame"},
             {{0, 216, 170, 36}, "short count frame"},
             {{0, 266, 269, 36}, "count frame glow"}});
  l.Picture("patch/edit_char.png", F::kPng, 360, 108, "editor start markers: the three characters, 120 x 108 each",
            PaintStartMarkers,
            {{{0, 0, 120, 108}, "start, first character"},
             {{120, 0, 120, 108}, "start, second character"},
             {{240, 0, 120, 108}, "start, third character"}});
  l.Sound("efx/edit01_cursor_01.wav", F::kWav, "editor step back: short falling blip",
          [] { return RenderEffect(SoundEffectRecipe(19)); });
}

std::vector<AssetEntry> MakeList() {
  ListBuilder l;
  AddStartUp(l);
  AddSounds(l);
  AddShellPictures(l);
  AddPlayerSprites(l);
  AddMissionPictures(l);
  AddMapChips(l);
  AddStages(l);
  AddEditorPictures(l);
  for (AssetEntry& e : StoryAssets()) l.entries.push_back(std::move(e));
  return std::move(l.entries);
}

}  // namespace

const std::vector<AssetEntry>& AssetList() {
  static const std::vector<AssetEntry> list = MakeList();
  return list;
}

const std::vector<std::string>& ArchiveDirectories() {
  static const std::vector<std::string> directories = {"gsx", "patch", "evx", "csx", "efx", "bzx", "bin"};
  return directories;
}

const char* FormatName(AssetFormat format) {
  switch (format) {
    case F::kPng: return "PNG";
    case F::kJpeg: return "JPEG";
    case F::kBmp: return "BMP";
    case F::kWav: return "WAV";
    case F::kMp3: return "MP3";
    case F::kOgg: return "Ogg Vorbis";
    case F::kTable: return "table";
  }
  return "?";
}

bool IsPicture(AssetFormat format) { return format == F::kPng || format == F::kJpeg || format == F::kBmp; }
bool IsSound(AssetFormat format) { return format == F::kWav || format == F::kMp3 || format == F::kOgg; }

std::string TopDirectory(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace dataset
