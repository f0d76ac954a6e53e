// The test double of the socket system: connections held in memory, no system sockets.
// A test can cut every send or receive of a socket short, or leave a socket no room to
// send at all, to drive the partial transfers that a real loopback rarely shows.
#pragma once
#include <deque>
#include <map>
#include <string>

#include "platform/sockets.h"

namespace platform {

class FakeSocketSystem final : public SocketSystem {
 public:
  // The most bytes one send (receive, but not a peek) of the socket moves; 0: no limit.
  void SetSendLimit(int socket, int bytes) { ends_[socket].sendLimit = bytes; }
  void SetReceiveLimit(int socket, int bytes) { ends_[socket].receiveLimit = bytes; }
  // Bytes the socket may still send before a send would block; -1: no limit.
  void SetSendRoom(int socket, long bytes) { ends_[socket].room = bytes; }
  // Bytes sent to the socket that it has not received yet.
  int Waiting(int socket) const;
  int OpenCount() const;

 protected:
  int OpenListener(const std::string& address, int port) override;
  int OpenConnection(const std::string& host, int port, uint32_t timeoutMs) override;
  int TakeConnection(int listening, SocketPeer* peer) override;
  int Receive(int socket, void* buffer, int length, bool peek, bool* wouldBlock) override;
  int Transmit(int socket, const void* buffer, int length, bool* wouldBlock) override;
  void Release(int socket) override;
  int PortOf(int socket) override;
  SocketReadiness Query(int socket, bool listening) override;

 private:
  struct End {
    bool open = false;
    bool listening = false;
    int port = 0;
    int peer = kNoSocket;
    bool peerClosed = false;
    std::deque<unsigned char> incoming;
    std::deque<int> pending;  // a listening socket's connections
    int sendLimit = 0;
    int receiveLimit = 0;
    long room = -1;
  };
  End* Find(int socket);

  std::map<int, End> ends_;
  int next_ = 100;
  int nextPort_ = 40000;
};

}  // namespace platform
