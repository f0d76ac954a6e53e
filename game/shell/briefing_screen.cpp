#include "game/shell/briefing_screen.h"

#include <algorithm>
#include <cstdio>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/briefing_tables.h"
#include "game/shell/campaign_state.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

CampaignState campaign;

namespace {

namespace page = briefing_page;
namespace phase = briefing_phase;

// Graph slots of the screen's set.
constexpr int kMapLeft = 67, kMapRight = 68, kMakingPanels = 69, kEquipmentPanels = 70, kStrings = 71,
              kStagePanel = 72, kMapLines = 74, kBack = 76, kSpriteSheet = 100, kItemIcons = 103;

constexpr int kSoundSaved = 30;
constexpr int kSoundMade = 34;
constexpr int kFadeStep = 20;
constexpr int kFadeDone = 235;
constexpr int kBlinkFrames = 9;
constexpr int kRepeatDelay = 20;
constexpr int kMaxAmmunition = 99;
constexpr int kCollectionFlags = 61;
constexpr int kTargetFlagsFirst = 300, kTargetFlagsLast = 360;
constexpr int kMarkerArea = 498, kMarkerStage = 499;
constexpr int kScrollStep = 8;

constexpr int kSecondCharacter = 1;

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }
int G(int slot) { return game.graphs[slot]; }
void Piece(int x, int y, int sx, int sy, int w, int h, int slot, int mirror = 0) {
  DrawRectGraph(x, y, sx, sy, w, h, G(slot), 1, mirror);
}
void Blend(int mode, int value) { SetDrawBlendMode(mode, value); }

bool Owned(uint16_t count) { return count != kNotOwned; }
int Count(uint16_t count) { return Owned(count) ? count : 0; }

// Two digits of the strings sheet (digit d is its row 10 + d), or one at the right place.
void DrawDigits(int value, int xTens, int xOnes, int y) {
  value = std::clamp(value, 0, 99);
  if (value >= 10) Piece(xTens, y, 0, 20 * (value / 10 + 10), 12, 20, kStrings);
  Piece(xOnes, y, 0, 20 * (value % 10 + 10), 12, 20, kStrings);
}

void SavePath(char* path, size_t size) { std::snprintf(path, size, kSavePathFormat, game.saveSlot); }

// Entry plates of the menu pages and the label rows they show.
struct MenuLayout {
  int entries;
  int plateX[4], plateY[4];
  int labelRow[4];
  int labelX[4], labelY[4];
};
constexpr MenuLayout kMainMenu{3, {17, 28, 42}, {445, 483, 521}, {0, 1, 2}, {70, 81, 95}, {452, 490, 528}};
constexpr MenuLayout kPrepareMenu{
    4, {12, 22, 35, 50}, {425, 463, 501, 539}, {3, 4, 5, 6}, {70, 81, 95, 110}, {432, 470, 508, 546}};
constexpr MenuLayout kSystemMenu{3, {17, 28, 42}, {445, 483, 521}, {7, 9, 10}, {70, 81, 95}, {452, 489, 527}};

const char* const kSaveQuestion = "セーブしますか？";
const char* const kSaveAnswers[2] = {"セーブしない", "セーブする"};
const char* const kTitleQuestion = "タイトルへ戻りますか？";
const char* const kTitleAnswers[2] = {"キャンセル", "タイトルへ戻る"};
const char* const kChooseRoutePrompt = "方向キーで行き先を選択";
const char* const kAutoSaveOffWarning = "現在オートセーブはオフになっています";

}  // namespace

// ---- Route choice ------------------------------------------------------------------------

int RouteDoorByte(int column, int row) { return row >= 2 ? 4 : 2 * row + column; }

