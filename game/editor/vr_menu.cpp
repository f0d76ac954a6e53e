#include "game/editor/vr_menu.h"

#include <cstdio>
#include <cstring>

#include "game/editor/vr_digits.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "game/shell/campaign_state.h"

namespace {

constexpr char kMenuImagePath[] = "patch/vr_menu.png";
constexpr char kHostImagePath[] = "patch/qetra.png";
// The user files of the game wait 500 ms after a write; the VR records only 100.
constexpr int kWriteWaitMs = 100;
constexpr uint8_t kMarkerLetters[3] = {'a', 'b', 'c'};

// Graph slots of the VR menu's screen set.
constexpr int kSlotHeadings = 83;  // "patch/vr_ui.png"
constexpr int kSlotBackground = 76;

constexpr int kRowTalk = 4;
constexpr int kRowBack = 5;
// The title menu's cursor comes back on its VR entry.
constexpr int kTitleCursorVr = 2;
constexpr int kRuleStealth = 1;
constexpr int kRuleKeyItem = 7;
constexpr int kCollectionFirst = 61, kCollectionLast = 66;

constexpr const char* kCategoryLabels[kVrCategoryRows] = {"Sneaking Mission", "Weapon Mission", "Advanced Mission",
                                                          "Bomb Mission",     "Talk with Qetra", "Back to Title"};
constexpr const char* kCategoryShortNames[kVrCategories] = {"Sneaking", "Weapon", "Advanced", "Bomb"};

// Host portrait cells by frame: (x, y) of the 120 x 108 cell, one entry per five frames.
constexpr int kHostCellW = 120, kHostCellH = 108;
constexpr int kHostCycle = 60;
constexpr int kHostCells[12][2] = {{0, 0},   {120, 0}, {0, 0},   {120, 0},   {0, 108},   {120, 0},
                                   {0, 0},   {120, 0}, {0, 0},   {120, 108}, {240, 108}, {120, 108}};

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }

// The text twice: once plain, once added on top, as a selected entry is drawn.
void GlowingLabel(int x, int y, const char* format, const char* a, int b = 0) {
  SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
  DrawFormatString(x, y, MenuText(), format, a, b);
  SetDrawBlendMode(kBlendNone, 0);
}

// Full-width colon separators, black with a grey copy one pixel up and to the left.
void Separator(int x, int y) {
  DrawFormatString(x + 1, y + 1, GetColor(0, 0, 0), "：");
  DrawFormatString(x, y, GetColor(198, 198, 198), "：");
}

}  // namespace

const char* const kVrHostLineTexts[kVrHostLines] = {
    "ここは、私が作ったバーチャル空間。実践さながらの訓練ができるのよ。",
    "河童の技術は世界一ぃ～！",
    "どうやら世の中には、光学迷彩を超える迷彩技術があるようだね。完全に姿を消すとか・・・",
    "もちろんオルハなら、全部SS取れるよね？",
    "アイスキューカンバ──────！",
    "他のエージェントと競うなら、やっぱり全てＡランク以上は取らないとねぇ。",
    "発覚回数と、被弾回数の合計でペナルティが課せられるよ。弾丸を有効に使って。",
    "射撃ターゲットがあるミッションは、全て破壊しないとゴールに入れないよ。",
    "オルハの腕なら、どんな鉄壁の要塞だろうと、一度も見つからずに任務達成できるでしょ。",
    "ブリーフィング画面のステージ選択の時に、DeleteキーとPageDownキーを押してみて。",
    "つかまりたい時は、アクションボタンを押しっぱなしにしておくと便利だよ。",
    "私の光学迷彩は、光を透過偏向させて透明になれるものなのさ。",
    "私の目に狂いはなかった！（いい研究材料だわ）",
    "潜入操作？何かいい物お土産によろしく。",
    "ちゃちゃっと、全部制覇しちゃえー。あなたなら出来るでしょう！",
    "(お値段以上♪ケトラっ★)",
    "ほらほら、しょげてないで、さくさく続ける！(もっとデータが欲しいのよー)",
    "このPC？最近買ったの。いいでしょう。ミルナのウルトラモバイルよー♪",
    "ステージを自分で作ってみたの？へぇ、私にも見せて頂戴。",
    "自分が作ったステージの配布が出来るの、知ってる？",
    "マニュアルにはちゃんと目を通した？実は知らないことが書いてあったりするかもよ。",
    "何々？「この度はサイレントデッキをお手に取って頂きありがとうございます」だってさ。",
    "楽しんでる？時には、休息も必要だよ。",
    "かっぱ巻きって美味しいのかしら…？",
    "向こうの世界には、闇に潜んで潜入するゲームがあるんだって。あなたも負けられないわね。",
    "闇から現れ、闇に消えていく…ステルスアクションの真髄だわ。",
    "闇に溶け込み、敵の目をかいくぐれぃ！",
    "ランクはSS S A B C Dの6段階あるよ。上を取れるよう頑張って！",
    "…メカリュネラかわいい。え？かわいくない？？",
    "な、何！？その物欲しそうな目は……光学迷彩は貸さないからねっ！？　　　うわっ何をするっ",
};

