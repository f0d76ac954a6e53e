#include "tools/archive/archive_writer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "runtime/file/archive_format.h"
#include "runtime/file/archive_key.h"
#include "runtime/file/file_paths.h"
#include "runtime/file/plain_file.h"
#include "tools/archive/lz_encode.h"

namespace archive_tool {

namespace {

struct FlatEntry {
  const WriterEntry* source;
  uint32_t nameOffset = 0;
  uint32_t dirRecord = 0;  // directories: index of their record
};

struct FlatDir {
  const WriterEntry* source;
  uint32_t ownEntry;
  uint32_t parent;  // record index, or kArchiveNoParent
  uint32_t firstEntry = 0;
  uint32_t count = 0;
};

bool NameLess(const WriterEntry& a, const WriterEntry& b) {
  return rt::UpperCaseName(a.name.c_str()) < rt::UpperCaseName(b.name.c_str());
}

void AppendName(std::string* table, const std::string& name) {
  rt::ArchiveSearchKey key;
  size_t consumed = 0;
  rt::MakeArchiveSearchKey(name.c_str(), &key, &consumed);
  const size_t bytes = size_t{key.units} * 4;
  unsigned char head[rt::kArchiveNameEntryHeaderSize];
  rt::PutLe16(head, key.units);
  rt::PutLe16(head + 2, key.check);
  table->append(reinterpret_cast<const char*>(head), sizeof head);
  table->append(reinterpret_cast<const char*>(key.name), bytes);
  std::string stored = name;
  stored.resize(bytes, '\0');
  table->append(stored);
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *data = buffer.str();
  return !in.bad();
}

void TimesOf(const struct stat& st, WriterEntry* entry) {
  entry->lastWriteTime = rt::UnixTimeToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  entry->lastAccessTime = rt::UnixTimeToFileTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
  entry->creationTime = entry->lastWriteTime;
}

bool LoadInto(const std::string& path, WriterEntry* dir, std::string* error) {
  DIR* d = opendir(path.c_str());
  if (!d) {
    *error = "cannot read directory " + path;
    return false;
  }
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      names.emplace_back(e->d_name);
    }
  }
  closedir(d);
  for (const std::string& name : names) {
    const std::string full = path + "/" + name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0) {
      *error = "cannot read " + full;
      return false;
    }
    WriterEntry child;
    child.name = name;
    TimesOf(st, &child);
    if (S_ISDIR(st.st_mode)) {
      child.directory = true;
      if (!LoadInto(full, &child, error)) return false;
    } else if (S_ISREG(st.st_mode)) {
      if (!ReadWholeFile(full, &child.data)) {
        *error = "cannot read " + full;
        return false;
      }
    } else {
      continue;
    }
    dir->children.push_back(std::move(child));
  }
  return true;
}

}  // namespace

void AddWriterFile(WriterEntry* root, const std::string& path, const std::string& data) {
  WriterEntry* dir = root;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    const std::string name = path.substr(start, slash == std::string::npos ? slash : slash - start);
    if (slash == std::string::npos) {
      if (name.empty()) return;
      WriterEntry file;
      file.name = name;
      file.data = data;
      dir->children.push_back(std::move(file));
      return;
    }
    start = slash + 1;
    if (name.empty()) continue;
    auto it = std::find_if(dir->children.begin(), dir->children.end(),
                           [&](const WriterEntry& e) { return e.directory && e.name == name; });
    if (it == dir->children.end()) {
      WriterEntry sub;
      sub.name = name;
      sub.directory = true;
      dir->children.push_back(std::move(sub));
      it = dir->children.end() - 1;
    }
    dir = &*it;
  }
}

