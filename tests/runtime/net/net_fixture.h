// Shared pieces of the network tests: the layer started on its own (with the log on), a
// raw peer on the loopback address driven by the test, and bounded waits.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/sockets.h"
#include "runtime/core/log.h"
#include "runtime/net/http_client.h"
#include "runtime/net/network.h"
#include "tests/support/headless_runtime.h"

namespace net_testing {

constexpr char kLoopback[] = "127.0.0.1";
// Waits on the loopback are for events; this much real time only keeps a broken test from
// hanging, far beyond what a loaded machine takes.
constexpr int kWaitMs = 120000;

// Real time, whatever clock the runtime reads.
inline bool WaitFor(const std::function<bool()>& done, int ms = kWaitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

// Pumps the layer (with auto-close) until done says so.
inline bool PumpUntil(const std::function<bool()>& done, int ms = kWaitMs) {
  return WaitFor([&] {
    rt::ProcessNetWorkMessage(1);
    return done();
  }, ms);
}

// The handle of the socket accepted last (the head of the live list), or -1.
inline int NewestHandle() {
  rt::NetWorkState& net = rt::GetNetWorkState();
  return net.listHead.next != &net.listTail ? net.listHead.next->index : -1;
}

// A socket of the test's own on the loopback, outside the runtime.
class RawPeer {
 public:
  RawPeer() : system_(platform::CreatePosixSocketSystem()) {}
  ~RawPeer() { Close(); }
  bool Connect(int port) {
    socket_ = system_->Connect(kLoopback, port, kWaitMs);
    return socket_ != platform::kNoSocket;
  }
  bool Send(const std::string& bytes) {
    size_t done = 0;
    return WaitFor([&] {
      const int n = system_->Send(socket_, bytes.data() + done, static_cast<int>(bytes.size() - done));
      if (n > 0) done += static_cast<size_t>(n);
      return done == bytes.size();
    });
  }
  // Everything that arrives until the connection closes (or the wait ends).
  std::string ReadToClose(bool* closed = nullptr) {
    std::string got;
    bool ended = WaitFor([&] {
      char buffer[4096];
      const int n = system_->Recv(socket_, buffer, sizeof buffer, false);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
      return n == 0;
    });
    if (closed) *closed = ended;
    return got;
  }
  std::string Read(size_t count) {
    std::string got;
    WaitFor([&] {
      char buffer[4096];
      const int n = system_->Recv(socket_, buffer, static_cast<int>(std::min(sizeof buffer, count - got.size())), false);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
      return got.size() == count;
    });
    return got;
  }
  void Close() {
    if (socket_ != platform::kNoSocket) system_->Close(socket_);
    socket_ = platform::kNoSocket;
  }

 private:
  std::unique_ptr<platform::SocketSystem> system_;
  int socket_ = platform::kNoSocket;
};

// A packet as it goes on the wire: the little-endian length, then the bytes.
inline std::string Framed(const std::string& data) {
  const uint32_t n = static_cast<uint32_t>(data.size());
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
  return out + data;
}

inline std::string LengthWord(uint32_t n) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
  return out;
}

// The network layer started by itself, with the log written to the test's directory.
class NetLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::LogStart();
    rt::ClearHttpTable();
    ASSERT_EQ(rt::InitNetWork(), 0);
  }
  void TearDown() override {
    rt::DeleteAllHttpHandles();
    rt::EndNetWork();
    rt::GetLogState() = rt::LogState{};
  }
  // Listens on the loopback; the port.
  int Listen() {
    const int port = rt::ListenNetWork(kLoopback, 0);
    EXPECT_GT(port, 0);
    return port;
  }
  // A framed pair over the loopback: the connecting side and the accepted side.
  void MakePair(int* client, int* server, int framing = 1) {
    rt::SetNetWorkPacketFraming(framing ? 0 : 1);
    const int port = Listen();
    *client = rt::ConnectNetWork(kLoopback, port, framing, 1, kWaitMs);
    ASSERT_NE(*client, -1);
    ASSERT_TRUE(PumpUntil([&] { return NewestHandle() != *client; }));
    *server = NewestHandle();
  }
  std::string Log() const { return rt_.Log(); }

  testing_support::HeadlessRuntime rt_;
};

}  // namespace net_testing