const char* const kVrCategoryHelp[kVrCategoryRows] = {
    "絶対に見つからずにゴールまでたどり着くミッションよ。丸腰で挑んでもらうから。",
    "各種武器の練習をしてもらうミッションよ。すべての標的を破壊しないとゴールできないよ。",
    "実際の潜入を想定したミッションよ。様々なルートから自分にとってベストな方法を見つけるのよ。",
    "ボム兵を使ったパズルモード。こいつをうまく使えは、実際のミッションにも役立つはず。",
    "ん？",
    "今日はもう終了？",
};

namespace {

constexpr const char* kSneakingHelp[10] = {
    "無駄な動作は一切排除！",
    "警備が厳重そうに見えても、必ず死角があるはず。走り抜けなさい！",
    "さっきまでのは、お手並み拝見ってところ。こっからが本番だぁね。",
    "下の様子を伺うのは常套手段。いきなり飛び降りずにぶら下がるのは基本だよ。",
    "なんだかのりのりだね。あの白い携帯端末はなんだろう？",
    "3層からなるステージだよ。1層を抜けたからって油断は禁物さ。",
    "隠れるところがない？光学迷彩はレンタル禁止なんだ。",
    "慎重な潜入もいいけど、たまには走り抜けてもいいんじゃない？",
    "大分複雑に作りこんでみたんだ。潜入してる感があって、燃えるでしょ。",
    "空間を広く取ってみたよ。広い視野を持つと心にも余裕が持てるかも？",
};
constexpr const char* kWeaponHelp[10] = {
    "麻酔弾ベースのステージだねぇ。邪魔なら眠らせる！それに尽きるよ。",
    "強化麻酔弾ベースのステージだねぇ。使いどころが肝心さ。",
    "メタル弾ベースのステージだねぇ。銃の角度の切り替えが決め手らしいよ。",
    "鉄鋼弾ベースのステージだねぇ。スプリットをうまく活用しないと厳しいよ。",
    "スパーク弾ベースのステージだねぇ。割って割って割りまくれ！",
    "プラズマ弾ベースのステージだねぇ。銃装備かどうかみわけないと。",
    "パルス弾ベースのステージだねぇ。これほど役に立つ弾はそうないよ。",
    "ゼンモル弾のステージだねぇ。これを使うのはお手の物でしょ？",
    "メタル弾のステージパート2だねぇ。穴に落とすのは爽快さ。",
    "メタル弾のステージパート3だねぇ。床が動くからってあせっちゃダメ。",
};
constexpr const char* kAdvancedHelp[5] = {
    "比較的広い空間での行動を想定したミッションよ。慎重にね。",
    "小さな部屋に分かれた施設を攻略することを想定したミッションよ。",
    "いくつか点在する部屋から必要なものを取得してくるミッション。攻略法は一つじゃないよ。",
    "大きく２つに分かれたルートを進行するミッション。自分にとっての弱点が見つかるかもねぇ。",
    "弾薬庫から、目的の中枢へ潜入することを想定したミッションよ。",
};
constexpr const char* kBombHelp[5] = {
    "ボム兵わーるど初級編へようこそ！すっきり爽快していってね。",
    "ボム兵わーるど中級編へようこそ！時には、ゆっくりしていってね。",
    "ボム兵わーるど誘導編へようこそ！一緒に瞬間移動していってね。",
    "ボム兵わーるど(笑)編へようこそ！クスッと一笑いしていってね。",
    "ボム兵わーるど上級編へようこそ！最後にバシッと決めていってね。",
};
constexpr const char* const* kMissionHelp[kVrCategories] = {kSneakingHelp, kWeaponHelp, kAdvancedHelp, kBombHelp};

// Weapons granted per category and mission: up to two (weapon, ammunition) pairs and the
// weapon selected; -1 ends the list.
struct VrLoadout {
  int weapons[2][2];
  int selected;
};
constexpr VrLoadout kNoWeapons{{{-1, 0}, {-1, 0}}, -1};
constexpr VrLoadout kWeaponLoadouts[10] = {
    {{{0, 0}, {-1, 0}}, 0}, {{{1, 4}, {-1, 0}}, 1}, {{{2, 6}, {-1, 0}}, 2}, {{{3, 1}, {-1, 0}}, 3},
    {{{4, 2}, {-1, 0}}, 4}, {{{5, 0}, {-1, 0}}, 5}, {{{6, 0}, {-1, 0}}, 6}, {{{7, 0}, {-1, 0}}, 7},
    {{{2, 0}, {-1, 0}}, 2}, {{{2, 1}, {-1, 0}}, 2},
};
constexpr VrLoadout kAdvancedLoadouts[5] = {
    {{{0, 3}, {2, 2}}, 0}, {{{2, 2}, {3, 1}}, 2}, {{{3, 2}, {4, 0}}, 4}, {{{3, 2}, {-1, 0}}, 3}, {{{2, 0}, {-1, 0}}, 2},
};
constexpr VrLoadout kBombLoadouts[5] = {
    {{{2, 1}, {-1, 0}}, 2}, {{{2, 1}, {-1, 0}}, 2}, {{{2, 3}, {4, 3}}, 4}, {{{2, 1}, {-1, 0}}, 2}, {{{2, 1}, {4, 2}}, 4},
};

VrLoadout LoadoutOf(int category, int mission) {
  if (mission < 0) return kNoWeapons;
  switch (category) {
    case 1: return {{{0, 0}, {-1, 0}}, 0};
    case 2: return mission < 10 ? kWeaponLoadouts[mission] : kNoWeapons;
    case 3: return mission < 5 ? kAdvancedLoadouts[mission] : kNoWeapons;
    case 4: return mission < 5 ? kBombLoadouts[mission] : kNoWeapons;
    default: return kNoWeapons;
  }
}

}  // namespace

