// The socket calls every socket system shares: the event bookkeeping of the asynchronous
// select, and the socket system in force.
#include <vector>

#include "platform/sockets.h"

namespace platform {
namespace {

SocketSystem* g_override = nullptr;

}  // namespace

int SocketSystem::Listen(const std::string& address, int port) {
  lastError_ = 0;
  const int socket = OpenListener(address, port);
  if (socket != kNoSocket) listening_[socket] = true;
  return socket;
}

int SocketSystem::Connect(const std::string& host, int port, uint32_t timeoutMs) {
  lastError_ = 0;
  return OpenConnection(host, port, timeoutMs);
}

int SocketSystem::Accept(int listening, SocketPeer* peer) {
  lastError_ = 0;
  auto it = selections_.find(listening);
  if (it != selections_.end()) it->second.acceptArmed = true;
  SocketPeer unused;
  return TakeConnection(listening, peer ? peer : &unused);
}

int SocketSystem::Recv(int socket, void* buffer, int length, bool peek) {
  lastError_ = 0;
  auto it = selections_.find(socket);
  if (it != selections_.end()) it->second.readArmed = true;
  if (length < 0) return -1;
  bool wouldBlock = false;
  return Receive(socket, buffer, length, peek, &wouldBlock);
}

int SocketSystem::Send(int socket, const void* buffer, int length) {
  lastError_ = 0;
  if (length < 0) return -1;
  bool wouldBlock = false;
  const int sent = Transmit(socket, buffer, length, &wouldBlock);
  if (wouldBlock) {
    auto it = selections_.find(socket);
    if (it != selections_.end()) it->second.writeArmed = true;
  }
  return sent;
}

void SocketSystem::Close(int socket) {
  if (socket == kNoSocket) return;
  selections_.erase(socket);
  listening_.erase(socket);
  // A closed socket's number may come back for the next socket: its old events go too.
  std::deque<SocketEvent> kept;
  for (const SocketEvent& e : due_) {
    if (e.socket != socket) kept.push_back(e);
  }
  due_.swap(kept);
  Release(socket);
}

int SocketSystem::LocalPort(int socket) { return socket == kNoSocket ? -1 : PortOf(socket); }

int SocketSystem::Select(int socket, int mask) {
  if (socket == kNoSocket) return -1;
  if (mask == 0) {
    selections_.erase(socket);
    return 0;
  }
  Selection& s = selections_[socket];
  s.mask = mask;
  s.listening = listening_.count(socket) != 0;
  return 0;
}

void SocketSystem::Poll() {
  for (auto& [socket, s] : selections_) {
    const SocketReadiness r = Query(socket, s.listening);
    if ((s.mask & kSocketEventAccept) && r.pendingConnection && s.acceptArmed) {
      s.acceptArmed = false;
      due_.push_back({socket, kSocketEventAccept, 0});
    }
    if ((s.mask & kSocketEventRead) && r.data && s.readArmed) {
      s.readArmed = false;
      due_.push_back({socket, kSocketEventRead, 0});
    }
    if ((s.mask & kSocketEventWrite) && r.writable && s.writeArmed) {
      s.writeArmed = false;
      due_.push_back({socket, kSocketEventWrite, 0});
    }
    if ((s.mask & kSocketEventClose) && r.peerClosed && !s.closeReported) {
      s.closeReported = true;
      due_.push_back({socket, kSocketEventClose, 0});
    }
  }
}

int SocketSystem::CollectEvents() {
  if (due_.empty()) Poll();
  return static_cast<int>(due_.size());
}

bool SocketSystem::TakeEvent(SocketEvent* out) {
  if (due_.empty()) Poll();
  if (due_.empty()) return false;
  *out = due_.front();
  due_.pop_front();
  return true;
}

SocketSystem& GetSocketSystem() {
  static std::unique_ptr<SocketSystem> posix = CreatePosixSocketSystem();
  return g_override ? *g_override : *posix;
}

void SetSocketSystem(SocketSystem* system) { g_override = system; }

}  // namespace platform
