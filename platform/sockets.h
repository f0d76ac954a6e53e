// Stream sockets for the network layer: IPv4 TCP, never blocking, with readiness reported
// as events the way the runtime's network layer expects them from its message window
// (read, write, accept, connect, close). The program uses POSIX sockets; tests install an
// in-memory double (sockets_fake.h) that can cut sends and receives short at will.
//
// Events follow the re-enabling rule of an asynchronous select: once an event was taken
// it is not reported again until the call that consumes it is made (any receive for read,
// an accept for accept, a send that could not go out for write); close is reported once.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace platform {

constexpr int kSocketEventRead = 1;
constexpr int kSocketEventWrite = 2;
constexpr int kSocketEventAccept = 8;
constexpr int kSocketEventConnect = 16;
constexpr int kSocketEventClose = 32;

constexpr int kNoSocket = -1;

struct SocketEvent {
  int socket = kNoSocket;
  int event = 0;  // one kSocketEvent* bit
  int error = 0;  // the system's error number for a failed connect, else 0
};

// The far end of an accepted connection as the system gives it.
struct SocketPeer {
  uint8_t address[4] = {};  // IPv4, most significant byte first
  uint16_t port = 0;        // network byte order
};

// What a socket is ready for right now.
struct SocketReadiness {
  bool data = false;        // bytes wait to be received
  bool writable = false;    // a send would take bytes
  bool peerClosed = false;  // the peer closed (bytes may still wait)
  bool pendingConnection = false;  // a listening socket has a connection to accept
};

class SocketSystem {
 public:
  virtual ~SocketSystem() = default;

  // A listening socket on a numeric IPv4 address; port 0 lets the system choose (LocalPort
  // tells which). kNoSocket on failure.
  int Listen(const std::string& address, int port);
  // A connected socket, waiting at most timeoutMs for the connection; kNoSocket on failure.
  int Connect(const std::string& host, int port, uint32_t timeoutMs);
  // A pending connection of a listening socket; kNoSocket when none waits or on failure.
  int Accept(int listening, SocketPeer* peer);
  // Bytes received (or only looked at, with peek); 0 once the peer closed and nothing is
  // left; -1 when nothing waits yet or on failure (LastError tells which failure).
  int Recv(int socket, void* buffer, int length, bool peek);
  // Bytes taken for sending (maybe fewer than asked); -1 when none could be taken.
  int Send(int socket, const void* buffer, int length);
  void Close(int socket);
  int LocalPort(int socket);

  // Reports the events in mask for the socket through TakeEvent; mask 0 stops reporting.
  int Select(int socket, int mask);
  // Looks at the selected sockets when no event is due; the number of events now due.
  int CollectEvents();
  // The next event of the selected sockets (looking at them when none is due); false when
  // none is due.
  bool TakeEvent(SocketEvent* out);
  // The system's error number of the last failed call; 0 after a call that only would
  // have blocked.
  int LastError() const { return lastError_; }

 protected:
  // The platform's part. Each returns kNoSocket or -1 on failure and stores the error.
  virtual int OpenListener(const std::string& address, int port) = 0;
  virtual int OpenConnection(const std::string& host, int port, uint32_t timeoutMs) = 0;
  virtual int TakeConnection(int listening, SocketPeer* peer) = 0;
  virtual int Receive(int socket, void* buffer, int length, bool peek, bool* wouldBlock) = 0;
  virtual int Transmit(int socket, const void* buffer, int length, bool* wouldBlock) = 0;
  virtual void Release(int socket) = 0;
  virtual int PortOf(int socket) = 0;
  virtual SocketReadiness Query(int socket, bool listening) = 0;
  void SetLastError(int error) { lastError_ = error; }

 private:
  struct Selection {
    int mask = 0;
    bool listening = false;
    bool readArmed = true;
    bool writeArmed = true;
    bool acceptArmed = true;
    bool closeReported = false;
  };
  void Poll();

  std::map<int, Selection> selections_;
  std::map<int, bool> listening_;
  std::deque<SocketEvent> due_;
  int lastError_ = 0;
};

std::unique_ptr<SocketSystem> CreatePosixSocketSystem();

// The socket system the runtime uses: POSIX unless a test installed another.
SocketSystem& GetSocketSystem();
// Installs a socket system (nullptr: back to POSIX). The caller keeps ownership.
void SetSocketSystem(SocketSystem* system);

}  // namespace platform