const char* VrMissionHelp(int category, int mission) {
  if (category < 1 || category > kVrCategories || mission < 0 || mission >= kVrMissionCounts[category - 1]) return "";
  return kMissionHelp[category - 1][mission];
}

void SetUpVrMissionLoadout() {
  const int category = game.vrCategory, mission = game.vrMission;
  game.vrDiscoveries = 0;
  game.vrHitsTaken = 0;
  // In the sneaking missions being seen means being caught.
  game.missionRules[kRuleStealth] = category == 1 ? 1 : 0;
  player.life = 100;
  player.selectedGadget = 0;
  player.storedGadget = 0;
  for (uint16_t& count : player.weapons) count = kNotOwned;
  for (uint16_t& count : player.items) count = kNotOwned;
  for (uint16_t& count : player.gadgets) count = kNotOwned;
  player.gadgets[0] = 0;
  for (int i = kCollectionFirst; i <= kCollectionLast; ++i) {
    game.saveRecord[i] = 0;
    game.checkpoint[i] = 0;
  }
  game.missionRules[kRuleKeyItem] = 0;
  const VrLoadout loadout = LoadoutOf(category, mission);
  for (const auto& weapon : loadout.weapons) {
    if (weapon[0] >= 0) player.weapons[weapon[0]] = static_cast<uint16_t>(weapon[1]);
  }
  if (loadout.selected >= 0) player.selectedWeapon = static_cast<int16_t>(loadout.selected);
}

VrMenu::VrMenu() {
  std::memset(marks, kVrMarkNone, sizeof marks);
  // VR is always played by the first character in her first costume.
  game.costume = 0;
  game.character = 0;
  menuImage = LoadGraph(kMenuImagePath, 0);
  hostImage = LoadGraph(kHostImagePath, 0);
  ReadRecords();
  StopMusic();
}

VrMenu::~VrMenu() {
  DeleteGraph(menuImage, 0);
  DeleteGraph(hostImage, 0);
}

void VrMenu::WriteImage() {
  WriteUserFile(kVrRecordPath, fileImage, kVrFileBytes);
  WaitTime(kWriteWaitMs);
}

void VrMenu::ReadRecords() {
  std::FILE* file = std::fopen(kVrRecordPath, "rb");
  if (file == nullptr) {
    StoreRecords(1);
    return;
  }
  // A short file leaves zeros behind its end, which no copy holds as a value.
  std::memset(fileImage, 0, sizeof fileImage);
  const size_t got = std::fread(fileImage, 1, sizeof fileImage, file);
  std::fclose(file);
  (void)got;
  if (!DecodeVrRecords(fileImage, records, marks)) {
    game.screenEntered = 0;
    game.gameState = STATE_VR_DATA_RESET;
  }
}

