// The runtime's public entry functions: the only header the game includes.
// Every function but WaitTime, SetColorFormatFromMasks, MakeDDPixelFormat and ClipRect
// runs its implementation under the library-wide lock.
#pragma once

// ---- Runtime core ---------------------------------------------------------------------
int SetLogOutput(int flag);
int GetTimeMs();
int GetDateTime(int out[6]);
int GetRandom(int n);

// ---- File access and archives ---------------------------------------------------------
#include <cstddef>
#include <cstdint>
// An open file: 0 is no file.
using FileHandle = std::uintptr_t;
FileHandle FileOpen(const char* path, int asyncFlag);
std::int64_t FileGetSizeByPath(const char* path);
int FileClose(FileHandle handle);
std::size_t FileRead(void* buffer, std::size_t size, FileHandle handle);
int FileEof(FileHandle handle);
int FileReadLine(char* buffer, int bufferSize, FileHandle handle);
int SetUseArchive(int flag);
int SetArchiveExtension(const char* extension);
int SetArchiveKeyString(const char* keyString);

// ---- Window, start-up and shut-down ---------------------------------------------------
int InitLibrary();
// Shuts the runtime down; afterwards the library lock is torn down.
int EndLibrary();
// 0 while the window lives, -1 once it is gone or quit was seen.
int ProcessMessage();
// 1 window, 0 full screen (the default). The game sets it before InitLibrary.
int ChangeWindowMode(int flag);
int SetMainWindowText(const char* text);
int SetWindowIcon(int id);
// Window mode's scale of the client area (1, 0.8, 0.5); 0 or less means 1.
int SetWindowScale(double scale);
int SetMouseVisible(int flag);
// The pointer on the screen (window mode: divided by the scale); either pointer may be null.
int GetMousePosition(int* x, int* y);
// Wheel turns since the last call (+1 each away from the user).
int GetMouseWheel();
// Waits ms milliseconds while pumping messages; takes no lock.
int WaitTime(int ms);

// ---- Images and graphs ----------------------------------------------------------------
#include "runtime/image/rect.h"
namespace rt {
struct ColorFormat;
struct DDPixelFormat;
}  // namespace rt
int SetColorFormatFromMasks(rt::ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                            uint32_t blueMask, uint32_t alphaMask);
int MakeDDPixelFormat(rt::DDPixelFormat* pf, int bitDepth, uint32_t redMask, uint32_t greenMask,
                      uint32_t blueMask, uint32_t alphaMask);
int ClipRect(RECT* rect, const RECT* clip);

// ---- Display and drawing --------------------------------------------------------------

// ---- Fonts ----------------------------------------------------------------------------

// ---- Input ----------------------------------------------------------------------------
// Held mouse buttons: bit 0 left, bit 1 right, bit 2 middle, bits 3..7 further buttons.
int GetMouseButtons();
// 1 while the key (a PC keyboard scan code) is held, else 0.
int CheckKeyDown(int scanCode);
// The pad-and-keyboard mask: kind = pad number 1..8, plus 0x1000 to merge the keyboard.
int GetPadInput(int kind);
// Twelve colours in the screen's format; a value with all bits set keeps the current one.
int SetKeyInputColors(unsigned long long text, unsigned long long cursor,
                      unsigned long long imeBackground, unsigned long long imeCaret,
                      unsigned long long clauseLine, unsigned long long convertingClause,
                      unsigned long long color6, unsigned long long textEdge,
                      unsigned long long selectedCandidateEdge, unsigned long long color9,
                      unsigned long long candidateOutline, unsigned long long candidateFill);
// A key-input string of at most maxLength bytes, or -1 when all 20 are in use.
int MakeKeyInput(int maxLength, int cancelAllowed, int singleByteOnly, int digitsOnly);
int SetActiveKeyInput(int handle);
// 0 still being edited, 1 ended with Enter, 2 cancelled with Escape, -1 invalid handle.
int CheckKeyInput(int handle);
int DrawKeyInputString(int x, int y, int handle);
int SetKeyInputCursorBlink(int flag);
int SetKeyInputString(const char* text, int handle);
// Copies the text with its terminator (the buffer holds at least maxLength + 1 bytes).
int GetKeyInputString(char* buffer, int handle);

// ---- Sound and music ------------------------------------------------------------------
// Play types: 0 wait for the end, 1 return at once, 3 loop. Volumes are 0..255.
int LoadSound(const char* path, int bufferCount, int streamOption);
int DeleteSound(int handle, int unused);
int PlaySoundHandle(int handle, int playType, int fromStart);
// 1 playing, 0 not, -1 invalid handle.
int CheckSoundPlaying(int handle);
int SetSoundVolume(int volume, int handle);
int PlaySoundFile(const char* path, int playType);
int PlayMusicFile(const char* path, int playType);
int SetMusicVolume(int volume);
int StopMusic();
int CheckMusicPlaying();
