// Facade rows of the network layer.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/net/network.h"

int GetNetWorkAcceptState(int handle) {
  return rt::WithLibraryLock([&] { return rt::GetNetWorkAcceptStateImpl(handle); });
}

int NetWorkRecv(int handle, void* buffer, int length) {
  return rt::WithLibraryLock([&] { return rt::NetWorkRecvImpl(handle, buffer, length); });
}

int NetWorkRecvToPeek(int handle, void* buffer, int length) {
  return rt::WithLibraryLock([&] { return rt::NetWorkRecvToPeekImpl(handle, buffer, length); });
}

int NetWorkSend(int handle, const void* buffer, int length) {
  return rt::WithLibraryLock([&] { return rt::NetWorkSendImpl(handle, buffer, length); });
}

int GetNetWorkDataLength(int handle) {
  return rt::WithLibraryLock([&] { return rt::GetNetWorkDataLengthImpl(handle); });
}

int CloseNetWork(int handle) {
  return rt::WithLibraryLock([&] { return rt::CloseNetWorkImpl(handle); });
}