void VrMenu::StoreRecords(int mode) {
  if (mode == 1) {
    // A fresh table is a fresh file: nothing of a damaged one is carried over.
    std::memset(fileImage, 0, sizeof fileImage);
    InitialiseVrRecords(records, marks);
  }
  EncodeVrRecords(records, marks, fileImage);
  WriteImage();
}

void VrMenu::CheckFileMarker() {
  bool anyMatches = false;
  for (int i = 0; i < 3; ++i) anyMatches = anyMatches || fileImage[vr_file::kMarker + i] == kMarkerLetters[i];
  if (anyMatches) return;
  StoreRecords(1);
  for (int i = 0; i < 3; ++i) fileImage[vr_file::kMarker + i] = kMarkerLetters[i];
  WriteImage();
}

void VrMenu::WriteTimeFile() {
  for (int i = 0; i < 3; ++i) {
    fileImage[vr_file::kVersion + i] = static_cast<uint8_t>(game.timeFileMarks[i] * (i + 3) + (i + 3));
  }
  WriteImage();
}

void VrMenu::ClampRecords() {
  if (ClampVrRecords(records)) recordsReset = 1;
}

void VrMenu::ComputeTotalTime() {
  const VrTotalTime total = ComputeVrTotal(records);
  totalHours = total.hours;
  totalMinutes = total.minutes;
  totalSeconds = total.seconds;
  totalHundredths = total.hundredths;
}

void VrMenu::DrawHost(int x, int y) {
  const int* cell = kHostCells[hostFrame >= kHostCycle ? 11 : hostFrame / 5];
  DrawRectGraph(x, y, cell[0], cell[1], kHostCellW, kHostCellH, hostImage, 1, 0);
  if (++hostFrame > kHostCycle) hostFrame = 0;
}

void VrMenu::DrawCursorGlow(int x, int y) {
  const int passes = 1 + GetRandom(4);
  for (int i = 0; i < passes; ++i) {
    SetDrawBlendMode(kBlendAdd, 96);
    DrawRectGraph(x, y, 245, 157, 266, 38, game.graphs[graph_slot::kButtons], 1, 0);
    SetDrawBlendMode(kBlendNone, 0);
  }
}

void VrMenu::UpdateCorruptNotice(int) {
  if (game.screenEntered == 0) {
    LoadScreenGraphics();
    game.screenEntered = 1;
    StoreRecords(1);
  }
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(0, 0, game.graphs[kSlotBackground], 1);
  DrawHost(-25, 485);
  DrawRectGraph(60, 540, 13, 257, 428, 43, menuImage, 1, 0);
  DrawRectGraph(479, 544, 13, 302, 312, 43, menuImage, 1, 0);
  DrawFormatString(95, 560, MenuText(), "VRミッションデータが破損していたから、初期化しておいたよ。");
  if (game.action[kActionConfirm] != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundConfirm);
      game.gameState = STATE_VR_MENU;
      game.screenEntered = 0;
    }
  } else {
    game.keyLatch = 0;
  }
}

void VrMenu::StoreResult() {
  game.vrResultPending = 0;
  const int c = game.vrCategory - 1, m = game.vrMission;
  if (c < 0 || c >= kVrCategories || m >= kVrMissionSlots) return;
  for (int p = 0; p < kVrPlaces; ++p) {
    for (int f = 0; f < kVrFields; ++f) records[c][m][p][f] = static_cast<int16_t>(game.vrResultTimes[p][f]);
  }
  marks[c][m] = game.vrResultMark;
  ClampRecords();
  StoreRecords(2);
}

void VrMenu::Enter() {
  game.screenEntered = 1;
  campaign.routeColumn = campaign.routeRow = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  if (game.vrCategory > 0) game.menuCursor = game.vrCategory - 1;
  LoadScreenGraphics();
  CheckFileMarker();
  if (recordsReset != 0) StoreRecords(2);
  recordsReset = 0;
  ComputeTotalTime();
  WriteTimeFile();
}

void VrMenu::Update(int pad) {
  if (game.vrResultPending != 0) StoreResult();
  ClampRecords();
  if (game.screenEntered == 0) Enter();
  DrawScreen();
  HandleInput(pad);
}

