#include "game/shell/game_data.h"

#include <cstring>

#include "game/mission/mission_pools.h"

GameData game;
Player player;

namespace {

constexpr int kStartingLife = 100;
// Rule 0 of every run starts at this value until a stage file sets the rules.
constexpr uint8_t kFirstRuleAtStart = 2;
constexpr int kRuleKeyItem = 7;
// Save-record byte that marks a run of the second character.
constexpr int kSecondCharacterMark = 67;

void ClearInventory() {
  for (uint16_t& count : player.weapons) count = kNotOwned;
  for (uint16_t& count : player.items) count = kNotOwned;
  for (uint16_t& count : player.gadgets) count = kNotOwned;
  player.gadgets[0] = 1;
  player.gadgets[1] = 1;
}

void ClearRunProgress() {
  game.screenEntered = 0;
  game.missionNumber = 1;
  game.area = 0;
  game.subStage = 0;
  game.nextArea = 0;
  game.nextSubStage = 0;
  game.detections = 0;
  game.incapacitations = 0;
  game.targetsDestroyed = 0;
}

}  // namespace

void ResetGameData() {
  game.missionRules[0] = kFirstRuleAtStart;
  game.missionRules[kRuleKeyItem] = 0;
  game.playedFromSlotList = 0;

  player.lifeMax = kStartingLife;
  player.life = player.lifeMax;
  player.selectedGadget = 0;
  ClearInventory();

  ClearRunProgress();
  std::memset(game.clearRecords, 0, sizeof game.clearRecords);
  std::memset(game.visitRecords, 0, sizeof game.visitRecords);

  game.saveSlot = 1;
  game.character = 0;
  game.costume = 0;
}

void ResetStageState() {
  game.scrollX = 0;
  game.scrollY = 0;
  game.paused = 0;
  game.alertCountdown = 0;
  game.alertHold = 0;
  game.mapObjectCount = 0;
  game.gameOverFade = 0;
  game.missionRules[kRuleKeyItem] = 0;
  game.reinforcementsCalled = 0;

  // Only the inventory, the life, the door the stage is entered by and the control lock
  // outlive a stage; every other field of the record is per stage.
  const Player kept = player;
  player = Player{};
  player.locked = kept.locked;
  player.lifeMax = kept.lifeMax;
  player.life = kept.life;
  player.entryDoor = kept.entryDoor;
  player.selectedWeapon = kept.selectedWeapon;
  player.selectedGadget = kept.selectedGadget;
  player.storedGadget = kept.storedGadget;
  std::memcpy(player.weapons, kept.weapons, sizeof player.weapons);
  std::memcpy(player.items, kept.items, sizeof player.items);
  std::memcpy(player.gadgets, kept.gadgets, sizeof player.gadgets);
  player.standOn = kNoObject;

  ResetMissionPools();
  game.stageTargetsDestroyed = 0;
  game.stageEventTriggered = 0;
  game.stageFade = 0;
  std::memset(game.doorDestinations, 0, sizeof game.doorDestinations);
}

void GiveStartingLoadout() {
  player.lifeMax = kStartingLife;
  player.life = kStartingLife;
  switch (game.character) {
    case 0:
      player.selectedWeapon = 0;
      player.weapons[0] = 8;
      player.weapons[2] = 8;
      break;
    case 1:
      player.selectedWeapon = 2;
      player.weapons[1] = 4;
      player.weapons[2] = 12;
      player.weapons[8] = 8;
      game.saveRecord[kSecondCharacterMark] = 1;
      break;
    case 2:
      player.selectedWeapon = 12;
      player.weapons[12] = 10;
      break;
    default:
      break;
  }
}

void ResetNewGame() {
  game.playedFromSlotList = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  player.lifeMax = kStartingLife;
  player.life = kStartingLife;
  ClearRunProgress();
  std::memset(game.saveRecord, 0, sizeof game.saveRecord);
  std::memset(game.checkpoint, 0, sizeof game.checkpoint);
  player.selectedGadget = 0;
  game.missionRules[kRuleKeyItem] = 0;
  ClearInventory();
  GiveStartingLoadout();
}

void DeleteAllScreenObjects() {
  game.editor.Delete();
  game.briefing.Delete();
  game.eventPlayer.Delete();
  game.storyScene.Delete();
  game.newGameSetup.Delete();
  game.saveSelect.Delete();
  game.vrMenu.Delete();
  DeleteRetiredScreenObjects();
}

void DeleteRetiredScreenObjects() {
  game.editor.DeleteRetired();
  game.briefing.DeleteRetired();
  game.eventPlayer.DeleteRetired();
  game.storyScene.DeleteRetired();
  game.newGameSetup.DeleteRetired();
  game.saveSelect.DeleteRetired();
  game.vrMenu.DeleteRetired();
}