bool ChooseRoute(int nodeArea, int nodeIndex, RouteKey key, int column, int row, RouteChoice* choice) {
  const RouteNode* node = RouteNodeAt(nodeArea, nodeIndex);
  if (node == nullptr) return false;
  const int t = node->type;
  const int8_t* d = node->dest;
  const bool sideways = t == 0 || t == 2 || t == 4 || t == 5;
  const bool upright = t == 1 || t == 2 || t == 4 || t == 5;
  RouteChoice c;
  c.column = column;
  c.row = row;
  int code = -1;
  int fixedArea = -1, fixedStage = -1;
  switch (key) {
    case RouteKey::kRight:
      if (!sideways) return false;
      c.column = 1;
      if (t != 5) {
        code = row == 0 ? d[1] : d[3];
      } else {
        c.column = 0;
        code = row == 0 ? d[0] : row == 1 ? d[2] : d[5];
      }
      break;
    case RouteKey::kLeft: {
      if (!sideways) return false;
      c.column = 0;
      struct Exit {
        int area, node, toArea, toStage;
      };
      constexpr Exit kFixedExits[] = {{0, 3, 0, 3}, {1, 6, 1, 9}, {4, 5, 0, 4}, {6, 3, 6, 6}};
      for (const Exit& e : kFixedExits) {
        if (e.area == nodeArea && e.node == nodeIndex) fixedArea = e.toArea, fixedStage = e.toStage;
      }
      if (t == 5) {
        code = row == 0 ? d[0] : row == 1 ? d[2] : d[4];
      } else {
        code = row == 0 ? d[0] : d[2];
      }
      break;
    }
    case RouteKey::kUp:
      if (!upright) return false;
      if (t == 4) c.column = 0;
      if (nodeArea == 2 && nodeIndex == 5) {
        c.row = 0;
        fixedArea = 2;
        fixedStage = 3;
        break;
      }
      c.row = (t != 5 || row == 1) ? 0 : 1;
      code = c.row == 1 ? d[2] : c.column == 1 ? d[1] : d[0];
      break;
    case RouteKey::kDown:
      if (!upright) return false;
      if (t != 5 || row == 0) {
        c.row = 1;
      } else if (row == 1) {
        c.row = 2;
      }
      code = c.row == 2 ? d[4] : c.column == 1 ? d[3] : d[2];
      break;
  }
  if (fixedArea >= 0) {
    c.area = fixedArea;
    c.subStage = fixedStage;
  } else if (!DecodeDestination(nodeArea, code, &c.area, &c.subStage)) {
    return false;
  }
  *choice = c;
  return true;
}

// ---- Map marker --------------------------------------------------------------------------

void BriefingScreen::MapMarker::SetFromSave() {
  const int area = game.saveRecord[kMarkerArea];
  const int stage = game.saveRecord[kMarkerStage];
  if (area >= kMapAreas || stage >= kStagesPerArea[area]) {
    x = y = 0;
    return;
  }
  x = StageIconAt(area, stage).x;
  y = StageIconAt(area, stage).y;
}

void BriefingScreen::MapMarker::Draw() {
  Piece(game.scrollX + x + 10, game.scrollY + y + 10, 412, 381, 96, 37, graph_slot::kButtons);
  const int n = blink >= 20 ? 40 - blink : blink;
  for (int i = 0; i < n; ++i) {
    Blend(kBlendAdd, 48);
    Piece(game.scrollX + x, game.scrollY + y, 219, 123, 27, 27, graph_slot::kButtons);
  }
  Blend(kBlendNone, 0);
  if (++blink >= 40) blink = 0;
}

// ---- Screen ------------------------------------------------------------------------------

BriefingScreen::BriefingScreen() {
  player.locked = 0;
  game.newGameSetup.Retire();
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(520, 420, G(graph_slot::kLoading), 1);
}

void BriefingScreen::Enter() {
  char path[32];
  SavePath(path, sizeof path);
  if (game.difficulty == 0) player.life = player.lifeMax;
  if (game.autoSave != 0) WriteSaveRecord(path, 1);
  marker_.SetFromSave();
  LoadScreenGraphics();
  game.screenEntered = phase::kOpening;
  game.menuCursor = 0;
  game.scrollX = game.scrollY = 0;
  campaign.routeChosen = 0;
  campaign.routeColumn = campaign.routeRow = 0;
  std::fill(std::begin(campaign.areaShown), std::end(campaign.areaShown), 1);
  game.screenTimer = page::kMain;
  game.screenFade = 0;
  ClearOrder();
  PlayBgm("bzx/briefing.ogg", kPlayLoop);
  int sum = 0;
  for (int i = kTargetFlagsFirst; i <= kTargetFlagsLast; ++i) sum += game.saveRecord[i];
  game.targetsDestroyed = static_cast<uint16_t>(sum);
  const RouteNode* node = RouteNodeAt(game.nextArea, game.nextSubStage);
  const int nodeX = node != nullptr ? node->x : 0;
  game.scrollX = std::clamp(400 - nodeX, -530, 50);
}

