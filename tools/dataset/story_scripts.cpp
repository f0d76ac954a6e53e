// The words of the story. Three agents board the freighter "Astra Veil": Oruha glides in
// from the night sky, Tevani drops from a helicopter, and Suvel, who runs a small repair
// shop, is talked through the ship by radio by her partner Dunami. Meliko keeps the shrine
// where the first two receive their orders; Vos is the ship's captain and Ubana the engineer
// who helps them from inside. The texts are kept short enough for one line of the talk
// window each.
#include "tools/dataset/story_scripts.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

namespace dataset {
namespace {

struct Line {
  char who;  // 'L' left portrait, 'R' right portrait, 'N' narration (no focus change)
  const char* face;
  const char* text1;
  const char* text2;
};

class ScriptWriter {
 public:
  explicit ScriptWriter(int number) { script_.number = number; }
  ScriptWriter& Cmd(const char* command, const std::string& argument = "") {
    script_.text += command;
    script_.text += '\t';
    script_.text += argument.empty() ? "0" : argument;
    script_.text += "\r\n";
    return *this;
  }
  ScriptWriter& Say(const char* text1, const char* text2 = nullptr) {
    Cmd("talk_1", text1);
    if (text2 != nullptr) Cmd("talk_2", text2);
    return Cmd("key_wait");
  }
  StoryScript Done() {
    Cmd("end");
    return script_;
  }

