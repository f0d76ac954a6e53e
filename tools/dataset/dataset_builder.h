// Builds the data set: every asset of the list made into its file, and each data directory
// packed into "<dir>.akn" with the game's key string.
#pragma once
#include <map>
#include <string>

#include "tools/dataset/asset_list.h"

namespace dataset {

// The file of one asset. Throws std::runtime_error when an encoder fails or the asset does
// not come out as the list says.
std::string BuildAsset(const AssetEntry& entry);

struct BuildOptions {
  std::string archiveDirectory;  // where the archives go
  std::string looseDirectory;    // when not empty, every file is also written here as is
  int threads = 0;               // 0: one per processor
};

// Builds every asset, then writes the archives. false with a reason on failure.
bool BuildDataSet(const BuildOptions& options, std::string* error);

// The archive bytes of each directory for files keyed by path.
bool PackArchives(const std::map<std::string, std::string>& files, std::map<std::string, std::string>* archives,
                  std::string* error);

}  // namespace dataset