void BriefingScreen::Update(int pad) {
  if (game.screenEntered == 0) {
    Enter();
    return;
  }
  DrawMap();
  DrawRoutePlate();
  DrawStatistics();

  const int p = game.screenTimer;
  const bool picturePage = p == page::kRoute || p == page::kEquipment || p == page::kAmmunition ||
                           p == page::kCollection || p == page::kSaveDialog || p == page::kTitleDialog;
  switch (game.screenEntered) {
    case phase::kOpening:
      if (picturePage) {
        DrawPicturePage(p);
        game.screenFade += kFadeStep;
        if (game.screenFade >= kFadeDone) {
          game.screenFade = 0;
          game.screenEntered = phase::kOpen;
        }
      }
      if (!picturePage || p == page::kSaveDialog || p == page::kTitleDialog) RunBlink();
      break;
    case phase::kClosing:
      if (p == page::kEquipment || p == page::kAmmunition || p == page::kCollection) {
        DrawPicturePage(p);
        game.screenFade += kFadeStep;
        if (game.screenFade >= kFadeDone) {
          game.screenTimer = nextPage_;
          game.screenFade = 0;
          game.screenEntered = phase::kOpening;
        }
      } else {
        RunBlink();
      }
      break;
    default:
      DrawPages();
      Input(pad);
      if (game.gameState != STATE_BRIEFING_MAP) return;
      if (CheckKeyDown(kScanPageDown) != 0) {
        if (game.scrollX > -550) game.scrollX -= kScrollStep;
      } else if (CheckKeyDown(kScanDelete) != 0) {
        if (game.scrollX < 20) game.scrollX += kScrollStep;
      }
      break;
  }
}

void BriefingScreen::DrawMap() const {
  DrawGraph(0, 0, G(kBack), 1);
  DrawGraph(game.scrollX, game.scrollY, G(kMapLeft), 1);
  DrawGraph(game.scrollX + kScreenWidth, game.scrollY, G(kMapRight), 1);
  const uint8_t* r = game.saveRecord;
  for (int a = 0; a < kMapAreas; ++a) {
    if (campaign.areaShown[a] == 0) continue;
    for (int n = 0; n < kNodesPerArea[a]; ++n) {
      const RouteNode* node = RouteNodeAt(a, n);
      if (node == nullptr || r[kDoorFlagBase[a] + n] == 0) continue;
      const PieceRect& piece = PanelPiece(node->panel);
      Blend(kBlendAdd, 196);
      Piece(node->x + game.scrollX, node->y, piece.x, piece.y, piece.w, piece.h, kStagePanel);
    }
  }
  if (const RouteNode* here = RouteNodeAt(game.nextArea, game.nextSubStage)) {
    const PieceRect& piece = PanelPiece(here->panel);
    for (int i = 0; i < 2; ++i) {
      Blend(kBlendAdd, 255);
      Piece(here->x + game.scrollX, here->y, piece.x, piece.y, piece.w, piece.h, kStagePanel);
    }
  }
  Blend(kBlendNone, 0);
  for (int a = 0; a < kMapAreas; ++a) {
    for (int s = 0; s < kStagesPerArea[a]; ++s) {
      const uint8_t flag = r[kVisitedFlagBase[a] + s];
      if (flag == 0) continue;
      const StageIcon& icon = StageIconAt(a, s);
      const PieceRect& piece = IconPiece(icon.kind);
      if (flag == 3) SetDrawBright(255, 128, 128);
      Piece(icon.x + game.scrollX, icon.y, piece.x, piece.y, piece.w, piece.h, kStagePanel);
      if (flag == 3) SetDrawBright(255, 255, 255);
    }
  }
  if (campaign.routeChosen != 0 && game.area < kMapAreas && game.subStage < kStagesPerArea[game.area]) {
    const StageIcon& icon = StageIconAt(game.area, game.subStage);
    const PieceRect& piece = IconPiece(icon.kind);
    Piece(icon.x + game.scrollX, icon.y, piece.x + 128, piece.y, piece.w, piece.h, kStagePanel);
  }
  DrawGraph(0, 0, G(kMapLines), 1);
}

void BriefingScreen::DrawRoutePlate() {
  if (game.screenTimer != page::kRoute) return;
  Piece(48, 28, 0, 0, 266, 38, graph_slot::kButtons);
  Piece(48, 28, 0, 77, 266, 43, graph_slot::kButtons);
  DrawCursorGlow(49, 27);
  if (campaign.routeChosen != 0 && game.area < kMapAreas && game.subStage < kStagesPerArea[game.area]) {
    DrawFormatString(110, 39, GetColor(251, 170, 182), "%s", StageName(game.area, game.subStage));
  } else {
    // Confirm waits for a branch: the plate says how to choose one.
    DrawFormatString(110, 39, MenuText(), "%s", kChooseRoutePrompt);
  }
  if (game.character != 0) return;
  // The objective may be a stage not visited yet, which the map does not draw: the marker
  // stands on its icon all the same.
  const int area = game.saveRecord[kMarkerArea], stage = game.saveRecord[kMarkerStage];
  if (area < kMapAreas && stage < kStagesPerArea[area] && game.saveRecord[kVisitedFlagBase[area] + stage] == 0) {
    const StageIcon& icon = StageIconAt(area, stage);
    const PieceRect& piece = IconPiece(icon.kind);
    Piece(icon.x + game.scrollX, icon.y, piece.x, piece.y, piece.w, piece.h, kStagePanel);
  }
  marker_.Draw();
}

