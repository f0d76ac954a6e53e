#include "runtime/file/file_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/filesystem.h"
#include "runtime/file/archive_format.h"
#include "runtime/file/stream.h"

namespace rt {

namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The name in directory dir that equals name apart from case; the smallest by bytes when
// several do, so the choice does not depend on the directory's order.
bool FindNameNoCase(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (dirent* e = readdir(d)) {
    if (!NameEqualsNoCase(e->d_name, name.c_str())) continue;
    if (!any || std::strcmp(e->d_name, found->c_str()) < 0) *found = e->d_name;
    any = true;
  }
  closedir(d);
  return any;
}

}  // namespace

std::string ToSystemPath(const char* path) {
  std::string out;
  if (!path) return out;
  for (const char* p = path; *p; ++p) {
    if (IsSjisPair(p)) {
      out += p[0];
      out += p[1];
      ++p;
      continue;
    }
    out += (*p == '\\') ? '/' : *p;
  }
  return out;
}

int NameEqualsNoCase(const char* a, const char* b) {
  while (*a && *b) {
    if (IsSjisPair(a)) {
      if (a[0] != b[0] || a[1] != b[1]) return 0;
      a += 2;
      b += 2;
      continue;
    }
    if (FoldCase(*a) != FoldCase(*b)) return 0;
    ++a;
    ++b;
  }
  return *a == '\0' && *b == '\0';
}

size_t PrefixNoCase(const char* a, const char* b) {
  size_t i = 0;
  while (b[i]) {
    if (IsSjisPair(b + i)) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return 0;
      i += 2;
      continue;
    }
    if (a[i] == '\0' || FoldCase(a[i]) != FoldCase(b[i])) return 0;
    ++i;
  }
  return i;
}

bool ResolvePathCase(const std::string& path, std::string* resolved) {
  if (path.empty()) {
    *resolved = path;
    return false;
  }
  if (PathExists(path)) {
    *resolved = path;
    return true;
  }
  std::string current;
  size_t i = 0;
  if (path[0] == '/') {
    current = "/";
    i = 1;
  }
  // '/' is never the trail byte of a double-byte character, so it always separates.
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string component = path.substr(i, j - i);
    if (!component.empty()) {
      std::string candidate = JoinPath(current, component);
      if (component == "." || component == ".." || PathExists(candidate)) {
        current = candidate;
      } else {
        std::string found;
        if (!FindNameNoCase(current, component, &found)) {
          *resolved = path;
          return false;
        }
        current = JoinPath(current, found);
      }
    }
    i = j + 1;
  }
  *resolved = current;
  return true;
}

int MakeAbsolutePath(const char* path, std::string* out) {
  std::string p = ToSystemPath(path);
  std::string result;
  if (p.empty() || p[0] != '/') {
    result = platform::CurrentDirectory();
    while (!result.empty() && result.back() == '/') result.pop_back();
  }
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string component = p.substr(i, j - i);
    i = j + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      size_t cut = result.rfind('/');
      result.resize(cut == std::string::npos ? 0 : cut);
      continue;
    }
    result += '/';
    result += component;
  }
  if (result.empty()) result.push_back('/');
  *out = result;
  return 0;
}

int SplitPath(const char* path, std::string* fileName, std::string* directory) {
  const char* split = nullptr;
  for (const char* p = path; *p; ++p) {
    if (IsSjisPair(p)) {
      ++p;
      continue;
    }
    if (*p == '\\' || *p == '/') split = p;
  }
  if (fileName) *fileName = split ? std::string(split + 1) : std::string(path);
  if (directory) *directory = split ? std::string(path, static_cast<size_t>(split - path)) : "";
  return 0;
}

int WildcardMatch(const char* pattern, const char* name) {
  const char* p = pattern;
  const char* n = name;
  for (;;) {
    if (*p == '\0' && *n == '\0') return 0;
    if (IsSjisPair(p)) {
      if (n[0] != p[0] || n[0] == '\0' || n[1] != p[1]) return -1;
      p += 2;
      n += 2;
    } else if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == '\0') return 0;
      while (*n != '\0' && *n != *p) ++n;
      if (*n == '\0') return -1;
      continue;
    } else if (*p == '?') {
      if (*n == '\0') return -1;
      ++p;
      ++n;
    } else {
      if (*p != *n) return -1;
      ++p;
      ++n;
    }
    if ((*p != '\0') != (*n != '\0')) return -1;
  }
}

std::string UpperCaseName(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (IsSjisPair(p)) {
      out += p[0];
      out += p[1];
      ++p;
      continue;
    }
    out += FoldCase(*p);
  }
  return out;
}

int NormalisePath(const char* path, char* out, const char* base) {
  std::string b;
  if (base) {
    b = ToSystemPath(base);
  } else {
    char current[kStreamPathSize] = {};
    StreamGetCurrentDir(current);
    b = current;
  }
  std::string result;
  if (!path) {
    result = b;
  } else {
    std::string p = ToSystemPath(path);
    size_t i = 0;
    if (!p.empty() && p[0] == '/') {
      i = 1;
    } else {
      result = b;
      while (!result.empty() && result.back() == '/') result.pop_back();
    }
    while (i < p.size()) {
      size_t j = p.find('/', i);
      if (j == std::string::npos) j = p.size();
      std::string component = p.substr(i, j - i);
      if (component.empty()) return -1;
      i = j + 1;
      if (component == ".") continue;
      if (component == "..") {
        size_t cut = result.rfind('/');
        result.resize(cut == std::string::npos ? 0 : cut);
        continue;
      }
      result += '/';
      result += component;
    }
    if (result.empty()) result.push_back('/');
  }
  if (result.size() + 1 > kStreamPathSize) return -1;
  std::memcpy(out, result.c_str(), result.size() + 1);
  return 0;
}

}  // namespace rt
