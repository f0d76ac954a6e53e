// What start-up writes about the machine: the operating system, physical memory and the
// processor.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

struct OsVersion {
  std::string name;     // "Linux"
  std::string release;  // kernel release
  std::string version;  // build text of the kernel
  std::string machine;  // "x86_64"
};
OsVersion QueryOsVersion();

struct MemoryTotals {
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;
};
// False when the totals cannot be read.
bool QueryMemoryTotals(MemoryTotals* out);

struct CpuInfo {
  bool hasCpuid = false;
  bool hasTsc = false;
  bool hasMmx = false;
  char vendor[13] = {};  // 12 characters from CPUID function 0
  std::string name;      // the processor's name string, empty when it has none
};
CpuInfo QueryCpu();
// The processor's time-stamp counter; 0 on processors without one.
uint64_t ReadTimeStampCounter();

}  // namespace platform