void BriefingScreen::DrawStatistics() const {
  Piece(420, 410, 270, 0, 241, 152, graph_slot::kButtons);
  Piece(405, 445, 0, 0, 120, 108, kSpriteSheet, player.facing != 0 ? 1 : 0);
  const int life = std::max(0, player.life);
  if (life > 0) DrawBox(489, 431, 489 + life * 3 / 2, 445, GetColor(96, 96, 255), 1);
  Piece(440, 425, 309, 338, 204, 36, graph_slot::kButtons);
  const unsigned c = MenuText();
  DrawFormatString(440, 435, c, "ＨＰ");
  DrawFormatString(500, 470, c, "発覚回数　　 ： %d", game.detections);
  DrawFormatString(500, 495, c, "戦闘不能回数 ： %d", game.incapacitations);
  const char* format = game.character == 0   ? "標的破壊数　 ： %d / 152"
                       : game.character == 1 ? "標的破壊数　 ： %d / 80"
                                             : "標的破壊数　 ： %d / ??";
  DrawFormatString(500, 520, c, format, game.targetsDestroyed);
}

void BriefingScreen::DrawCursorGlow(int x, int y) const {
  const int n = 1 + GetRandom(4);
  for (int i = 0; i < n; ++i) {
    Blend(kBlendAdd, 96);
    Piece(x, y, 245, 157, 266, 38, graph_slot::kButtons);
  }
  Blend(kBlendNone, 0);
}

void BriefingScreen::DrawMenuPage(int p, bool flash) const {
  const MenuLayout& m = p == page::kMain ? kMainMenu : p == page::kPrepare ? kPrepareMenu : kSystemMenu;
  for (int i = 0; i < m.entries; ++i) {
    const bool cursor = i == game.menuCursor;
    if (flash) {
      Piece(m.plateX[i], m.plateY[i], 0, 39, 266, 38, graph_slot::kButtons);
    } else if (cursor) {
      Piece(m.plateX[i], m.plateY[i], 0, 77, 266, p == page::kMain ? 43 : 38, graph_slot::kButtons);
      DrawCursorGlow(m.plateX[i] + 1, m.plateY[i] - 1);
    } else {
      Piece(m.plateX[i], m.plateY[i], 0, 0, 266, 38, graph_slot::kButtons);
    }
    const int sy = 129 + 22 * m.labelRow[i];
    Piece(m.labelX[i], m.labelY[i], 11, sy, 130, 19, graph_slot::kButtons);
    if (cursor && !flash) {
      Blend(kBlendAdd, kSelectedTextGlow);
      Piece(m.labelX[i], m.labelY[i], 11, sy, 130, 19, graph_slot::kButtons);
      Blend(kBlendNone, 0);
    }
  }
}

void BriefingScreen::DrawDialog(int p, bool flash) const {
  const char* question = p == page::kSaveDialog ? kSaveQuestion : kTitleQuestion;
  const char* const* answers = p == page::kSaveDialog ? kSaveAnswers : kTitleAnswers;
  for (int i = 0; i < 3; ++i) {
    const bool cursor = i >= 1 && i - 1 == game.menuCursor;
    const int sy = flash ? 39 : cursor ? 77 : 0;
    Piece(kMainMenu.plateX[i], kMainMenu.plateY[i], 0, sy, 266, 38, graph_slot::kButtons);
    if (cursor && !flash) DrawCursorGlow(kMainMenu.plateX[i] + 1, kMainMenu.plateY[i] - 1);
  }
  DrawFormatString(70, 456, GetColor(255, 176, 176), "%s", question);
  const int answerX[2] = {81, 95}, answerY[2] = {494, 532};
  for (int i = 0; i < 2; ++i) {
    DrawFormatString(answerX[i], answerY[i], MenuText(), "%s", answers[i]);
    if (i == game.menuCursor) {
      Blend(kBlendAdd, kSelectedTextGlow);
      DrawFormatString(answerX[i], answerY[i], MenuText(), "%s", answers[i]);
      Blend(kBlendNone, 0);
    }
  }
  if (p == page::kTitleDialog && game.menuCursor == 1 && game.autoSave == 0) {
    DrawFormatString(115, 558, GetColor(255, 176, 176), "%s", kAutoSaveOffWarning);
  }
}

