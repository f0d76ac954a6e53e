#include "platform/sockets_fake.h"

#include <algorithm>
#include <cerrno>

namespace platform {

FakeSocketSystem::End* FakeSocketSystem::Find(int socket) {
  auto it = ends_.find(socket);
  return it != ends_.end() && it->second.open ? &it->second : nullptr;
}

int FakeSocketSystem::Waiting(int socket) const {
  auto it = ends_.find(socket);
  return it == ends_.end() ? 0 : static_cast<int>(it->second.incoming.size());
}

int FakeSocketSystem::OpenCount() const {
  return static_cast<int>(std::count_if(ends_.begin(), ends_.end(), [](const auto& e) { return e.second.open; }));
}

int FakeSocketSystem::OpenListener(const std::string& address, int port) {
  const int socket = next_++;
  End& end = ends_[socket];
  end.open = true;
  end.listening = true;
  end.port = port ? port : nextPort_++;
  return socket;
}

int FakeSocketSystem::OpenConnection(const std::string& host, int port, uint32_t timeoutMs) {
  for (auto& [id, listener] : ends_) {
    if (!listener.open || !listener.listening || listener.port != port) continue;
    const int client = next_++;
    const int server = next_++;
    ends_[client].open = true;
    ends_[client].peer = server;
    ends_[client].port = nextPort_++;
    ends_[server].open = true;
    ends_[server].peer = client;
    ends_[server].port = port;
    ends_[id].pending.push_back(server);
    return client;
  }
  SetLastError(ECONNREFUSED);
  return kNoSocket;
}

int FakeSocketSystem::TakeConnection(int listening, SocketPeer* peer) {
  End* end = Find(listening);
  if (!end || !end->listening) {
    SetLastError(EBADF);
    return kNoSocket;
  }
  if (end->pending.empty()) return kNoSocket;
  const int socket = end->pending.front();
  end->pending.pop_front();
  peer->address[0] = 127;
  peer->address[1] = peer->address[2] = 0;
  peer->address[3] = 1;
  const uint16_t port = static_cast<uint16_t>(ends_[ends_[socket].peer].port);
  peer->port = static_cast<uint16_t>((port >> 8) | (port << 8));
  return socket;
}

int FakeSocketSystem::Receive(int socket, void* buffer, int length, bool peek, bool* wouldBlock) {
  End* end = Find(socket);
  if (!end || end->listening) {
    SetLastError(EBADF);
    return -1;
  }
  if (end->incoming.empty()) {
    if (end->peerClosed) return 0;
    *wouldBlock = true;
    return -1;
  }
  int n = std::min(length, static_cast<int>(end->incoming.size()));
  // A look shows all that waits; only taking bytes is cut short.
  if (end->receiveLimit > 0 && !peek) n = std::min(n, end->receiveLimit);
  auto* out = static_cast<unsigned char*>(buffer);
  std::copy_n(end->incoming.begin(), n, out);
  if (!peek) end->incoming.erase(end->incoming.begin(), end->incoming.begin() + n);
  return n;
}

int FakeSocketSystem::Transmit(int socket, const void* buffer, int length, bool* wouldBlock) {
  End* end = Find(socket);
  if (!end || end->listening || end->peerClosed) {
    SetLastError(end ? EPIPE : EBADF);
    return -1;
  }
  long n = length;
  if (end->sendLimit > 0) n = std::min<long>(n, end->sendLimit);
  if (end->room >= 0) n = std::min(n, end->room);
  if (n == 0 && length > 0) {
    *wouldBlock = true;
    return -1;
  }
  if (end->room >= 0) end->room -= n;
  const auto* in = static_cast<const unsigned char*>(buffer);
  End& peer = ends_[end->peer];
  peer.incoming.insert(peer.incoming.end(), in, in + n);
  return static_cast<int>(n);
}

void FakeSocketSystem::Release(int socket) {
  End* end = Find(socket);
  if (!end) return;
  end->open = false;
  end->incoming.clear();
  for (int pending : end->pending) Release(pending);
  if (End* peer = Find(end->peer)) peer->peerClosed = true;
}

int FakeSocketSystem::PortOf(int socket) {
  End* end = Find(socket);
  return end ? end->port : -1;
}

SocketReadiness FakeSocketSystem::Query(int socket, bool listening) {
  SocketReadiness r;
  End* end = Find(socket);
  if (!end) return r;
  if (listening) {
    r.pendingConnection = !end->pending.empty();
    return r;
  }
  r.data = !end->incoming.empty();
  r.peerClosed = end->peerClosed;
  r.writable = !end->peerClosed && end->room != 0;
  return r;
}

}  // namespace platform