void VrMenu::DrawScreen() {
  const int* g = game.graphs;
  const int buttons = g[graph_slot::kButtons];
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(0, 0, g[kSlotBackground], 1);
  DrawRectGraph(226, 20, 0, 0, 345, 47, g[kSlotHeadings], 1, 0);
  DrawRectGraph(319, 29, 0, 100, 162, 25, g[kSlotHeadings], 1, 0);

  for (int i = 0; i < kVrCategoryRows; ++i) {
    DrawRectGraph(50, 90 + 40 * i, 0, 0, 266, 43, buttons, 1, 0);
    if (i == game.menuCursor) {
      DrawRectGraph(50, 90 + 40 * i, 0, 77, 266, 43, buttons, 1, 0);
      DrawCursorGlow(51, 89 + 40 * i);
    }
    DrawFormatString(110, 100 + 40 * i, MenuText(), "%s", kCategoryLabels[i]);
    if (i == game.menuCursor) GlowingLabel(110, 100 + 40 * i, "%s", kCategoryLabels[i]);
  }

  SetDrawBlendMode(kBlendAlpha, 64);
  DrawBox(95, 345, 295, 445, GetColor(0, 0, 0), 1);
  DrawBox(90, 340, 290, 440, GetColor(128, 128, 168), 1);
  SetDrawBlendMode(kBlendNone, 0);

  const int category = game.vrCategory;
  if (category >= 1 && category <= kVrCategories) {
    const int c = category - 1;
    for (int i = 0; i < kVrMissionCounts[c]; ++i) {
      const int y = 90 + 40 * i;
      DrawRectGraph(420, y, 0, 0, 266, 43, buttons, 1, 0);
      const bool selected = i == game.vrMission;
      if (selected) {
        DrawRectGraph(420, y, 0, 77, 266, 43, buttons, 1, 0);
        DrawCursorGlow(421, y - 1);
      }
      DrawFormatString(480, y + 10, MenuText(), "%s Mission - %d", kCategoryShortNames[c], i + 1);
      if (selected) GlowingLabel(480, y + 10, "%s Mission - %d", kCategoryShortNames[c], i + 1);
      const int rank = VrRank(c, i, records[c][i][0]);
      if (rank < 0) continue;
      const bool clean = marks[c][i] == kVrMarkClean;
      if (rank == 0) {
        DrawRectGraph(675, y + 2, 2, 353, 28, 28, menuImage, 1, 0);
        DrawRectGraph(687, y + 2, 2, 353, 28, 28, menuImage, 1, 0);
        if (clean) DrawRectGraph(708, y + 2, 46, 353, 28, 28, menuImage, 1, 0);
      } else {
        const int sy = 353 + 28 * (rank - 1);
        DrawRectGraph(675, y + 2, 2, sy, 28, 28, menuImage, 1, 0);
        if (clean) DrawRectGraph(698, y + 2, 46, sy, 28, 28, menuImage, 1, 0);
      }
    }

    const int m = game.vrMission < kVrMissionSlots ? game.vrMission : 0;
    SetDrawBright(255, 255, 168);
    DrawRectGraph(105, 349, 0, 68, 60, 30, menuImage, 1, 0);
    SetDrawBright(255, 255, 255);
    DrawRectGraph(105, 378, 0, 98, 60, 30, menuImage, 1, 0);
    SetDrawBright(255, 164, 96);
    DrawRectGraph(105, 408, 0, 128, 60, 30, menuImage, 1, 0);
    static constexpr int kPlaceTint[3][3] = {{255, 255, 168}, {255, 255, 255}, {255, 164, 96}};
    for (int p = 0; p < kVrPlaces; ++p) {
      const int y = 355 + 30 * p;
      SetDrawBright(kPlaceTint[p][0], kPlaceTint[p][1], kPlaceTint[p][2]);
      for (int f = 0; f < kVrFields; ++f) DrawTwoDigits(records[c][m][p][f], 200 + 25 * f, y);
      SetDrawBright(255, 255, 255);
      Separator(217, y);
      Separator(242, y);
    }
  }

  DrawRectGraph(83, 456, 0, 0, 220, 40, menuImage, 1, 0);
  DrawRectGraph(94, 463, 0, 39, 92, 23, menuImage, 1, 0);
  SetDrawBright(255, 168, 168);
  const int totals[4] = {totalHours, totalMinutes, totalSeconds, totalHundredths};
  for (int i = 0; i < 4; ++i) DrawTwoDigits(totals[i], 190 + 25 * i, 470);
  SetDrawBright(255, 255, 255);
  for (int x : {208, 233, 258}) Separator(x - 1, 470);

  DrawHost(-25, 485);

  if (talkShown != 0) {
    DrawRectGraph(60, 510, 68, 178, 332, 44, menuImage, 1, 0);
    DrawRectGraph(350, 510, 100, 178, 332, 44, menuImage, 1, 0);
    DrawRectGraph(680, 510, 400, 178, 100, 44, menuImage, 1, 0);
    DrawFormatString(95, 518, GetColor(9, 66, 124), "%s", kVrHostLineTexts[talkLine % kVrHostLines]);
  }

  DrawRectGraph(60, 540, 13, 257, 428, 43, menuImage, 1, 0);
  DrawRectGraph(479, 544, 13, 302, 312, 43, menuImage, 1, 0);
  const char* help = category == 0 ? kVrCategoryHelp[game.menuCursor >= 0 && game.menuCursor < kVrCategoryRows ? game.menuCursor : 0]
                                   : VrMissionHelp(category, game.vrMission);
  DrawFormatString(95, 560, MenuText(), "%s", help);
}