void BriefingScreen::DrawEquipment() const {
  Piece(142, 155, 0, 0, 240, 197, kEquipmentPanels);
  Piece(155, 152, 236, 0, 184, 191, kEquipmentPanels);
  Piece(400, 155, 233, 205, 255, 225, kEquipmentPanels);
  const int c = game.menuCursor;
  Blend(kBlendAlpha, 96);
  if (column_ == 0) {
    DrawBox(190, 173 + 20 * c, 340, 189 + 20 * c, GetColor(255, 255, 0), 1);
  } else {
    DrawBox(448, 181 + 20 * c, 638, 199 + 20 * c, GetColor(255, 255, 0), 1);
  }
  Blend(kBlendNone, 0);
  for (int i = 0; i < kBriefingWeapons; ++i) {
    const int y = 171 + 20 * i;
    // Every row the cursor can stand on shows something, as on the gadget column.
    if (!Owned(player.weapons[i])) {
      Piece(198, 173 + 20 * i, 0, 160, 100, 20, kStrings);
      continue;
    }
    Piece(198, y, 0, 20 * i, 100, 20, kStrings);
    Piece(290, y, 0, 180, 100, 20, kStrings);
    DrawDigits(player.weapons[i], 310, 322, y);
    if (player.selectedWeapon == i) DrawFormatString(166, 173 + 20 * i, GetColor(255, 128, 128), "set");
  }
  for (int i = 1; i <= 9; ++i) {
    const int y = 179 + 20 * (i - 1);
    if (!Owned(player.gadgets[i])) {
      Piece(476, y, 0, 160, 100, 20, kStrings);
      continue;
    }
    Piece(448, y, 25 * i, 178, 25, 18, kItemIcons);
    Piece(476, y, 387, 20 * i, 120, 20, kStrings);
    Piece(588, y, 0, 180, 100, 20, kStrings);
    DrawDigits(player.gadgets[i] % 10, 603, 615, y);
    if (player.selectedGadget == i) DrawFormatString(426, 183 + 20 * (i - 1), GetColor(255, 128, 128), "set");
  }
}

void BriefingScreen::DrawAmmunition() const {
  Piece(135, 105, 0, 0, 265, 197, kMakingPanels);
  Piece(430, 145, 0, 197, 265, 122, kMakingPanels);
  const int c = game.menuCursor;
  Blend(kBlendAlpha, 96);
  DrawBox(150, 122 + 20 * c, 389, 139 + 20 * c, GetColor(255, 255, 0), 1);
  Blend(kBlendNone, 0);
  for (int i = 0; i < kBriefingWeapons; ++i) {
    const int y = 121 + 20 * i;
    if (!Owned(player.weapons[i])) {
      Piece(153, 123 + 20 * i, 0, 160, 100, 20, kStrings);
      continue;
    }
    Piece(153, y, 0, 20 * i, 100, 20, kStrings);
    DrawDigits(player.weapons[i], 320, 332, y);
  }
  if (campaign.makeCount != 0) {
    SetDrawBright(255, 96, 96);
    Piece(350, 121 + 20 * c, 0, 400, 100, 20, kStrings);
    DrawDigits(campaign.makeCount, 360, 372, 121 + 20 * c);
    SetDrawBright(255, 255, 255);
  }
  for (int k = 0; k < kMaterialCount; ++k) {
    const int y = 164 + 20 * k;
    Piece(450, y, 122, 20 * k, 115, 20, kStrings);
    DrawDigits(Count(player.items[k]), 617, 629, y);
    if (campaign.materialsUsed[k] != 0) {
      SetDrawBright(168, 168, 255);
      Piece(647, y, 0, 420, 100, 20, kStrings);
      DrawDigits(campaign.materialsUsed[k], 657, 669, y);
      SetDrawBright(255, 255, 255);
    }
  }
}

void BriefingScreen::DrawCollection() const {
  Piece(270, 155, 0, 0, 240, 197, kEquipmentPanels);
  for (int i = 0; i < 8; ++i) {
    if (game.saveRecord[kCollectionFlags + i] != 0) Piece(310, 170 + 20 * i, 387, 280 + 20 * i, 100, 20, kStrings);
  }
}

// A picture page at the fade of its phase: opening fades in, closing fades out.
void BriefingScreen::DrawPicturePage(int p) {
  const int alpha = game.screenEntered == phase::kClosing ? 255 - game.screenFade : game.screenFade;
  Blend(kBlendAlpha, std::clamp(alpha, 0, 255));
  switch (p) {
    case page::kEquipment: DrawEquipment(); break;
    case page::kAmmunition: DrawAmmunition(); break;
    case page::kCollection: DrawCollection(); break;
    case page::kSaveDialog:
    case page::kTitleDialog: break;
    default: break;
  }
  Blend(kBlendNone, 0);
}

