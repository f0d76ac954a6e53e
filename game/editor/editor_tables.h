// The stage editor's vocabulary: blocks with their tile codes, enemy types, infantry
// equipment and behaviours, bullet kinds, gadgets and items, each with its help line. The
// index is the value stored; every lookup is bounded, so a value read from a damaged stage
// file names nothing rather than reading past a table.
#pragma once
#include <cstdint>

struct EditorBlock {
  const char* name;
  uint8_t code;
  const char* help;
};
struct NamedEntry {
  const char* name;
  const char* help;
};

constexpr int kBlockCount = 29;
constexpr int kEnemyTypeCount = 18;  // stored types 1..18
constexpr int kEquipmentCount = 4;
constexpr int kIdleBehaviourCount = 7;
constexpr int kAttackBehaviourCount = 3;
constexpr int kAlertBehaviourCount = 4;
constexpr int kBulletCount = 13;
constexpr int kBulletsWithoutUnlock = 8;
constexpr int kEditorGadgetCount = 8;
constexpr int kEditorGadgetNotOffered = 5;
constexpr int kEditorItemCount = 3;

extern const EditorBlock kBlocks[kBlockCount];
extern const NamedEntry kEnemyTypes[kEnemyTypeCount];
extern const NamedEntry kEquipment[kEquipmentCount];
extern const NamedEntry kIdleBehaviours[kIdleBehaviourCount];
extern const NamedEntry kAttackBehaviours[kAttackBehaviourCount];
extern const NamedEntry kAlertBehaviours[kAlertBehaviourCount];
extern const NamedEntry kBullets[kBulletCount];
extern const NamedEntry kGadgets[kEditorGadgetCount];
extern const NamedEntry kEditorItems[kEditorItemCount];

// The entry of a table for a stored value, or null when the value is outside it.
const NamedEntry* EnemyTypeEntry(uint32_t type);  // type 1..18
const NamedEntry* TableEntry(const NamedEntry* table, int count, uint32_t index);
