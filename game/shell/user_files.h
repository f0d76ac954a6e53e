// The user's files in the working directory: the settings "pre.dat", the save slots
// "data/save%d.dat" and the checkpoint copy of the save record kept in memory.
#pragma once

constexpr char kSettingsPath[] = "pre.dat";
constexpr char kSavePathFormat[] = "data/save%d.dat";
constexpr char kSaveDirectory[] = "data";
constexpr char kStageDirectory[] = "stage";

// Settings-record bytes.
namespace settings_byte {
constexpr int kKeyAssign = 1;  // 1..8
constexpr int kBgmVolume = 9;
constexpr int kSeVolume = 10;
constexpr int kGraphicsLevel = 11;
constexpr int kAutoSaveOff = 12;
constexpr int kSecondStoryUnlocked = 15;
constexpr int kHardModeUnlocked = 22;
constexpr int kFullScreen = 40;
constexpr int kWindowScale = 41;
constexpr int kFixedStageBgm = 42;
}  // namespace settings_byte

// Save-record bytes the shell fills and reads.
namespace save_byte {
constexpr int kInUse = 0;
constexpr int kLife = 3;
constexpr int kNextArea = 6;
constexpr int kNextSubStage = 7;
constexpr int kArea = 8;
constexpr int kSubStage = 9;
constexpr int kCharacter = 10;
constexpr int kCostume = 11;
constexpr int kDifficulty = 12;
constexpr int kWeapons = 13;  // weapons 0..13
constexpr int kItems = 27;    // items 0..6
constexpr int kGadgets = 34;  // gadgets 0..12
constexpr int kDetections = 490;
constexpr int kIncapacitations = 492;
constexpr int kSelectedWeapon = 496;
constexpr int kSelectedGadget = 497;
constexpr int kYear = 500;
constexpr int kMonth = 502;  // then day, hour, minute, second
}  // namespace save_byte

constexpr int kSavedWeapons = 14;
constexpr int kSavedItems = 7;
constexpr int kSavedGadgets = 13;

void ReadSettingsFile();
void WriteSettingsFile();
// Fills the save-record image from the game; with writeFlag 1 also writes it to path.
void WriteSaveRecord(const char* path, int writeFlag);
// Loads a save file into the image and the game; a missing file is made from the game.
void ReadSaveRecord(const char* path);
void StoreCheckpoint();
void RestoreCheckpoint();

// Makes the save and stage directories when they are missing.
void EnsureUserDirectories();
// Writes a whole user file, making its directory first: the bytes go to a temporary file
// that replaces the old one only once it is complete, so a failed write leaves the old file
// as it was. Reports the failure on the standard error and returns false.
// A failure also leaves a notice in the game's words (what could not be saved and why)
// that the frame loop shows for a few seconds on the screen that asked for the write.
bool WriteUserFile(const char* path, const unsigned char* bytes, int size);
// The notice's first line while it shows, else nullptr.
const char* UserFileNotice();
// Draws the notice while it shows, one frame of its time.
void DrawUserFileNotice();
void ClearUserFileNotice();