void BriefingScreen::RunBlink() {
  const int p = game.screenTimer;
  const bool flash = blinkCounter_ % 2 == 0;
  if (p == page::kSaveDialog || p == page::kTitleDialog) {
    DrawDialog(p, flash);
  } else if (p == page::kMain || p == page::kPrepare || p == page::kSystem) {
    DrawMenuPage(p, flash);
  }
  if (++blinkCounter_ < kBlinkFrames) return;
  blinkCounter_ = 0;
  if (game.screenEntered == phase::kOpening) {
    game.screenEntered = phase::kOpen;
  } else {
    game.screenEntered = phase::kOpening;
    game.screenTimer = nextPage_;
  }
}

void BriefingScreen::DrawPages() {
  switch (game.screenTimer) {
    case page::kMain:
    case page::kPrepare:
    case page::kSystem: DrawMenuPage(game.screenTimer, false); break;
    case page::kSaveDialog:
    case page::kTitleDialog: DrawDialog(game.screenTimer, false); break;
    case page::kEquipment: DrawEquipment(); break;
    case page::kAmmunition: DrawAmmunition(); break;
    case page::kCollection: DrawCollection(); break;
    default: break;
  }
}

void BriefingScreen::CloseTo(int p) {
  nextPage_ = static_cast<uint8_t>(p);
  game.screenEntered = phase::kClosing;
}

void BriefingScreen::ClearOrder() {
  campaign.makeCount = 0;
  std::fill(std::begin(campaign.materialsUsed), std::end(campaign.materialsUsed), 0);
}

// ---- Input -------------------------------------------------------------------------------

namespace {

bool Confirm() { return game.action[kActionConfirm] != 0; }
bool Cancel() { return game.action[kActionCancel] != 0; }
// Takes a press when the latch is clear.
bool Take() {
  if (game.keyLatch != 0) return false;
  game.keyLatch = 1;
  return true;
}

// The two-choice dialogs: up and down toggle the cursor; the key that closes the dialog.
enum class DialogKey { kNone, kConfirm, kCancel };
DialogKey TwoChoiceKey(int pad) {
  if ((pad & (kPadUp | kPadDown)) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    return DialogKey::kNone;
  }
  if (!Take()) return DialogKey::kNone;
  if ((pad & (kPadUp | kPadDown)) != 0) {
    PlaySoundEffect(kSoundCursor);
    game.menuCursor ^= 1;
    return DialogKey::kNone;
  }
  return Confirm() ? DialogKey::kConfirm : DialogKey::kCancel;
}
void Wrap(int step, int count) { game.menuCursor = (game.menuCursor + step + count) % count; }

}  // namespace

void BriefingScreen::Input(int pad) {
  switch (game.screenTimer) {
    case page::kMain: InputMain(pad); break;
    case page::kRoute: InputRoute(pad); break;
    case page::kPrepare: InputPrepare(pad); break;
    case page::kEquipment: InputEquipment(pad); break;
    case page::kAmmunition: InputAmmunition(pad); break;
    case page::kCollection: InputCollection(pad); break;
    case page::kSystem: InputSystem(pad); break;
    case page::kSaveDialog: InputSaveDialog(pad); break;
    case page::kTitleDialog: InputTitleDialog(pad); break;
    default: break;
  }
}

void BriefingScreen::InputMain(int pad) {
  if ((pad & (kPadUp | kPadDown)) == 0 && !Confirm()) {
    game.keyLatch = 0;
    return;
  }
  if (!Take()) return;
  if ((pad & kPadUp) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(-1, 3);
  } else if ((pad & kPadDown) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(1, 3);
  } else {
    PlaySoundEffect(kSoundConfirm);
    const int entry = game.menuCursor;
    game.menuCursor = 0;
    if (entry == 0) {
      campaign.routeColumn = 0;
      campaign.routeRow = 0;
      const RouteNode* node = RouteNodeAt(game.nextArea, game.nextSubStage);
      if (node != nullptr && node->dest[0] > 0) game.subStage = static_cast<uint8_t>(node->dest[0] - 1);
    }
    CloseTo(entry == 0 ? page::kRoute : entry == 1 ? page::kPrepare : page::kSystem);
  }
}

void BriefingScreen::InputPrepare(int pad) {
  if ((pad & (kPadUp | kPadDown)) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    return;
  }
  if (!Take()) return;
  if ((pad & kPadUp) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(-1, 4);
  } else if ((pad & kPadDown) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(1, 4);
  } else if (Confirm()) {
    const int entry = game.menuCursor;
    if (entry <= 1 && game.character == kSecondCharacter) {
      PlaySoundEffect(kSoundCancel);
      return;
    }
    PlaySoundEffect(kSoundConfirm);
    if (entry <= 2) {
      game.screenTimer = page::kEquipment + entry;
      game.screenEntered = phase::kOpening;
      game.screenFade = 0;
      game.menuCursor = 0;
      column_ = 0;
      ClearOrder();
    } else {
      game.menuCursor = 1;
      CloseTo(page::kMain);
    }
  } else {
    PlaySoundEffect(kSoundConfirm);
    game.menuCursor = 1;
    CloseTo(page::kMain);
  }
}

