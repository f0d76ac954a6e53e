#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/file/archive_layer.h"
#include "runtime/file/file_access.h"
#include "runtime/file/stream.h"

FileHandle FileOpen(const char* path, int asyncFlag) {
  return rt::WithLibraryLock([&] { return rt::FileOpenImpl(path, asyncFlag); });
}

int64_t FileGetSizeByPath(const char* path) {
  return rt::WithLibraryLock([&] { return rt::FileGetSizeByPathImpl(path); });
}

int FileClose(FileHandle handle) {
  return rt::WithLibraryLock([&] { return rt::FileCloseImpl(handle); });
}

size_t FileRead(void* buffer, size_t size, FileHandle handle) {
  return rt::WithLibraryLock([&] { return rt::FileReadImpl(buffer, size, handle); });
}

int FileEof(FileHandle handle) {
  return rt::WithLibraryLock([&] { return rt::FileEofImpl(handle); });
}

int FileReadLine(char* buffer, int bufferSize, FileHandle handle) {
  return rt::WithLibraryLock([&] { return rt::FileReadLineImpl(buffer, bufferSize, handle); });
}

int FileReplaceContents(const char* path, const void* buffer, size_t size) {
  return rt::WithLibraryLock([&] { return rt::FileReplaceContentsImpl(path, buffer, size); });
}

int SetUseArchive(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetUseArchiveImpl(flag); });
}

int SetArchiveExtension(const char* extension) {
  return rt::WithLibraryLock([&] { return rt::SetArchiveExtensionImpl(extension); });
}

int SetArchiveKeyString(const char* keyString) {
  return rt::WithLibraryLock([&] { return rt::SetArchiveKeyStringImpl(keyString); });
}
