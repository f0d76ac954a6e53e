// Runs a fuzz target's entry point over saved inputs, without libFuzzer: each argument is
// a file, or a folder whose files are taken in name order. The sanitizer build links every
// fuzz target with this driver and replays its corpus under the address and
// undefined-behaviour checks; a finding aborts the run and names the input in the output.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

// The files named by one argument; false when it names nothing readable.
bool AddInputs(const char* argument, std::vector<std::filesystem::path>& inputs) {
  const std::filesystem::path path(argument);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
      if (entry.is_regular_file(error)) files.push_back(entry.path());
    }
    if (error) return false;
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
    return true;
  }
  if (!std::filesystem::is_regular_file(path, error)) return false;
  inputs.push_back(path);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!AddInputs(argv[i], inputs)) {
      std::fprintf(stderr, "cannot read the inputs at %s\n", argv[i]);
      return 2;
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER... (no inputs given)\n", argv[0]);
    return 2;
  }
  for (const auto& input : inputs) {
    std::error_code error;
    const auto size = static_cast<size_t>(std::filesystem::file_size(input, error));
    if (error) {
      std::fprintf(stderr, "cannot read %s\n", input.c_str());
      return 2;
    }
    std::ifstream in(input, std::ios::binary);
    // A buffer of exactly the input's size, as libFuzzer gives: a read past its end is
    // caught by the address checks.
    const std::unique_ptr<uint8_t[]> data(new uint8_t[size]);
    if (!in.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size))) {
      std::fprintf(stderr, "cannot read %s\n", input.c_str());
      return 2;
    }
    std::printf("%s (%zu bytes)\n", input.c_str(), size);
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(data.get(), size);
  }
  std::printf("%zu inputs\n", inputs.size());
  return 0;
}
