// The socket system on POSIX: IPv4 TCP sockets opened non-blocking and looked at with poll.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sockets.h"

namespace platform {
namespace {

// Connections the system queues for a listening socket before they are accepted.
constexpr int kListenBacklog = 64;

bool ResolveIpv4(const std::string& host, in_addr* out) {
  if (inet_pton(AF_INET, host.c_str(), out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  *out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

class PosixSocketSystem final : public SocketSystem {
 protected:
  int OpenListener(const std::string& address, int port) override {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
      SetLastError(EINVAL);
      return kNoSocket;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail();
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(fd, kListenBacklog) != 0) {
      const int error = errno;
      close(fd);
      SetLastError(error);
      return kNoSocket;
    }
    return fd;
  }

  int OpenConnection(const std::string& host, int port, uint32_t timeoutMs) override {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (!ResolveIpv4(host, &where.sin_addr)) {
      SetLastError(EHOSTUNREACH);
      return kNoSocket;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail();
    if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
      int error = errno;
      if (error == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, static_cast<int>(timeoutMs));
        socklen_t size = sizeof error;
        if (ready <= 0) {
          error = ready == 0 ? ETIMEDOUT : errno;
        } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
          error = errno;
        }
      }
      if (error != 0) {
        close(fd);
        SetLastError(error);
        return kNoSocket;
      }
    }
    return fd;
  }

  int TakeConnection(int listening, SocketPeer* peer) override {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const int fd = accept4(listening, reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return Fail();
    std::memcpy(peer->address, &from.sin_addr, 4);
    peer->port = from.sin_port;
    return fd;
  }

  int Receive(int socket, void* buffer, int length, bool peek, bool* wouldBlock) override {
    const ssize_t n = recv(socket, buffer, static_cast<size_t>(length), (peek ? MSG_PEEK : 0) | MSG_DONTWAIT);
    if (n >= 0) return static_cast<int>(n);
    *wouldBlock = errno == EAGAIN || errno == EWOULDBLOCK;
    return *wouldBlock ? -1 : Fail();
  }

  int Transmit(int socket, const void* buffer, int length, bool* wouldBlock) override {
    const ssize_t n = send(socket, buffer, static_cast<size_t>(length), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    *wouldBlock = errno == EAGAIN || errno == EWOULDBLOCK;
    return *wouldBlock ? -1 : Fail();
  }

  void Release(int socket) override { close(socket); }

  int PortOf(int socket) override {
    sockaddr_in where{};
    socklen_t size = sizeof where;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&where), &size) != 0) return Fail();
    return ntohs(where.sin_port);
  }

  SocketReadiness Query(int socket, bool listening) override {
    SocketReadiness r;
    pollfd p{socket, static_cast<short>(POLLIN | POLLOUT | POLLRDHUP), 0};
    if (poll(&p, 1, 0) <= 0) return r;
    if (listening) {
      r.pendingConnection = (p.revents & POLLIN) != 0;
      return r;
    }
    r.peerClosed = (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    r.writable = (p.revents & POLLOUT) != 0 && !(p.revents & (POLLHUP | POLLERR));
    if (p.revents & POLLIN) {
      // At the end of a closed stream poll says readable with nothing left to read.
      char byte;
      r.data = !r.peerClosed || recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }
    return r;
  }

 private:
  int Fail() {
    SetLastError(errno);
    return -1;
  }
};

}  // namespace

std::unique_ptr<SocketSystem> CreatePosixSocketSystem() { return std::make_unique<PosixSocketSystem>(); }

}  // namespace platform
