// Facade rows of loading and deleting graphs.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/image/graph_load.h"

int LoadGraph(const char* path, int not3DFlag) {
  return rt::WithLibraryLock([&] { return rt::LoadGraphImpl(path, not3DFlag); });
}

int DeleteGraph(int graph, int logFlag) {
  return rt::WithLibraryLock([&] { return rt::DeleteGraphImpl(graph, logFlag); });
}
