#include "platform/system_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define PLATFORM_HAS_CPUID 1
#endif

namespace platform {

OsVersion QueryOsVersion() {
  OsVersion v;
  utsname u{};
  if (uname(&u) == 0) {
    v.name = u.sysname;
    v.release = u.release;
    v.version = u.version;
    v.machine = u.machine;
  }
  return v;
}

bool QueryMemoryTotals(MemoryTotals* out) {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return false;
  out->totalBytes = uint64_t{info.totalram} * info.mem_unit;
  out->freeBytes = uint64_t{info.freeram} * info.mem_unit;
  return true;
}

CpuInfo QueryCpu() {
  CpuInfo cpu;
#ifdef PLATFORM_HAS_CPUID
  unsigned a, b, c, d;
  if (!__get_cpuid(0, &a, &b, &c, &d)) return cpu;
  cpu.hasCpuid = true;
  std::memcpy(cpu.vendor, &b, 4);
  std::memcpy(cpu.vendor + 4, &d, 4);
  std::memcpy(cpu.vendor + 8, &c, 4);
  if (a >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
    cpu.hasTsc = (d >> 4) & 1;
    cpu.hasMmx = (d >> 23) & 1;
  }
  if (static_cast<unsigned>(__get_cpuid_max(0x80000000u, nullptr)) >= 0x80000004u) {
    char name[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
      __get_cpuid(0x80000002u + i, &a, &b, &c, &d);
      unsigned regs[4] = {a, b, c, d};
      std::memcpy(name + i * 16, regs, 16);
    }
    cpu.name = name;
  }
#endif
  return cpu;
}

uint64_t ReadTimeStampCounter() {
#ifdef PLATFORM_HAS_CPUID
  return __rdtsc();
#else
  return 0;
#endif
}

}  // namespace platform
