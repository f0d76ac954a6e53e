// The socket table: starting the layer, accepting and connecting, the socket messages of
// the network window, closing one socket and ending the layer.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <new>

#include "platform/sockets.h"
#include "platform/window.h"
#include "runtime/core/log.h"
#include "runtime/core/time.h"
#include "runtime/core/window.h"
#include "runtime/net/network.h"

namespace rt {
namespace {

NetWorkState g_net;

// The formatting buffer of the network log line.
constexpr size_t kNetWorkLogBufferSize = 2112;

void ResetState() {
  g_net = NetWorkState{};
  ListInit(&g_net.listHead, &g_net.listTail);
}

int FirstFreeConnectionSlot() {
  for (int slot = 0; slot < kNetConnectionSlots; ++slot) {
    if (!g_net.sockets.At(slot)) return slot;
  }
  return -1;
}

NetSocketRecord* NewRecord() {
  void* block = RT_ALLOC_ZERO(sizeof(NetSocketRecord));
  return block ? new (block) NetSocketRecord{} : nullptr;
}

void FreeRecord(NetSocketRecord* rec) {
  RingBufferFree(&rec->recvRing);
  RingBufferFree(&rec->sendRing);
  MemFree(rec);
}

// Stores a made record in its slot with the next check value and links it at the head of
// the live list; its handle.
int Register(int slot, NetSocketRecord* rec) {
  const int handle = g_net.sockets.Insert(slot, rec);
  ListAddNode(&g_net.listHead, &rec->node, handle, reinterpret_cast<intptr_t>(rec));
  return handle;
}

}  // namespace

NetWorkState& GetNetWorkState() { return g_net; }

NetSocketRecord* FindNetWorkRecord(int handle) { return g_net.sockets.Find(handle); }

int InitNetWork() {
  if (g_net.initialised) return -1;
  ResetState();
  g_net.initialised = 1;
  g_net.networkWindow = 1;
  return 0;
}

int SetNetWorkPacketFraming(int noFraming) {
  g_net.noPacketFraming = noFraming;
  return 0;
}

int SetNetWorkAutoClose(int noAutoClose) {
  g_net.noAutoClose = noAutoClose;
  return 0;
}

int ListenNetWork(const char* address, int port) {
  if (!g_net.initialised || g_net.sockets.At(kNetListenSlot)) return -1;
  platform::SocketSystem& system = platform::GetSocketSystem();
  const int socket = system.Listen(address ? address : "", port);
  if (socket == platform::kNoSocket) return NetWorkLog("listenに失敗しました");
  NetSocketRecord* rec = NewRecord();
  if (!rec) {
    system.Close(socket);
    return LogAdd("ソケット用のメモリの確保に失敗しました\n");
  }
  rec->inUse = 1;
  rec->connected = 1;
  rec->socket = socket;
  system.Select(socket, kNetEventAccept);
  Register(kNetListenSlot, rec);
  return system.LocalPort(socket);
}

int ConnectNetWork(const char* host, int port, int packetFraming, int autoClose, uint32_t timeoutMs) {
  if (!g_net.initialised) return -1;
  const int slot = FirstFreeConnectionSlot();
  if (slot < 0) return LogAdd("空きソケットデータがなかったので接続を中止しました \n");
  platform::SocketSystem& system = platform::GetSocketSystem();
  const int socket = system.Connect(host ? host : "", port, timeoutMs);
  if (socket == platform::kNoSocket) return NetWorkLog("connectに失敗しました");
  NetSocketRecord* rec = NewRecord();
  if (!rec) {
    system.Close(socket);
    return LogAdd("ソケット用のメモリの確保に失敗しました\n");
  }
  rec->inUse = 1;
  rec->connected = 1;
  rec->packetFraming = packetFraming ? 1 : 0;
  rec->autoClose = autoClose ? 1 : 0;
  rec->socket = socket;
  system.Select(socket, kNetSelectedEvents);
  return Register(slot, rec);
}

int AcceptNetWork() {
  if (!g_net.initialised) return -1;
  PumpNetWork();
  NetSocketRecord* listener = g_net.sockets.At(kNetListenSlot);
  if (!listener) return -1;
  const int slot = FirstFreeConnectionSlot();
  if (slot < 0) return LogAdd("空きソケットデータがなかったので accept を拒否しました \n");
  NetSocketRecord* rec = NewRecord();
  if (!rec) return LogAdd("ソケット用のメモリの確保に失敗しました\n");
  rec->inUse = 1;
  rec->connected = 1;
  rec->acceptedWord = 1;
  rec->packetFraming = g_net.noPacketFraming ? 0 : 1;
  rec->autoClose = g_net.noAutoClose ? 0 : 1;

  platform::SocketSystem& system = platform::GetSocketSystem();
  platform::SocketPeer peer;
  rec->socket = system.Accept(listener->socket, &peer);
  bool ok = rec->socket != platform::kNoSocket;
  if (!ok) {
    NetWorkLog("acceptに失敗しました");
  } else {
    std::copy(peer.address, peer.address + 4, rec->peerAddress);
    rec->peerPort = peer.port;
    if (system.Select(rec->socket, kNetSelectedEvents) != 0) {
      NetWorkLog("WSAAsyncSelectのエラー in AcceptNetWork");
      ok = false;
    }
  }
  if (!ok) {
    // The check counter moves on only for a socket that was taken.
    system.Close(rec->socket);
    FreeRecord(rec);
    return -1;
  }
  Register(slot, rec);
  return 1;
}

int ProcessNetWorkMessage(int flag) {
  if (!g_net.initialised || !g_net.networkWindow) return 0;
  if (flag == 1) {
    for (int slot = 0; slot < kNetRecordSlots; ++slot) {
      NetSocketRecord* rec = g_net.sockets.At(slot);
      if (!rec || !rec->inUse) continue;
      if (rec->error || (!rec->connected && rec->lossReported && rec->autoClose)) {
        CloseNetWorkImpl(g_net.sockets.HandleAt(slot));
      }
    }
  }
  PumpNetWork();
  return 0;
}

int PumpNetWork() {
  if (!g_net.initialised || !g_net.networkWindow) return 0;
  platform::SocketSystem& system = platform::GetSocketSystem();
  // Only what was due when the pump began: a handler that consumes an event re-enables it,
  // and a socket that keeps failing would otherwise keep the pump here.
  const int due = system.CollectEvents();
  int found = 0;
  platform::SocketEvent event;
  while (found < due && system.TakeEvent(&event)) {
    ++found;
    platform::WindowEvent message;
    message.type = platform::WindowEventType::kSocket;
    message.a = event.socket;
    message.b = ((event.error & 0xFFFF) << 16) | event.event;
    message.c = kSocketMessage;
    WindowProc(message);
  }
  return found;
}

int ProcessSocketEvent(int socket, int eventWord) {
  if (!g_net.initialised) return -1;
  NetSocketRecord* rec = nullptr;
  for (ListNode* node = g_net.listHead.next; node && node != &g_net.listTail; node = node->next) {
    auto* candidate = reinterpret_cast<NetSocketRecord*>(node->data);
    if (candidate->socket == socket) {
      rec = candidate;
      break;
    }
  }
  if (!rec) {
    LogAdd("通信エラー No.1\n");
    return 0;
  }
  const int handle = rec->node.index;
  switch (eventWord & 0xFFFF) {
    case kNetEventRead:
      RecvSocket(handle);
      break;
    case kNetEventWrite:
      SendSocket(handle);
      break;
    case kNetEventAccept:
      return AcceptNetWork();
    case kNetEventConnect:
      if (((eventWord >> 16) & 0xFFFF) == 0) rec->connected = 1;
      break;
    case kNetEventClose:
      rec->connected = 0;
      rec->lossReported = 0;
      break;
    default:
      break;
  }
  return 1;
}

int CloseNetWorkImpl(int handle) {
  if (!g_net.initialised) return -1;
  NetSocketRecord* rec = g_net.sockets.Find(handle);
  if (!rec) return -1;
  PumpNetWork();
  // A started packet may still come in, and queued bytes go out, for a while; a lost
  // connection or a socket in error has nothing more to give.
  uint32_t start = ReadTimeMs();
  while (rec->recvExpected > 0 && rec->connected && ReadTimeMs() - start < kCloseFlushMs) {
    if (PumpNetWork() != 0 || RecvSocket(handle) < 0) break;
  }
  start = ReadTimeMs();
  while (rec->sendQueued > 0 && rec->connected && ReadTimeMs() - start < kCloseFlushMs) {
    if (SendSocket(handle) < 0) break;
  }
  platform::SocketSystem& system = platform::GetSocketSystem();
  system.Select(rec->socket, 0);
  system.Close(rec->socket);
  rec->inUse = 0;
  rec->connected = 0;
  rec->lossReported = 1;
  ListRemoveNode(&rec->node);
  g_net.sockets.Remove(HandleSlot(handle));
  FreeRecord(rec);
  return 0;
}

int EndNetWork() {
  if (!g_net.initialised) return 0;
  LogAdd("ネットワーク関連の終了処理を行います \n");
  for (int slot = 0; slot < kNetRecordSlots; ++slot) {
    const int handle = g_net.sockets.HandleAt(slot);
    if (handle != -1) CloseNetWorkImpl(handle);
  }
  if (g_net.networkWindow) {
    g_net.windowClosed = 1;
    PumpNetWork();
  }
  ResetState();
  LogAdd("ネットワーク関連の終了処理は完了しました\n");
  return 0;
}

int NetWorkLog(const char* format, ...) {
  char text[kNetWorkLogBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  LogAddFormat("ネットワークログ。%s[%d]", text, platform::GetSocketSystem().LastError());
  return -1;
}

}  // namespace rt