void BriefingScreen::InputSystem(int pad) {
  if ((pad & (kPadUp | kPadDown)) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    return;
  }
  if (!Take()) return;
  if ((pad & kPadUp) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(-1, 3);
  } else if ((pad & kPadDown) != 0) {
    PlaySoundEffect(kSoundCursor);
    Wrap(1, 3);
  } else if (Confirm()) {
    PlaySoundEffect(kSoundConfirm);
    const int entry = game.menuCursor;
    game.menuCursor = 0;
    CloseTo(entry == 0 ? page::kSaveDialog : entry == 1 ? page::kTitleDialog : page::kMain);
  } else {
    PlaySoundEffect(kSoundConfirm);
    game.menuCursor = 2;
    CloseTo(page::kMain);
  }
}

void BriefingScreen::InputSaveDialog(int pad) {
  const DialogKey key = TwoChoiceKey(pad);
  if (key == DialogKey::kNone) return;
  if (key == DialogKey::kConfirm) {
    if (game.menuCursor == 1) {
      char path[32];
      SavePath(path, sizeof path);
      WriteSaveRecord(path, 1);
      PlaySoundEffect(kSoundSaved);
    } else {
      PlaySoundEffect(kSoundConfirm);
    }
    game.menuCursor = 0;
    CloseTo(page::kMain);
  } else {
    PlaySoundEffect(kSoundConfirm);
    game.menuCursor = 0;
    CloseTo(page::kSystem);
  }
}

void BriefingScreen::InputTitleDialog(int pad) {
  const DialogKey key = TwoChoiceKey(pad);
  if (key == DialogKey::kNone) return;
  if (key == DialogKey::kConfirm) {
    PlaySoundEffect(kSoundConfirm);
    if (game.menuCursor == 0) {
      game.menuCursor = 1;
      CloseTo(page::kSystem);
    } else {
      campaign.routeColumn = campaign.routeRow = 0;
      game.screenEntered = 0;
      game.gameState = STATE_TITLE;
      game.menuCursor = 0;
    }
  } else {
    PlaySoundEffect(kSoundConfirm);
    game.menuCursor = 0;
    CloseTo(page::kSystem);
  }
}

// A held key acts at once, then every frame after the repeat delay.
bool BriefingScreen::Repeat(int pad, int keys) {
  if ((pad & keys) == 0) return false;
  const bool act = campaign.repeatCounter == 0 || campaign.repeatCounter >= kRepeatDelay;
  if (campaign.repeatCounter < kRepeatDelay) ++campaign.repeatCounter;
  return act;
}

void BriefingScreen::InputEquipment(int pad) {
  const int keys = kPadUp | kPadDown | kPadLeft | kPadRight;
  if ((pad & keys) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    campaign.repeatCounter = 0;
    return;
  }
  if ((pad & (kPadUp | kPadDown)) != 0) {
    if (!Repeat(pad, kPadUp | kPadDown)) return;
    const int rows = column_ == 0 ? 8 : 9;
    PlaySoundEffect(kSoundCursor);
    Wrap((pad & kPadUp) != 0 ? -1 : 1, rows);
    return;
  }
  if (!Take()) return;
  if ((pad & (kPadLeft | kPadRight)) != 0) {
    PlaySoundEffect(kSoundCursor);
    column_ ^= 1;
    if (column_ == 0 && game.menuCursor == 8) game.menuCursor = 7;
  } else if (Confirm()) {
    const int c = game.menuCursor;
    if (column_ == 0 && Owned(player.weapons[c])) {
      player.selectedWeapon = static_cast<int16_t>(c);
      PlaySoundEffect(kSoundConfirm);
    } else if (column_ == 1 && Owned(player.gadgets[c + 1])) {
      player.selectedGadget = player.selectedGadget == c + 1 ? 0 : static_cast<uint8_t>(c + 1);
      PlaySoundEffect(kSoundConfirm);
    } else {
      PlaySoundEffect(kSoundCancel);
    }
  } else {
    PlaySoundEffect(kSoundConfirm);
    game.menuCursor = 0;
    CloseTo(page::kPrepare);
  }
}

