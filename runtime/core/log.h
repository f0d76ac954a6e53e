// The runtime's text log "Log.txt": one line per call with the milliseconds since the
// log started and one tab per indent level. The game turns it off before start-up.
#pragma once
#include <string>

namespace rt {

struct LogState {
  int logOff = 0;          // 1: no output at all
  int debuggerOnly = 0;    // 1: lines go to the debug output instead of the file
  int datedName = 0;       // 1: "Log<date>.txt" instead of "Log.txt"
  int noTimePrefix = 0;
  std::string fileName;    // bare name, placed in the start-up directory
  std::string startDir;    // where the file lives; the current directory when empty
  int indent = 0;
  unsigned startTime = 0;
  int unfinishedLine = 0;  // 1 when the last text written did not end with a line feed
};

LogState& GetLogState();

int SetLogOutputImpl(int flag);
int LogStart();
int LogAdd(const char* text);
int LogAddFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
int LogIndentIncrease();
int LogIndentDecrease();
// Where the log file lives (the start-up directory of the runtime).
void SetLogDirectory(const std::string& dir);
// The full path of the log file LogStart made.
std::string GetLogFilePath();

// Turns text into the form written to the file: each "\n" becomes "\r\n", stepping over
// Shift-JIS pairs; once a "\r\n" already present is met, the rest is kept as it is.
std::string ConvertLogText(const char* text);

// The on-screen log: a store of text lines; nothing in this program shows it.
int GetScreenLogFlag();

}  // namespace rt