bool BuildArchive(const WriterEntry& root, const WriteOptions& options, std::string* out,
                  std::string* error) {
  if (options.version < 1 || options.version >= rt::kArchiveVersionLimit) {
    *error = "version must be 1, 2 or 3";
    return false;
  }
  const bool compressing = options.version >= rt::kArchiveVersionCompressed &&
                           options.compression != Compression::kNever;
  const size_t entrySize = options.version >= rt::kArchiveVersionCompressed
                               ? rt::kArchiveFileEntrySizeV2
                               : rt::kArchiveFileEntrySizeV1;

  // Entries: the root's own first, then each directory's children together, directories
  // taken breadth first, children sorted by name.
  std::vector<FlatEntry> entries;
  std::vector<FlatDir> dirs;
  std::vector<std::vector<const WriterEntry*>> sortedChildren;
  entries.push_back({&root});
  dirs.push_back({&root, 0, rt::kArchiveNoParent});
  for (size_t d = 0; d < dirs.size(); ++d) {
    std::vector<const WriterEntry*> children;
    for (const WriterEntry& child : dirs[d].source->children) children.push_back(&child);
    std::stable_sort(children.begin(), children.end(),
                     [](const WriterEntry* a, const WriterEntry* b) { return NameLess(*a, *b); });
    for (size_t k = 1; k < children.size(); ++k) {
      if (rt::NameEqualsNoCase(children[k - 1]->name.c_str(), children[k]->name.c_str()) &&
          children[k - 1]->directory == children[k]->directory) {
        *error = "two names differ only in case: " + children[k]->name;
        return false;
      }
    }
    dirs[d].firstEntry = static_cast<uint32_t>(entries.size());
    dirs[d].count = static_cast<uint32_t>(children.size());
    for (const WriterEntry* child : children) {
      rt::ArchiveSearchKey key;
      size_t consumed = 0;
      if (child->name.empty() || child->name.find('/') != std::string::npos ||
          rt::MakeArchiveSearchKey(child->name.c_str(), &key, &consumed) != 0 ||
          consumed != child->name.size()) {
        *error = "name not allowed in an archive: " + child->name;
        return false;
      }
      FlatEntry entry{child};
      if (child->directory) {
        entry.dirRecord = static_cast<uint32_t>(dirs.size());
        dirs.push_back({child, static_cast<uint32_t>(entries.size()), static_cast<uint32_t>(d)});
      }
      entries.push_back(entry);
    }
  }

  std::string names;
  for (FlatEntry& entry : entries) {
    entry.nameOffset = static_cast<uint32_t>(names.size());
    AppendName(&names, entry.source->name);
  }

  // File data, behind the header.
  std::string archive(rt::kArchiveHeaderSize, '\0');
  std::string table(entries.size() * entrySize, '\0');
  for (size_t k = 0; k < entries.size(); ++k) {
    const WriterEntry& source = *entries[k].source;
    unsigned char* e = reinterpret_cast<unsigned char*>(table.data()) + k * entrySize;
    rt::PutLe32(e + rt::kEntryName, entries[k].nameOffset);
    rt::PutLe32(e + rt::kEntryAttributes, source.directory ? rt::kArchiveAttrDirectory : 0);
    rt::PutLe64(e + rt::kEntryCreationTime, source.creationTime);
    rt::PutLe64(e + rt::kEntryLastAccessTime, source.lastAccessTime);
    rt::PutLe64(e + rt::kEntryLastWriteTime, source.lastWriteTime);
    uint32_t compressedSize = rt::kArchiveStored;
    if (source.directory) {
      rt::PutLe32(e + rt::kEntryDataOffset,
                  static_cast<uint32_t>(entries[k].dirRecord * rt::kArchiveDirRecordSize));
      rt::PutLe32(e + rt::kEntryDataSize, 0);
    } else {
      const uint64_t offset = archive.size() - rt::kArchiveHeaderSize;
      if (source.data.size() > 0xFFFFFFFFu || offset > 0xFFFFFFFFu) {
        *error = "archive too large";
        return false;
      }
      rt::PutLe32(e + rt::kEntryDataOffset, static_cast<uint32_t>(offset));
      rt::PutLe32(e + rt::kEntryDataSize, static_cast<uint32_t>(source.data.size()));
      std::string packed;
      if (compressing) {
        packed = LzEncode(reinterpret_cast<const unsigned char*>(source.data.data()),
                          source.data.size());
      }
      if (compressing && (options.compression == Compression::kAlways ||
                          packed.size() < source.data.size())) {
        compressedSize = static_cast<uint32_t>(packed.size());
        archive += packed;
      } else {
        archive += source.data;
      }
    }
    if (entrySize == rt::kArchiveFileEntrySizeV2) {
      rt::PutLe32(e + rt::kEntryCompressedSize, compressedSize);
    }
  }

  std::string dirTable(dirs.size() * rt::kArchiveDirRecordSize, '\0');
  for (size_t d = 0; d < dirs.size(); ++d) {
    unsigned char* r = reinterpret_cast<unsigned char*>(dirTable.data()) +
                       d * rt::kArchiveDirRecordSize;
    rt::PutLe32(r + rt::kDirOwnEntry, static_cast<uint32_t>(dirs[d].ownEntry * entrySize));
    rt::PutLe32(r + rt::kDirParent, dirs[d].parent == rt::kArchiveNoParent
                                        ? rt::kArchiveNoParent
                                        : static_cast<uint32_t>(dirs[d].parent *
                                                                rt::kArchiveDirRecordSize));
    rt::PutLe32(r + rt::kDirEntryCount, dirs[d].count);
    rt::PutLe32(r + rt::kDirFirstEntry, static_cast<uint32_t>(dirs[d].firstEntry * entrySize));
  }

  const uint64_t infoOffset = archive.size();
  const uint64_t infoSize = names.size() + table.size() + dirTable.size();
  if (infoOffset + infoSize > 0xFFFFFFFFu) {
    *error = "archive too large";
    return false;
  }
  archive += names;
  archive += table;
  archive += dirTable;

  unsigned char* h = reinterpret_cast<unsigned char*>(archive.data());
  rt::PutLe16(h + rt::kHeaderMagic, rt::kArchiveMagic);
  rt::PutLe16(h + rt::kHeaderVersion, options.version);
  rt::PutLe32(h + rt::kHeaderInfoSize, static_cast<uint32_t>(infoSize));
  rt::PutLe32(h + rt::kHeaderDataStart, static_cast<uint32_t>(rt::kArchiveHeaderSize));
  rt::PutLe32(h + rt::kHeaderInfoOffset, static_cast<uint32_t>(infoOffset));
  rt::PutLe32(h + rt::kHeaderFileTable, static_cast<uint32_t>(names.size()));
  rt::PutLe32(h + rt::kHeaderDirTable, static_cast<uint32_t>(names.size() + table.size()));

  unsigned char key[rt::kArchiveKeySize];
  if (options.fallbackKey) {
    rt::PrepareFallbackArchiveKey(key);
  } else {
    rt::PrepareArchiveKey(options.keyString.c_str(), key);
  }
  rt::ArchiveXor(archive.data(), archive.size(), 0, key);
  *out = std::move(archive);
  return true;
}

bool LoadDirectory(const std::string& path, WriterEntry* root, std::string* error) {
  *root = WriterEntry{};
  root->directory = true;
  return LoadInto(path, root, error);
}

bool PackDirectory(const std::string& directory, const std::string& archivePath,
                   const WriteOptions& options, std::string* error) {
  WriterEntry root;
  if (!LoadDirectory(directory, &root, error)) return false;
  std::string bytes;
  if (!BuildArchive(root, options, &bytes, error)) return false;
  std::ofstream out(archivePath, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + archivePath;
    return false;
  }
  return true;
}

}  // namespace archive_tool
