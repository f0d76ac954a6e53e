// akntool: packs a directory into an archive, lists an archive, prints one file of it.
//   akntool pack <directory> <archive> [--key TEXT] [--version 1|2] [--store]
//   akntool list <archive> [--key TEXT]
//   akntool cat <archive> <path inside> [--key TEXT]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/file/archive_reader.h"
#include "tools/archive/archive_writer.h"

namespace {

int Usage() {
  std::fputs(
      "usage: akntool pack <directory> <archive> [--key TEXT] [--version 1|2] [--store]\n"
      "       akntool list <archive> [--key TEXT]\n"
      "       akntool cat <archive> <path inside> [--key TEXT]\n",
      stderr);
  return 2;
}

struct Arguments {
  std::vector<std::string> positional;
  std::string key;
  bool hasKey = false;
  int version = 2;
  bool store = false;
};

bool Parse(int argc, char** argv, Arguments* args) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--key" && i + 1 < argc) {
      args->key = argv[++i];
      args->hasKey = true;
    } else if (a == "--version" && i + 1 < argc) {
      args->version = std::atoi(argv[++i]);
    } else if (a == "--store") {
      args->store = true;
    } else if (a.rfind("--", 0) == 0) {
      return false;
    } else {
      args->positional.push_back(a);
    }
  }
  return true;
}

// Lists the entries below dir (inside the archive) with their sizes, depth first.
void ListDirectory(rt::Archive* archive, const std::string& dir) {
  rt::FindData data;
  rt::ArchiveFind* find = rt::ArchiveFindFirst(archive, (dir + "*").c_str(), &data);
  if (!find) return;
  do {
    if (std::strcmp(data.name, ".") == 0 || std::strcmp(data.name, "..") == 0) continue;
    const std::string path = dir + data.name;
    if (data.directory) {
      std::printf("%s/\n", path.c_str());
      ListDirectory(archive, path + "/");
    } else {
      std::printf("%s\t%u\n", path.c_str(), data.sizeLow);
    }
  } while (rt::ArchiveFindNext(find, &data) == 0);
  rt::ArchiveFindFree(find);
}

int Open(const Arguments& args, rt::Archive* archive) {
  if (rt::OpenArchiveStream(archive, args.positional[0].c_str(),
                            args.hasKey ? args.key.c_str() : nullptr) != 0) {
    std::fprintf(stderr, "akntool: cannot open archive %s\n", args.positional[0].c_str());
    return -1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  Arguments args;
  if (!Parse(argc, argv, &args)) return Usage();

  if (command == "pack") {
    if (args.positional.size() != 2 || (args.version != 1 && args.version != 2)) return Usage();
    archive_tool::WriteOptions options;
    options.version = static_cast<uint16_t>(args.version);
    options.keyString = args.key;
    if (args.store) options.compression = archive_tool::Compression::kNever;
    std::string error;
    if (!archive_tool::PackDirectory(args.positional[0], args.positional[1], options, &error)) {
      std::fprintf(stderr, "akntool: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (command == "list") {
    if (args.positional.size() != 1) return Usage();
    rt::Archive archive{};
    if (Open(args, &archive) != 0) return 1;
    ListDirectory(&archive, "");
    rt::CloseArchive(&archive);
    return 0;
  }
  if (command == "cat") {
    if (args.positional.size() != 2) return Usage();
    rt::Archive archive{};
    if (Open(args, &archive) != 0) return 1;
    rt::ArchiveFile file{};
    if (rt::ArchiveFileOpen(&file, &archive, args.positional[1].c_str(), 0) != 0) {
      std::fprintf(stderr, "akntool: no file %s in the archive\n", args.positional[1].c_str());
      rt::CloseArchive(&archive);
      return 1;
    }
    char buffer[65536];
    size_t n;
    while ((n = rt::ArchiveFileRead(&file, buffer, sizeof buffer)) > 0) {
      std::fwrite(buffer, 1, n, stdout);
    }
    rt::ArchiveFileClose(&file);
    rt::CloseArchive(&archive);
    return 0;
  }
  return Usage();
}
