// What a peer sends, over the in-memory sockets: as an HTTP response to a transfer, or as
// the wire bytes of a framed socket. The first byte picks the reader and how the bytes
// arrive; the rest is the peer's.
#include <cstddef>
#include <cstdint>

#include "platform/sockets_fake.h"
#include "runtime/core/memory.h"
#include "runtime/net/http_client.h"
#include "runtime/net/network.h"

namespace {

constexpr char kAddress[] = "127.0.0.1";
// Steps given to the reader after the peer is done; each step either moves on or ends.
constexpr int kExtraSteps = 64;

void FuzzHttp(platform::FakeSocketSystem& sockets, int mode, const uint8_t* data, size_t size) {
  const int listener = sockets.Listen(kAddress, 0);
  const int port = sockets.LocalPort(listener);
  void* body = nullptr;
  const char* postData = "a=1";
  int slot;
  switch (mode % 3) {
    case 0:
      slot = rt::StartHttpGet(kAddress, port, "/", nullptr, &body);
      break;
    case 1:
      slot = rt::StartHttpPost(kAddress, port, "/", postData, 3, nullptr, (mode & 4) ? nullptr : &body);
      break;
    default:
      slot = rt::StartHttpHead(kAddress, port, "/");
      break;
  }
  const int peer = sockets.Accept(listener, nullptr);
  if (slot < 0 || peer == platform::kNoSocket) __builtin_trap();
  // Small pieces with steps between them, as a slow server would send.
  const size_t piece = 1 + (mode >> 3);
  for (size_t at = 0; at < size; at += piece) {
    sockets.Send(peer, data + at, static_cast<int>(size - at < piece ? size - at : piece));
    rt::ProcessHttpHandle(slot);
  }
  sockets.Close(peer);
  int result = rt::kHttpRunning;
  for (int step = 0; step < kExtraSteps && result == rt::kHttpRunning; ++step) {
    rt::ProcessNetWorkMessage(1);
    rt::ProcessHttpHandle(slot);
    rt::GetHttpTransferState(slot, &result, nullptr, nullptr, nullptr);
  }
  rt::DeleteHttpHandle(slot);
  rt::MemFree(body);
  sockets.Close(listener);
}

void FuzzFraming(platform::FakeSocketSystem& sockets, int mode, const uint8_t* data, size_t size) {
  const int listener = sockets.Listen(kAddress, 0);
  const int handle = rt::ConnectNetWork(kAddress, sockets.LocalPort(listener), 1, 1, 0);
  const int peer = sockets.Accept(listener, nullptr);
  if (handle < 0 || peer == platform::kNoSocket) __builtin_trap();
  sockets.SetReceiveLimit(rt::FindNetWorkRecord(handle)->socket, 1 + (mode >> 3));
  sockets.Send(peer, data, static_cast<int>(size));
  sockets.Close(peer);
  unsigned char packet[64];
  for (int step = 0; step < kExtraSteps; ++step) {
    const int waiting = rt::GetNetWorkDataLengthImpl(handle);
    if (waiting < 0) break;
    if (waiting > 0) {
      const int take = waiting < static_cast<int>(sizeof packet) ? waiting : static_cast<int>(sizeof packet);
      // Whole packets counted as waiting can be taken, unless the socket fell into error.
      if (rt::NetWorkRecvImpl(handle, packet, take) != 0 && !rt::FindNetWorkRecord(handle)->error) __builtin_trap();
    }
  }
  rt::CloseNetWorkImpl(handle);
  sockets.Close(listener);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  platform::FakeSocketSystem sockets;
  platform::SetSocketSystem(&sockets);
  rt::ClearHttpTable();
  rt::InitNetWork();
  const int mode = data[0];
  if (mode & 1) {
    FuzzFraming(sockets, mode >> 1, data + 1, size - 1);
  } else {
    FuzzHttp(sockets, mode >> 1, data + 1, size - 1);
  }
  rt::DeleteAllHttpHandles();
  rt::EndNetWork();
  platform::SetSocketSystem(nullptr);
  return 0;
}