 private:
  StoryScript script_;
};

// A talk between two portraits (right may be empty), the window faded in and out round it.
StoryScript Talk(int number, const char* left, const char* right, std::initializer_list<Line> lines,
                 std::initializer_list<std::pair<const char*, const char*>> after = {},
                 const char* music = nullptr) {
  ScriptWriter w(number);
  w.Cmd("fade");
  if (music != nullptr) w.Cmd("set_bgm", music);
  w.Cmd("window_load");
  w.Cmd("load_char_1", left);
  if (right != nullptr) w.Cmd("load_char_2", right);
  w.Cmd("char1_on");
  if (right != nullptr) w.Cmd("char2_on");
  w.Cmd("window_on");
  for (const Line& l : lines) {
    if (l.who == 'L') {
      w.Cmd("char_forcus_on", "1").Cmd("char_forcus_off", "2").Cmd("face_1", l.face);
    } else if (l.who == 'R') {
      w.Cmd("char_forcus_on", "2").Cmd("char_forcus_off", "1").Cmd("face_2", l.face);
    }
    w.Say(l.text1, l.text2);
  }
  w.Cmd("window_off");
  w.Cmd("char_all_off");
  for (const auto& [command, argument] : after) w.Cmd(command, argument);
  return w.Done();
}

// A talk over a story scene's dot sprites: the dot face command before each line.
struct DotLine {
  const char* dotCommand;  // nullptr: narration
  const char* face;
  const char* text1;
  const char* text2;
};

StoryScript DotTalk(int number, std::initializer_list<DotLine> lines, const char* sound = nullptr) {
  ScriptWriter w(number);
  w.Cmd("window_load");
  if (sound != nullptr) w.Cmd("set_se", sound);
  w.Cmd("window_on");
  for (const DotLine& l : lines) {
    if (l.dotCommand != nullptr) w.Cmd(l.dotCommand, l.face);
    w.Say(l.text1, l.text2);
  }
  w.Cmd("window_off");
  return w.Done();
}

// A radio call from Dunami to the third agent.
StoryScript Call(int number, std::initializer_list<Line> lines,
                 std::initializer_list<std::pair<const char*, const char*>> after = {}) {
  ScriptWriter w(number);
  w.Cmd("window_load");
  w.Cmd("load_char_1", "evx/dunami_mini.png");
  w.Cmd("char1_on");
  w.Cmd("connect_sound");
  w.Cmd("connect_on");
  w.Cmd("window_on");
  for (const Line& l : lines) {
    w.Cmd("face_1", l.face);
    w.Say(l.text1, l.text2);
  }
  w.Cmd("window_off");
  w.Cmd("connect_off");
  w.Cmd("char1_off");
  for (const auto& [command, argument] : after) w.Cmd(command, argument);
  return w.Done();
}

constexpr const char* O = "evx/oruha.png";
constexpr const char* T = "evx/tevani.png";
constexpr const char* S = "evx/suvel.png";
constexpr const char* M = "evx/meliko.png";
constexpr const char* V = "evx/vos.png";
constexpr const char* U = "evx/ubana.png";

std::vector<StoryScript> Write() {
  std::vector<StoryScript> s;
  // ---- The first agent's opening ----
  s.push_back(DotTalk(1, {{nullptr, "", "新暦八十二年、冬。", "北洋を貨物船アストラ・ヴェイル号が南へ進んでいた。"},
                          {nullptr, "", "積荷の名は『白い羅針盤』。", "それが何なのか、知る者は船の上にもわずかしかいない。"}}));
  s.push_back(DotTalk(2, {{"dot_face_tevani", "笑顔", "オルハ、遅かったね。お茶、冷めちゃったよ。", nullptr},
                          {"dot_face_oruha", "ムッツリ", "任務の前に茶会をする趣味はない。", nullptr},
                          {"dot_face_tevani", "まんじゅう", "おまんじゅうもあるのに。", "メリコさまが呼ぶまで、まだ時間あるし。"},
                          {"dot_face_oruha", "通常", "……一つだけもらう。", nullptr}}));
  s.push_back(Talk(3, O, M,
                   {{'R', "通常", "こちらメリコ。オルハ、風の具合はどう？", nullptr},
                    {'L', "通常", "西風、十二ノット。予定どおり船の真上に出る。", nullptr},
                    {'R', "悩み", "甲板の見張りは四人。降りたらすぐ物陰へ。", "羅針盤の場所は船倉の奥のはず。"},
                    {'L', "笑顔", "了解。では、夜の散歩に行ってくる。", nullptr}}));
  s.push_back(DotTalk(4, {{"dot_face_tevani", "通常", "メリコさま、行ってきます。", nullptr},
                          {"dot_face_tevani", "笑顔", "オルハより先に羅針盤を見つけてみせますから！", nullptr}}));
  s.push_back(Talk(5, T, M,
                   {{'R', "通常", "テヴァニ、降下地点まであと一分。", nullptr},
                    {'L', "驚き", "うわ、思ったより船が揺れてる……。", nullptr},
                    {'R', "笑顔", "降下地点は船の中ほど、制御室の真上よ。", nullptr},
                    {'L', "怒り", "よし、気合い入れていきます！", nullptr}}));
  s.push_back(DotTalk(7, {{"dot_face_oruha", "通常", "メリコさまから指令だ。", "今夜、アストラ・ヴェイル号に乗り込む。"},
                          {"dot_face_tevani", "驚き", "今夜！？　準備、何もしてないよ！", nullptr},
                          {"dot_face_tevani", "アセ", "えっと、装備と、地図と、それから……。", nullptr},
                          {"dot_face_oruha", "笑顔", "私は空から行く。テヴァニは後から来てくれ。", nullptr}},
                      "evx/coin.wav"));
  s.push_back(DotTalk(8, {{"dot_face_tevani", "ムッツリ", "……また一人で先に行っちゃうんだから。", nullptr},
                          {"dot_face_tevani", "通常", "気をつけてね、オルハ。", nullptr}}));
  s.push_back(Talk(11, O, nullptr,
                   {{'L', "通常", "……着地。見張りには気づかれていない。", nullptr},
                    {'L', "悩み", "まずは船倉へ降りる道を探そう。", nullptr}}));
  s.push_back(Talk(19, O, U,
                   {{'R', "驚き", "誰だ！　……いや、待て。あんた、外の人間だな。", nullptr},
                    {'L', "通常", "騒がないでくれ。船に用があるだけだ。", nullptr},
                    {'R', "悩み", "俺は機関士のウバナ。船長のやり方には前から反対でね。", nullptr},
                    {'R', "笑顔", "この先の隔壁を開けてやる。うまくやりな。", nullptr}}));
  s.push_back(Talk(21, T, U,
                   {{'R', "通常", "お嬢さん、こっちだ。配電盤を落とせば扉が開く。", nullptr},
                    {'L', "驚き", "えっ、手伝ってくれるんですか？", nullptr},
                    {'R', "笑顔", "あんたの相棒にも借りがあるんでね。", nullptr}}));
  s.push_back(Talk(23, T, O,
                   {{'R', "通常", "テヴァニ、ここまで来たか。", nullptr},
                    {'L', "笑顔", "オルハ！　無事でよかった！", nullptr},
                    {'R', "悩み", "この先は二手に分かれる。私は上、テヴァニは下だ。", nullptr},
                    {'L', "通常", "了解。障壁はウバナさんが開けてくれるって。", nullptr}}));
  s.push_back(Talk(26, O, T,
                   {{'L', "笑顔", "羅針盤は回収した。これで船は港に戻れない。", nullptr},
                    {'R', "笑顔", "メリコさまにいい報告ができるね。", nullptr},
                    {'L', "通常", "帰ろう、テヴァニ。夜明け前に。", nullptr}}));
  s.push_back(Talk(28, O, nullptr,
                   {{'L', "通常", "こちらオルハ。目標を確保した。", "回収の手配を頼む。"},
                    {'L', "悩み", "……ローターの音。早いな。", nullptr}}));
  s.push_back(Talk(29, O, T,
                   {{'R', "笑顔", "オルハー！　迎えに来たよ！", nullptr},
                    {'L', "驚き", "テヴァニ、操縦しているのは誰だ？", nullptr},
                    {'R', "笑顔", "ウバナさん！　船を降りるって言うから乗せてきた！", nullptr}}));
  s.push_back(Talk(30, O, V,
                   {{'R', "怒り", "待て！　その羅針盤を返せ！", nullptr},
                    {'L', "通常", "船長ヴォス。密輸の帳簿はもう港に送った。", nullptr},
                    {'R', "驚き", "な……何だと！？", nullptr},
                    {'L', "笑顔", "いい航海を、船長。", nullptr}}));
  s.push_back(Talk(31, T, nullptr,
                   {{'L', "驚き", "いたた……爆発で天井が抜けるなんて聞いてない！", nullptr},
                    {'L', "通常", "ここは制御室か。連絡橋を渡って奥を目指そう。", nullptr}}));
  s.push_back(Talk(40, T, O,
                   {{'R', "通常", "テヴァニ、そこにいたか。", nullptr},
                    {'L', "驚き", "オルハ！？　どうしてここに？", nullptr},
                    {'R', "悩み", "見張りの交代が早まった。急いだほうがいい。", nullptr}}));
  s.push_back(Talk(46, T, nullptr,
                   {{'L', "笑顔", "羅針盤、確保！　あとは帰るだけ！", nullptr},
                    {'L', "通常", "迎えのヘリ、ちゃんと来てくれるかな……。", nullptr}}));
  s.push_back(Talk(47, T, O,
                   {{'R', "笑顔", "よくやった、テヴァニ。", nullptr},
                    {'L', "笑顔", "えへへ。今度はオルハがお茶をいれてね。", nullptr}}));
  s.push_back(Talk(62, T, O,
                   {{'R', "通常", "この区画の見張りは私が引きつける。", nullptr},
                    {'L', "悩み", "一人で大丈夫？", nullptr},
                    {'R', "笑顔", "心配するな。すぐに追いつく。", nullptr}}));
  s.push_back(Talk(63, O, U,
                   {{'R', "通常", "電磁障壁の制御はこの端末だ。全部落とすぞ。", nullptr},
                    {'L', "通常", "助かる。これで奥へ進める。", nullptr}}));
  s.push_back(Talk(64, T, O,
                   {{'R', "通常", "足音がする。下がっていろ。", nullptr},
                    {'L', "驚き", "オルハ、後ろ！", nullptr},
                    {'R', "怒り", "……片付いた。行くぞ。", nullptr}}));
  // ---- The third agent's opening and ending, at the repair shop ----
  s.push_back(DotTalk(101, {{"dot_face_suvel", "通常", "修理屋スヴェル、今日も開店休業。", nullptr},
                            {"dot_face_suvel", "ムッツリ", "……ドゥナミ、また端末を占領してる。", nullptr}}));
  s.push_back(DotTalk(102, {{"dot_face_dunami", "通常", "スヴェル、仕事だ。大きな船の仕事。", nullptr},
                            {"dot_face_suvel", "驚き", "船？　うちは時計と無線機の修理屋だよ？", nullptr},
                            {"dot_face_dunami", "笑顔", "その無線機で、俺が中から案内する。", nullptr}}));
  s.push_back(DotTalk(103, {{"dot_face_dunami", "ムッツリ", "船の名はアストラ・ヴェイル。", "積荷の中に、君の師匠の羅針盤がある。"},
                            {"dot_face_suvel", "ムッツリ", "……わかった。取り返しに行く。", nullptr}}));
  s.push_back(DotTalk(104, {{"dot_face_dunami", "通常", "転送装置を起動する。目を閉じて。", nullptr},
                            {"dot_face_suvel", "通常", "帰ったら、店番はドゥナミの担当だからね。", nullptr}}));
  s.push_back(Call(110, {{'L', "通常", "スヴェル、聞こえるか。船に着いたな。", nullptr},
                         {'L', "笑顔", "まずは甲板の下へ。俺が道を教える。", nullptr}}));
  s.push_back(DotTalk(140, {{"dot_face_dunami", "笑顔", "おかえり、スヴェル。よくやった。", nullptr},
                            {"dot_face_suvel", "通常", "羅針盤、ちゃんと動いてる。師匠の字だ。", nullptr}}));
  s.push_back(DotTalk(141, {{"dot_face_pirel", "通常", "あの……修理屋さんは、ここですか？", nullptr},
                            {"dot_face_pirel", "リュネラ", "これ、お礼の花です。船から逃がしてくれたから。", nullptr},
                            {"dot_face_suvel", "驚き", "あのときの子！", nullptr},
                            {"dot_face_pirel", "笑顔", "また壊れたら、持ってきますね。", nullptr}}));
  // ---- Fixed scenes of the third agent's missions 1, 8, 10, 20, 21 and 24 ----
  s.push_back(Call(111, {{'L', "通常", "スヴェル、その先の扉は警報とつながっている。", nullptr},
                         {'L', "悩み", "船尾甲板の上を回り込め。扉には触るな。", nullptr}},
                   {{"set_target_st", "1"}, {"set_target_num", "2"}}));
  s.push_back(Call(118, {{'L', "驚き", "兵器製造室の奥で、番犬代わりの機械が動き出した。", nullptr},
                         {'L', "通常", "弾を少し送った。機械の背中から狙え。", nullptr}},
                   {{"get_ammo", "1"}}));
  s.push_back(Call(120, {{'L', "通常", "ダクトの分かれ道に、非常用の道具箱がある。", nullptr},
                         {'L', "笑顔", "中身はもらっておけ。この暗さだ、役に立つ。", nullptr}},
                   {{"get_item", "60"}}));
  s.push_back(Talk(130, S, V, {{'R', "怒り", "サウンドルームに鼠が一匹。お前が例の修理屋か。", nullptr},
                               {'L', "通常", "羅針盤を返してもらいに来ただけ。", nullptr}},
                   {}, "bzx/event.ogg"));
  s.push_back(Talk(131, S, V, {{'R', "怒り", "まだいたか！　エンジンルームごと閉じ込めてやる！", nullptr},
                               {'L', "怒り", "閉じ込められるのは、そっちだよ！", nullptr}},
                   {}, "bzx/event.ogg"));
  s.push_back(Call(134, {{'L', "驚き", "スヴェル、船首が傾いてきた。機関室の火が回ったらしい。", nullptr},
                         {'L', "通常", "迷彩の装置を送った。甲板の先まで一気に行け。", nullptr}},
                   {{"get_gadget", "2"}}));
  // ---- The event scripts of the areas (the event table) ----
  // Meliko speaks them over the radio, so they fit either agent; each names the place of the
  // area's first stage, where its trigger lies.
  const char* kAreaLines[8][2] = {
      {"船尾甲板ね。見張りは交代制よ。", "交代の隙をついて船内へ入って。"},
      {"一般区画のエントランスよ。", "ここから先は乗組員の持ち場。見つからないで。"},
      {"連絡橋ね。下は真っ暗な海よ。", "落ちたら助けられない。慎重に渡って。"},
      {"巨大通気口の中ね。風がうなっているわ。", "風の音が、あなたの足音を消してくれる。"},
      {"貨物区画の一般貨物室ね。", "荷札の港の名前は、どれも偽物みたい。"},
      {"研究施設のエントランス……。", "貨物船に、どうしてこんな設備があるのかしら。"},
      {"機械室の大ホールね。機関の熱がこもっているわ。", "動力施設はこの奥よ。"},
      {"エンジンルームの廃棄室ね。", "船首甲板まで、あと少しよ。"}};
  static constexpr const char* kAmmo[4] = {"0", "1", "2", "3"};
  for (int area = 0; area < 8; ++area) {
    s.push_back(Talk(32 + area, M, nullptr, {{'L', area % 2 == 0 ? "悩み" : "通常", kAreaLines[area][0], kAreaLines[area][1]}},
                     {{"get_ammo", kAmmo[area % 4]}}));
  }
  // ---- The talk once the agent stands still in the general cargo room (scene 110), each
  // agent her own ----
  s.push_back(Talk(41, O, nullptr,
                   {{'L', "悩み", "……この木箱、中身は銃だ。", "貨物船が運ぶ量ではない。"},
                    {'L', "通常", "船長の密輸は、羅針盤だけではないらしい。", nullptr}}));
  s.push_back(Talk(42, T, nullptr,
                   {{'L', "驚き", "わっ、この木箱、全部銃が入ってる……！", nullptr},
                    {'L', "怒り", "こんなもの、港に着かせるもんか。", nullptr}}));
  s.push_back(Call(43, {{'L', "通常", "スヴェル、止まって聞いてくれ。ここから貨物区画だ。", nullptr},
                        {'L', "悩み", "積荷の記録を見た。羅針盤はこの区画を通って運ばれた。", nullptr},
                        {'L', "笑顔", "あと少しだ。君の師匠の字は、逃げやしない。", nullptr}}));
  // ---- The third agent's mission briefings, by radio: the place, the aim, the danger ----
  struct Briefing {
    const char* face;
    const char* opening;
    const char* aim;
    const char* danger;
  };
  const Briefing kBriefings[24] = {
      {"通常", "着いたな。そこは船尾甲板の端だ。", "甲板を抜けて、奥のゴールまで行け。", "見張りが二人、固定カメラも一台ある。"},
      {"悩み", "船尾甲板の続きだ。風が強くなってきた。", "ゴールは甲板の反対側。物陰を伝っていけ。", "カメラの視界は足元まで届く。姿勢を低く。"},
      {"笑顔", "甲板の最後の区画だ。ここで腕試しといこう。", "標的が三つある。全部壊せばゴールが開く。", "撃てば音が出る。見張りの位置を先に確かめろ。"},
      {"通常", "船内に入ったな。ここは一般区画の入口だ。", "エントランスを抜けて、ゴールへ向かえ。", "首を振るカメラがいる。止まる間合いを読め。"},
      {"驚き", "船倉の一つ目だ。荷物の山で見通しが悪い。", "木箱を越えて、奥のゴールまで。", "砲台が一基ある。正面には立つな。"},
      {"悩み", "船倉の二つ目。下の階までつながっている。", "梯子を使って、ゴールのある階へ降りろ。", "巡回が多い。梯子の上で見つかると逃げ場がない。"},
      {"怒り", "連絡橋だ。ここは見つかった時点で終わりだ。", "誰にも見られずに、橋の向こうのゴールへ。", "カメラとドローンが橋を見張っている。焦るな。"},
      {"通常", "兵器製造室に入るぞ。機械の音で足音は消える。", "製造室を抜けて、ゴールまで行け。", "ドローンが天井を回っている。真下は避けろ。"},
      {"笑顔", "閉ざされた操舵室だ。舵は動かないままらしい。", "室内の標的を三つ壊せ。そうすればゴールが開く。", "カメラが二種類いる。撃つのは死角からだ。"},
      {"驚き", "ダクトの中だ。明かりはほとんどない。", "暗がりを進んで、出口のゴールへ。", "ドローンと、床を這うスライムに気をつけろ。"},
      {"悩み", "危険物格納庫だ。何が入っているかは聞くな。", "棚の間を抜けて、ゴールまで。", "上下に動くドローンがいる。動きの癖を見ろ。"},
      {"通常", "居住スペースへ続く空間だ。天井が高い。", "上の階にあるゴールを目指せ。", "暗い場所が多い。見張りとぶつからないように。"},
      {"笑顔", "貨物区画の兵器格納庫だ。ここは派手にやっていい。", "標的を三つ壊せ。ゴールはそれから開く。", "ボム兵がうろついている。撃つなら離れてからだ。"},
      {"驚き", "廃棄物処理区画だ。臭いは我慢してくれ。", "処理槽の脇を通って、ゴールへ。", "強化兵が来る。見つかったら増援も出るぞ。"},
      {"悩み", "巨大倉庫だ。広いぶん、迷いやすい。", "コンテナの迷路を抜けて、ゴールまで。", "カメラが高い所にある。影を選んで歩け。"},
      {"怒り", "厳重警戒通路だ。ここも見つかれば終わりだ。", "一度も見られずに、通路の先のゴールへ。", "レーザーの光線に触れるな。放電にもだ。"},
      {"笑顔", "エネルギー研究室だ。妙な植物まで育てている。", "研究室の標的を三つ壊せ。ゴールが開く。", "食虫花に近づくな。レーザーの向きにも注意。"},
      {"通常", "研究区画の奥、コアと呼ばれる部屋だ。", "コアの脇を抜けて、ゴールまで行け。", "放電する床がある。光る前に渡り切れ。"},
      {"驚き", "機械室の通路だ。ここから先は武装した機械ばかりだ。", "通路を抜けて、ゴールへ。", "銃付きのカメラがいる。見つかれば撃ってくるぞ。"},
      {"怒り", "サウンドルームだ。音響の試験室らしい。", "誰にも見られずに、部屋の奥のゴールへ。", "音の鳴る床がある。踏めばすぐに気づかれる。"},
      {"悩み", "Ｖ８エンジンルームだ。ここも見つかれば終わりだ。", "エンジンの間を抜けて、ゴールまで。", "銃付きドローンが巡回している。止まって待て。"},
      {"通常", "マシンルームだ。船の心臓部の一つだな。", "機械の列を越えて、ゴールへ向かえ。", "砲台と強化兵がいる。正面からは行くな。"},
      {"驚き", "ハードルームだ。名前のとおり手ごわいぞ。", "足場をたどって、ゴールまで行け。", "妖精型の機械が飛んでくる。動きが速い。"},
      {"笑顔", "船首甲板だ。最後の仕事だ、スヴェル。", "誰にも見られずに、甲板のゴールへ。", "夜明けが近い。明かりの下は避けて進め。"},
  };
  for (int i = 0; i < 24; ++i) {
    const Briefing& b = kBriefings[i];
    s.push_back(Call(71 + i, {{'L', b.face, b.opening, nullptr}, {'L', "通常", b.aim, nullptr}, {'L', "悩み", b.danger, nullptr}}));
  }
  return s;
}

// The script numbers of the area events and the story scenes of the sub-stages.
constexpr int kSubStages[8] = {5, 11, 9, 7, 6, 7, 8, 8};

std::string Table(bool scenes) {
  int offsets[8] = {};
  int total = 0;
  for (int a = 0; a < 8; ++a) {
    offsets[a] = total;
    total += kSubStages[a] * 2;
  }
  std::string bytes(static_cast<size_t>(total), '\0');
  for (const StoryTableEntry& e : StoryTableEntries()) {
    if (e.scene != scenes) continue;
    bytes[static_cast<size_t>(offsets[e.area] + e.subStage * 2 + e.byte)] = static_cast<char>(e.number);
  }
  return bytes;
}

}  // namespace

const std::vector<StoryScript>& StoryScripts() {
  static const std::vector<StoryScript> scripts = [] {
    std::vector<StoryScript> s = Write();
    std::sort(s.begin(), s.end(), [](const StoryScript& a, const StoryScript& b) { return a.number < b.number; });
    return s;
  }();
  return scripts;
}

const std::vector<StoryTableEntry>& StoryTableEntries() {
  // The area talks are the first two agents' own; of the scenes, 7 and 14 meet Ubana as
  // Oruha, 8, 9, 10 and 13 are Tevani's meetings, 15 and 16 the two endings, and 110 is the
  // talk of whoever reaches the general cargo room (Suvel in her missions 13 to 15).
  constexpr int kFirst = kStoryFirstCharacter, kSecond = kStorySecondCharacter, kThird = kStoryThirdCharacter;
  static const std::vector<StoryTableEntry> entries = {
      {0, 0, 0, false, 32, kFirst | kSecond}, {1, 0, 0, false, 33, kFirst | kSecond},
      {2, 0, 0, false, 34, kFirst | kSecond}, {3, 0, 0, false, 35, kFirst | kSecond},
      {4, 0, 0, false, 36, kFirst | kSecond}, {5, 0, 0, false, 37, kFirst | kSecond},
      {6, 0, 0, false, 38, kFirst | kSecond}, {7, 0, 0, false, 39, kFirst | kSecond},
      {0, 1, 0, true, 7, kFirst},             {0, 2, 0, true, 8, kSecond},
      {1, 0, 0, true, 9, kSecond},            {1, 3, 0, true, 10, kSecond},
      {2, 0, 0, true, 13, kSecond},           {3, 0, 0, true, 14, kFirst},
      {4, 0, 1, true, 110, kFirst | kSecond | kThird},      {7, 7, 0, true, 15, kFirst},
      {7, 7, 1, true, 16, kSecond},
  };
  return entries;
}

std::string StoryEventTable() { return Table(false); }

std::string StoryCinemaTable() { return Table(true); }

}  // namespace dataset