void BriefingScreen::InputAmmunition(int pad) {
  const int keys = kPadUp | kPadDown | kPadLeft | kPadRight;
  if ((pad & keys) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    campaign.repeatCounter = 0;
    return;
  }
  const int w = game.menuCursor;
  if ((pad & (kPadUp | kPadDown)) != 0) {
    if (!Repeat(pad, kPadUp | kPadDown)) return;
    const int to = std::clamp(w + ((pad & kPadUp) != 0 ? -1 : 1), 0, kBriefingWeapons - 1);
    if (to != w) PlaySoundEffect(kSoundCursor);
    game.menuCursor = to;
    ClearOrder();
    return;
  }
  if ((pad & kPadRight) != 0) {
    if (!Repeat(pad, kPadRight)) return;
    if (!Owned(player.weapons[w]) || player.weapons[w] + campaign.makeCount >= kMaxAmmunition) return;
    for (int k = 0; k < kMaterialCount; ++k) {
      const int need = Recipe(w, k);
      if (need > 0 && Count(player.items[k]) - campaign.materialsUsed[k] < need) return;
    }
    ++campaign.makeCount;
    for (int k = 0; k < kMaterialCount; ++k) {
      if (Recipe(w, k) > 0) campaign.materialsUsed[k] = static_cast<uint16_t>(campaign.materialsUsed[k] + Recipe(w, k));
    }
    return;
  }
  if ((pad & kPadLeft) != 0) {
    if (!Repeat(pad, kPadLeft) || campaign.makeCount == 0) return;
    --campaign.makeCount;
    for (int k = 0; k < kMaterialCount; ++k) {
      if (Recipe(w, k) > 0) campaign.materialsUsed[k] = static_cast<uint16_t>(campaign.materialsUsed[k] - Recipe(w, k));
    }
    return;
  }
  if (!Take()) return;
  if (Confirm()) {
    if (campaign.makeCount == 0) return;
    PlaySoundEffect(kSoundMade);
    player.weapons[w] = static_cast<uint16_t>(player.weapons[w] + campaign.makeCount);
    for (int k = 0; k < kMaterialCount; ++k) {
      if (campaign.materialsUsed[k] != 0) player.items[k] = static_cast<uint16_t>(Count(player.items[k]) - campaign.materialsUsed[k]);
    }
    ClearOrder();
  } else {
    PlaySoundEffect(kSoundConfirm);
    ClearOrder();
    game.menuCursor = 1;
    CloseTo(page::kPrepare);
  }
}

void BriefingScreen::InputCollection(int pad) {
  if (!Cancel()) {
    game.keyLatch = 0;
    (void)pad;
    return;
  }
  if (!Take()) return;
  PlaySoundEffect(kSoundConfirm);
  ClearOrder();
  game.menuCursor = 2;
  CloseTo(page::kPrepare);
}

void BriefingScreen::InputRoute(int pad) {
  const int keys = kPadUp | kPadDown | kPadLeft | kPadRight;
  if ((pad & keys) == 0 && !Confirm() && !Cancel()) {
    game.keyLatch = 0;
    return;
  }
  if (!Take()) return;
  if ((pad & keys) != 0) {
    PlaySoundEffect(kSoundCursor);
    const RouteKey key = (pad & kPadLeft) != 0    ? RouteKey::kLeft
                         : (pad & kPadRight) != 0 ? RouteKey::kRight
                         : (pad & kPadUp) != 0    ? RouteKey::kUp
                                                  : RouteKey::kDown;
    RouteChoice choice;
    if (!ChooseRoute(game.nextArea, game.nextSubStage, key, campaign.routeColumn, campaign.routeRow, &choice)) return;
    campaign.routeColumn = choice.column;
    campaign.routeRow = choice.row;
    game.area = static_cast<uint8_t>(choice.area);
    game.subStage = static_cast<uint8_t>(choice.subStage);
    campaign.routeChosen = 1;
  } else if (Confirm()) {
    if (campaign.routeChosen != 0) StartChosenStage();
  } else {
    game.menuCursor = 0;
    game.screenTimer = page::kMain;
    game.screenEntered = phase::kOpen;
    campaign.routeChosen = 0;
  }
}

void BriefingScreen::StartChosenStage() {
  PlaySoundEffect(kSoundConfirm);
  game.missionNumber = 1;
  game.gameState = STATE_STAGE_LOAD;
  game.gameMode = kModeStory;
  const int byte = RouteDoorByte(campaign.routeColumn, campaign.routeRow);
  const int area = std::min<int>(game.nextArea, kAreaCount - 1);
  const int node = std::min<int>(game.nextSubStage, kSubStageSlots - 1);
  player.entryDoor = game.doorTable[area][node][byte];
  campaign.routeColumn = campaign.routeRow = 0;
  StopMusic();
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(520, 420, G(graph_slot::kLoading), 1);
}
