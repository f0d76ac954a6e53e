#include "game/shell/game_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

void ReportFileProblem(const char* what, const char* path) {
  const int error = errno;
  std::fprintf(stderr, "%s %s: %s\n", what, path, error != 0 ? std::strerror(error) : "failed");
}

void ReportFileNote(const char* path, const char* note) { std::fprintf(stderr, "%s: %s\n", path, note); }
