#include "runtime/core/log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/clock.h"
#include "platform/filesystem.h"
#include "runtime/core/strings.h"
#include "runtime/core/time.h"

namespace rt {
namespace {

LogState g_log;
int g_screenLogDisplay = 0;

std::string LogPath() {
  std::string dir = g_log.startDir.empty() ? platform::CurrentDirectory() : g_log.startDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + g_log.fileName;
}

}  // namespace

LogState& GetLogState() { return g_log; }

int SetLogOutputImpl(int flag) {
  g_log.logOff = !flag;
  return 0;
}

void SetLogDirectory(const std::string& dir) { g_log.startDir = dir; }

std::string GetLogFilePath() { return LogPath(); }

int LogStart() {
  if (g_log.logOff || g_log.debuggerOnly) return 1;
  if (g_log.datedName) {
    int t[6];
    GetDateTimeImpl(t);
    char name[64];
    std::snprintf(name, sizeof name, "Log%d_%d_%d_%d_%d_%d.txt", t[0], t[1], t[2], t[3], t[4], t[5]);
    g_log.fileName = name;
  } else {
    g_log.fileName = "Log.txt";
  }
  const std::string path = LogPath();
  std::remove(path.c_str());
  if (FILE* f = std::fopen(path.c_str(), "wb")) std::fclose(f);
  g_log.indent = 0;
  g_log.unfinishedLine = 0;
  g_log.startTime = platform::GetClock().Milliseconds();
  return 1;
}

std::string ConvertLogText(const char* text) {
  std::string out;
  // Room for the worst case, every byte a line feed; a fixed buffer here would overrun.
  size_t len = std::char_traits<char>::length(text);
  out.reserve(len * 2);
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(text + i, 0) && i + 1 < len) {
      out += text[i];
      out += text[++i];
      continue;
    }
    if (c == '\n') {
      if (i > 0 && text[i - 1] == '\r') {
        out.append(text + i, len - i);
        break;
      }
      out += "\r\n";
      continue;
    }
    out += static_cast<char>(c);
  }
  return out;
}

int LogAdd(const char* text) {
  if (!text) return -1;
  if (g_log.logOff) return -1;
  const std::string converted = ConvertLogText(text);
  if (g_log.debuggerOnly) return -1;
  if (g_log.fileName.empty()) return -1;  // LogStart has not run
  FILE* f = std::fopen(LogPath().c_str(), "ab");
  if (!f) return -1;
  if (!g_log.unfinishedLine) {
    if (!g_log.noTimePrefix) {
      std::fprintf(f, "%d:", static_cast<int>(platform::GetClock().Milliseconds() - g_log.startTime));
    }
    for (int i = 0; i < g_log.indent; ++i) std::fputc('\t', f);
  }
  std::fwrite(converted.data(), 1, converted.size(), f);
  g_log.unfinishedLine = converted.empty() ? g_log.unfinishedLine : converted.back() != '\n';
  std::fclose(f);
  return -1;
}

int LogAddFormat(const char* format, ...) {
  char buf[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  FormatStringV(buf, format, args);
  va_end(args);
  // Room for the line feed is kept even when the text filled the buffer.
  size_t len = std::char_traits<char>::length(buf);
  if (len > sizeof buf - 2) len = sizeof buf - 2;
  buf[len] = '\n';
  buf[len + 1] = '\0';
  return LogAdd(buf);
}

int LogIndentIncrease() {
  g_log.indent++;
  return 0;
}

int LogIndentDecrease() {
  if (g_log.indent > 0) g_log.indent--;
  return 0;
}

int GetScreenLogFlag() { return g_screenLogDisplay; }

}  // namespace rt
