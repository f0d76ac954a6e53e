#include "runtime/file/archive_format.h"

#include <cstring>

namespace rt {

int MakeArchiveSearchKey(const char* text, ArchiveSearchKey* key, size_t* consumed) {
  std::memset(key->name, 0, sizeof key->name);
  size_t length = 0;
  const char* p = text;
  while (*p != '\0' && *p != '\\' && *p != '/') {
    size_t step = IsSjisPair(p) ? 2 : 1;
    // Keep room for the terminating NUL unit.
    if (length + step >= kArchiveSearchKeySize - 4) {
      if (consumed) *consumed = 0;
      key->units = 0;
      key->check = 0;
      return -1;
    }
    if (step == 2) {
      key->name[length++] = static_cast<unsigned char>(p[0]);
      key->name[length++] = static_cast<unsigned char>(p[1]);
    } else {
      char c = *p;
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      key->name[length++] = static_cast<unsigned char>(c);
    }
    p += step;
  }
  key->units = static_cast<uint16_t>((length + 4) / 4);
  uint16_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = static_cast<uint16_t>(sum + key->name[i]);
  key->check = sum;
  if (consumed) *consumed = length;
  return 0;
}

}  // namespace rt
