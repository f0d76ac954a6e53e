// dataset_builder: makes the game's data set.
//   dataset_builder --out DIR [--loose DIR] [--threads N]   build and pack the archives
//   dataset_builder --list                                  print the asset list
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/dataset_builder.h"

namespace {

int Usage() {
  std::fputs("usage: dataset_builder --out DIR [--loose DIR] [--threads N]\n"
             "       dataset_builder --list\n",
             stderr);
  return 2;
}

void PrintList() {
  for (const dataset::AssetEntry& e : dataset::AssetList()) {
    std::string size;
    if (dataset::IsPicture(e.format)) size = std::to_string(e.width) + " x " + std::to_string(e.height);
    if (e.format == dataset::AssetFormat::kTable) size = std::to_string(e.bytes) + " bytes";
    // Descriptions may hold Japanese text, which the program keeps in Shift-JIS.
    std::printf("%-34s %-10s %-11s %s\n", e.path.c_str(), dataset::FormatName(e.format), size.c_str(),
                platform::ShiftJisToUtf8(e.shows).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  dataset::BuildOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--list") {
      PrintList();
      return 0;
    } else if (a == "--out" && i + 1 < argc) {
      options.archiveDirectory = argv[++i];
    } else if (a == "--loose" && i + 1 < argc) {
      options.looseDirectory = argv[++i];
    } else if (a == "--threads" && i + 1 < argc) {
      options.threads = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (options.archiveDirectory.empty()) return Usage();
  std::string error;
  if (!dataset::BuildDataSet(options, &error)) {
    std::fprintf(stderr, "dataset_builder: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