void VrMenu::HandleInput(int pad) {
  const bool up = (pad & kPadUp) != 0, down = (pad & kPadDown) != 0;
  const bool confirm = game.action[kActionConfirm] != 0, cancel = game.action[kActionCancel] != 0;
  if (!up && !down && !confirm && !cancel) {
    game.keyLatch = 0;
    game.holdFrames = 0;
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  const int category = game.vrCategory;
  const int lastMission = category >= 1 && category <= kVrCategories ? kVrMissionCounts[category - 1] - 1 : 0;
  if (up) {
    PlaySoundEffect(kSoundCursor);
    if (category == 0) {
      game.menuCursor = game.menuCursor <= 0 ? kVrCategoryRows - 1 : game.menuCursor - 1;
    } else {
      game.vrMission = static_cast<uint16_t>(game.vrMission == 0 ? lastMission : game.vrMission - 1);
    }
  } else if (down) {
    PlaySoundEffect(kSoundCursor);
    if (category == 0) {
      game.menuCursor = game.menuCursor >= kVrCategoryRows - 1 ? 0 : game.menuCursor + 1;
    } else {
      game.vrMission = static_cast<uint16_t>(game.vrMission >= lastMission ? 0 : game.vrMission + 1);
    }
  } else if (confirm) {
    if (category != 0) {
      StartMission();
    } else if (game.menuCursor >= 0 && game.menuCursor < kVrCategories) {
      PlaySoundEffect(kSoundConfirm);
      game.vrCategory = static_cast<uint16_t>(game.menuCursor + 1);
    } else if (game.menuCursor == kRowTalk) {
      if (talkShown == 0) {
        PlaySoundEffect(kSoundConfirm);
        talkShown = 1;
        talkLine = static_cast<uint8_t>(GetRandom(kVrHostLines - 1));
      }
    } else if (game.menuCursor == kRowBack) {
      PlaySoundEffect(kSoundConfirm);
      LeaveToTitle();
    }
  } else if (cancel) {
    PlaySoundEffect(kSoundCancel);
    if (category != 0) {
      game.vrCategory = 0;
      game.vrMission = 0;
    } else {
      LeaveToTitle();
    }
  }
}

void VrMenu::StartMission() {
  const int c = game.vrCategory - 1;
  const int m = game.vrMission < kVrMissionSlots ? game.vrMission : 0;
  PlaySoundEffect(kSoundConfirm);
  game.gameMode = kModeVr;
  game.missionNumber = game.nextMissionNumber;
  game.gameState = STATE_STAGE_LOAD;
  game.subStage = static_cast<uint8_t>(game.vrMission);
  game.area = static_cast<uint8_t>(game.menuCursor);
  StopMusic();
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(520, 420, game.graphs[graph_slot::kLoading], 1);
  for (int p = 0; p < kVrPlaces; ++p) {
    for (int f = 0; f < kVrFields; ++f) game.vrResultTimes[p][f] = static_cast<uint16_t>(records[c][m][p][f]);
  }
  SetUpVrMissionLoadout();
  game.menuCursor = 0;
  game.vrResultMark = marks[c][m] == kVrMarkClean ? kVrMarkClean : kVrMarkNone;
}

void VrMenu::LeaveToTitle() {
  game.gameState = STATE_TITLE;
  game.screenEntered = 0;
  campaign.routeColumn = campaign.routeRow = 0;
  game.vrMission = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  game.menuCursor = kTitleCursorVr;
}
