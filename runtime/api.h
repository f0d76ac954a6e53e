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
// Makes size bytes the whole content of the file at path, a plain file (never an archive
// entry): written to a temporary file beside it, flushed to the disk and renamed over it,
// so a failure at any step leaves the old file as it was. 0, or -1 (logged; errno tells
// why).
int FileReplaceContents(const char* path, const void* buffer, std::size_t size);
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
// A graph from an image file (with its "_a" alpha image when there is one), or from a movie
// file that plays into the graph; -1 when the file is missing or neither.
int LoadGraph(const char* path, int not3DFlag = 0);
// logFlag: write the deletion to the log.
int DeleteGraph(int graph, int logFlag = 0);
// A movie graph starts paused: play runs it (again from the start once it played to its
// end), pause holds it on its picture. -1 for a graph that is no movie graph.
int PlayMovieToGraph(int graph);
int PauseMovieToGraph(int graph);

// ---- Display and drawing --------------------------------------------------------------
// Draw screens beside graph handles.
constexpr int kDrawScreenFront = -4;
constexpr int kDrawScreenBack = -2;
// The screen's pixel format.
const rt::DDPixelFormat* GetScreenPixelFormat();
// r, g, b 0..255 as a colour value of the screen, for the draws below.
unsigned int GetColor(int r, int g, int b);
// Shows the back screen in the window.
int FlipScreen();
// Before start-up the mode is only stored. 0; -1 refused or unchanged; -2 fell back to
// 640 x 480 x 16. -1 for any value keeps it.
int SetScreenMode(int width, int height, int colorBits, int refreshRate);
// 1 before start-up: draw with the software display even where a display device exists.
int SetSoftwareRenderRequest(int flag);
// Clears the draw screen to black.
int ClearDrawScreen();
// transparent: the graph's transparent colour (black) is not drawn.
int DrawGraph(int x, int y, int graph, int transparent);
// Scaled into (x1, y1)-(x2, y2), right and bottom exclusive; reversed corners mirror it.
int DrawGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparent);
// Centred on (x, y), scaled and turned clockwise by angle (radians); mirror: left-right.
int DrawGraphRotated(int x, int y, double scale, double angle, int graph, int transparent, int mirror);
// The rectangle (srcX, srcY, width, height) of the graph at (x, y), mirrored in place.
int DrawRectGraph(int x, int y, int srcX, int srcY, int width, int height, int graph, int transparent,
                  int mirror);
// The rectangle (srcX, srcY, width, height) of the graph scaled into (x1, y1)-(x2, y2).
int DrawRectGraphStretched(int x1, int y1, int x2, int y2, int srcX, int srcY, int width, int height,
                           int graph, int transparent);
// From (x1, y1) up to, not including, (x2, y2).
int DrawLine(int x1, int y1, int x2, int y2, unsigned int color);
// Right and bottom exclusive; fill 0 draws the outline.
int DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fill);
int DrawCircle(int x, int y, int radius, unsigned int color, int fill);
int DrawPixel(int x, int y, unsigned int color);
// mode: 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply; param 0..255.
int SetDrawBlendMode(int mode, int param);
// Multiplies drawn colours by r, g, b (0..255 each); 255, 255, 255 changes nothing.
int SetDrawBright(int r, int g, int b);
// kDrawScreenBack, kDrawScreenFront or a graph made to be drawn on.
int SetDrawScreen(int screen);

// ---- Fonts ----------------------------------------------------------------------------
// Text in the default font (colours in the screen's format; edge colour for edged fonts).
int DrawString(int x, int y, const char* text, unsigned int color, unsigned int edgeColor);
// printf formatting into a 1,024-byte buffer, then DrawString with edge colour 0.
int DrawFormatString(int x, int y, unsigned int color, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// The default font's pixel height (-1: 16) and thickness, a hundredth of its weight (-1: 6).
int SetFontSize(int size);
int SetFontThickness(int thickness);

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
// Frees the handle's text and its slot; -1 for an invalid handle.
int DeleteKeyInput(int handle);
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

// ---- Network ----------------------------------------------------------------------------
// Nothing in the game starts the network layer; until something does, each returns -1.
// 1 connected, 0 the connection was lost, -1 invalid handle or a socket in error.
int GetNetWorkAcceptState(int handle);
// Framed sockets: 0 once length bytes of whole packets were taken (or looked at), -1 while
// fewer wait. Unframed sockets: the bytes received, as the system gives them.
int NetWorkRecv(int handle, void* buffer, int length);
int NetWorkRecvToPeek(int handle, void* buffer, int length);
// Framed sockets queue the bytes as one packet (0); unframed ones return the bytes sent.
int NetWorkSend(int handle, const void* buffer, int length);
// Framed: bytes of whole packets waiting. Unframed: 1 when a byte waits, else 0.
int GetNetWorkDataLength(int handle);
int CloseNetWork(int handle);
