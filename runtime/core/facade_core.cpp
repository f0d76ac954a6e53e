// Facade rows of the runtime core.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/random.h"
#include "runtime/core/time.h"

int SetLogOutput(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetLogOutputImpl(flag); });
}

int GetTimeMs() {
  return rt::WithLibraryLock([] { return static_cast<int>(rt::ReadTimeMs()); });
}

int GetDateTime(int out[6]) {
  return rt::WithLibraryLock([&] { return rt::GetDateTimeImpl(out); });
}

int GetRandom(int n) {
  return rt::WithLibraryLock([&] { return rt::GetRandomImpl(n); });
}
