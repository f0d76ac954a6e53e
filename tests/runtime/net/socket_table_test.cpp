#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sockets_fake.h"
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/window.h"
#include "runtime/image/handle_table.h"
#include "tests/runtime/net/net_fixture.h"

namespace {

using namespace net_testing;

// The layer on the in-memory socket system, where accepting thousands of sockets is cheap.
class FakeNetTest : public NetLayerTest {
 protected:
  void SetUp() override {
    platform::SetSocketSystem(&fake_);
    NetLayerTest::SetUp();
    port_ = Listen();
  }
  void TearDown() override {
    NetLayerTest::TearDown();
    platform::SetSocketSystem(nullptr);
  }
  // Connects a raw peer and lets the layer accept it: the peer's socket.
  int AcceptOne() {
    const int peer = fake_.Connect(kLoopback, port_, 0);
    EXPECT_NE(peer, platform::kNoSocket);
    rt::ProcessNetWorkMessage(0);
    return peer;
  }
  platform::FakeSocketSystem fake_;
  int port_ = 0;
};

TEST_F(FakeNetTest, HandlesCarryTypeCheckAndSlotAndRefuseAnythingElse) {
  // The listening socket took check 0 in slot 4096; accepted sockets go to the first free slot.
  const int first = (AcceptOne(), NewestHandle());
  const int second = (AcceptOne(), NewestHandle());
  EXPECT_EQ(first, 0x48000000 | (1 << 16) | 0);
  EXPECT_EQ(second, 0x48000000 | (2 << 16) | 1);
  EXPECT_EQ(GetNetWorkAcceptState(first), 1);

  const int refused[] = {
      -1,
      (first & ~0x78000000) | (rt::kHandleTypeGraph << 27),  // another kind's type bits
      first ^ (1 << 16),                                      // another check value
      (first & ~0xFFFF) | 4097,                               // beyond the table
      (first & ~0xFFFF) | 7,                                  // an empty slot
  };
  for (int handle : refused) EXPECT_EQ(GetNetWorkAcceptState(handle), -1) << std::hex << handle;

  EXPECT_EQ(CloseNetWork(first), 0);
  EXPECT_EQ(GetNetWorkAcceptState(first), -1);
  EXPECT_EQ(CloseNetWork(first), -1);
  const int third = (AcceptOne(), NewestHandle());
  EXPECT_EQ(third, 0x48000000 | (3 << 16) | 0) << "the freed slot is taken again with a new check";
  // Nothing about refusing a handle went to the log.
  EXPECT_EQ(Log().find("ネットワークハンドル"), std::string::npos);
}

TEST_F(FakeNetTest, CheckCounterWrapsAfter2048Sockets) {
  // Check values 1..2047 go to the first 2047 accepted sockets, then the counter wraps.
  const int firstHandle = (AcceptOne(), NewestHandle());
  ASSERT_EQ(CloseNetWork(firstHandle), 0);
  int handle = -1;
  for (int n = 2; n <= 2048; ++n) {
    AcceptOne();
    handle = NewestHandle();
    if (n < 2048) {
      ASSERT_EQ(CloseNetWork(handle), 0);
    }
  }
  EXPECT_EQ(handle, 0x48000000) << "the 2048th accepted socket has check 0 in slot 0";
  EXPECT_EQ(GetNetWorkAcceptState(firstHandle), -1);
  ASSERT_EQ(CloseNetWork(handle), 0);
  AcceptOne();
  EXPECT_EQ(NewestHandle(), firstHandle) << "a dead handle comes back after 2048 more sockets";
}

TEST_F(FakeNetTest, AcceptStoresThePeerAndSelectsTheSocket) {
  AcceptOne();
  const rt::NetSocketRecord* rec = rt::FindNetWorkRecord(NewestHandle());
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(std::vector<int>(rec->peerAddress, rec->peerAddress + 4), (std::vector<int>{127, 0, 0, 1}));
  EXPECT_EQ(rec->acceptedWord, 1);
  EXPECT_EQ(rec->packetFraming, 1);
  EXPECT_EQ(rec->autoClose, 1);

  rt::SetNetWorkPacketFraming(1);
  rt::SetNetWorkAutoClose(1);
  AcceptOne();
  rec = rt::FindNetWorkRecord(NewestHandle());
  EXPECT_EQ(rec->packetFraming, 0);
  EXPECT_EQ(rec->autoClose, 0);

  // Accepting with nothing pending fails and keeps the check counter where it was.
  const uint32_t counter = rt::GetNetWorkState().sockets.checkCounter();
  EXPECT_EQ(rt::AcceptNetWork(), -1);
  EXPECT_EQ(rt::GetNetWorkState().sockets.checkCounter(), counter);
  EXPECT_NE(Log().find("ネットワークログ。acceptに失敗しました"), std::string::npos);
}

TEST_F(FakeNetTest, SocketEventsMoveTheConnectionState) {
  AcceptOne();
  const int handle = NewestHandle();
  rt::NetSocketRecord* rec = rt::FindNetWorkRecord(handle);
  rec->connected = 0;
  rec->lossReported = 1;
  EXPECT_EQ(rt::ProcessSocketEvent(rec->socket, rt::kNetEventConnect | (61 << 16)), 1);
  EXPECT_EQ(rec->connected, 0) << "a connect that failed leaves it unconnected";
  EXPECT_EQ(rt::ProcessSocketEvent(rec->socket, rt::kNetEventConnect), 1);
  EXPECT_EQ(rec->connected, 1);
  EXPECT_EQ(rt::ProcessSocketEvent(rec->socket, rt::kNetEventClose), 1);
  EXPECT_EQ(rec->connected, 0);
  EXPECT_EQ(rec->lossReported, 0);

  // The first query that finds the loss reports it; auto-close then ends the socket.
  EXPECT_EQ(GetNetWorkAcceptState(handle), 0);
  EXPECT_EQ(rec->lossReported, 1);
  rt::ProcessNetWorkMessage(0);
  EXPECT_EQ(GetNetWorkAcceptState(handle), 0) << "only a pump with flag 1 closes";
  rt::ProcessNetWorkMessage(1);
  EXPECT_EQ(GetNetWorkAcceptState(handle), -1);

  EXPECT_EQ(rt::ProcessSocketEvent(99999, rt::kNetEventRead), 0);
  EXPECT_NE(Log().find("通信エラー No.1\r\n"), std::string::npos);
}

TEST_F(FakeNetTest, RecordsInErrorOrOutOfUseAreLoggedByEveryOperation) {
  AcceptOne();
  const int handle = NewestHandle();
  rt::NetSocketRecord* rec = rt::FindNetWorkRecord(handle);
  char buffer[8] = {};
  struct Case {
    const char* name;
    std::function<int()> call;
  };
  const Case cases[] = {
      {"RecvSocket", [&] { return rt::RecvSocket(handle); }},
      {"SendSocket", [&] { return rt::SendSocket(handle); }},
      {"NetWorkRecv", [&] { return NetWorkRecv(handle, buffer, 1); }},
      {"NetWorkRecvToPeek", [&] { return NetWorkRecvToPeek(handle, buffer, 1); }},
      {"NetWorkSend", [&] { return NetWorkSend(handle, buffer, 1); }},
      {"GetNetWorkDataLength", [&] { return GetNetWorkDataLength(handle); }},
      {"GetNetWorkAcceptState", [&] { return GetNetWorkAcceptState(handle); }},
  };
  for (const Case& c : cases) {
    rec->error = 1;
    EXPECT_EQ(c.call(), -1) << c.name;
    EXPECT_NE(Log().find(std::string("このネットワークハンドルにはエラーが発生しています in ") + c.name + "\r\n"),
              std::string::npos)
        << c.name;
    rec->error = 0;
    rec->inUse = 0;
    EXPECT_EQ(c.call(), -1) << c.name;
    EXPECT_NE(Log().find(std::string("有効なネットワークハンドルではありません in ") + c.name + "\r\n"),
              std::string::npos)
        << c.name;
    rec->inUse = 1;
  }
  // A socket in error is closed by the next auto-closing pump, whatever its setting.
  rec->autoClose = 0;
  rec->error = 1;
  rt::ProcessNetWorkMessage(1);
  EXPECT_EQ(rt::FindNetWorkRecord(handle), nullptr);
}

TEST_F(FakeNetTest, PartialSendsAndReceivesCompleteOnePacket) {
  const int client = rt::ConnectNetWork(kLoopback, port_, 1, 1, kWaitMs);
  ASSERT_NE(client, -1);
  rt::ProcessNetWorkMessage(0);
  const int server = NewestHandle();
  ASSERT_NE(server, client);
  rt::NetSocketRecord* sender = rt::FindNetWorkRecord(client);
  rt::NetSocketRecord* receiver = rt::FindNetWorkRecord(server);
  // Three bytes per send split the length word; two per receive split everything else.
  fake_.SetSendLimit(sender->socket, 3);
  fake_.SetReceiveLimit(receiver->socket, 2);

  const std::string data = "0123456789";
  ASSERT_EQ(NetWorkSend(client, data.data(), static_cast<int>(data.size())), 0);
  int rounds = 0;
  while (GetNetWorkDataLength(server) == 0 && rounds < 100) {
    ++rounds;
    EXPECT_EQ(receiver->recvWaiting, 0) << "nothing counts before the whole packet is in";
    GetNetWorkDataLength(client);  // moves the queued bytes on
  }
  EXPECT_GT(rounds, 1);
  EXPECT_EQ(GetNetWorkDataLength(server), 10);
  EXPECT_EQ(sender->sendQueued, 0);
  char got[10];
  EXPECT_EQ(NetWorkRecv(server, got, 11), -1) << "more than waits";
  EXPECT_EQ(NetWorkRecvToPeek(server, got, 10), 0);
  EXPECT_EQ(GetNetWorkDataLength(server), 10);
  EXPECT_EQ(NetWorkRecv(server, got, 10), 0);
  EXPECT_EQ(std::string(got, 10), data);
  EXPECT_EQ(GetNetWorkDataLength(server), 0);
}

TEST_F(FakeNetTest, SendsQueuedWhileBlockedGoOutAsOnePacket) {
  const int listener = fake_.Listen(kLoopback, 0);
  const int client = rt::ConnectNetWork(kLoopback, fake_.LocalPort(listener), 1, 1, kWaitMs);
  ASSERT_NE(client, -1);
  const int peer = fake_.Accept(listener, nullptr);
  rt::NetSocketRecord* sender = rt::FindNetWorkRecord(client);
  fake_.SetSendRoom(sender->socket, 0);
  ASSERT_EQ(NetWorkSend(client, "abc", 3), 0);
  ASSERT_EQ(NetWorkSend(client, "defg", 4), 0);
  EXPECT_EQ(fake_.Waiting(peer), 0);
  EXPECT_EQ(sender->sendQueued, 7);

  // Room again: the write event sends everything queued, under one length.
  fake_.SetSendRoom(sender->socket, -1);
  rt::ProcessNetWorkMessage(0);
  char wire[16] = {};
  ASSERT_EQ(fake_.Recv(peer, wire, sizeof wire, false), 11);
  EXPECT_EQ(std::string(wire, 11), Framed("abcdefg"));
  fake_.Close(peer);
  fake_.Close(listener);
}

TEST_F(FakeNetTest, EndingTheLayerClosesEverySocketAndLogs) {
  const int peer = AcceptOne();
  ASSERT_EQ(fake_.OpenCount(), 3);  // listener, peer, accepted
  EXPECT_EQ(rt::EndNetWork(), 0);
  EXPECT_EQ(fake_.OpenCount(), 1);
  char byte;
  EXPECT_EQ(fake_.Recv(peer, &byte, 1, false), 0) << "the peer sees the close";
  EXPECT_GE(testing_support::FindInOrder(Log(), {"ネットワーク関連の終了処理を行います \r\n",
                                                  "ネットワーク関連の終了処理は完了しました\r\n"}),
            0);
  EXPECT_EQ(rt::GetNetWorkState().initialised, 0);
  fake_.Close(peer);
}

// Over the real loopback.

TEST_F(NetLayerTest, FramedPacketsCrossALoopbackPairBothWays) {
  int client = -1, server = -1;
  MakePair(&client, &server);
  // Packets of changing sizes read back one by one, so the rings wrap many times.
  for (int round = 0; round < 40; ++round) {
    std::string data(static_cast<size_t>(300 + round * 37), '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + round);
    const int from = round % 2 ? client : server;
    const int to = round % 2 ? server : client;
    ASSERT_EQ(NetWorkSend(from, data.data(), static_cast<int>(data.size())), 0);
    ASSERT_TRUE(PumpUntil([&] { return GetNetWorkDataLength(to) == static_cast<int>(data.size()); }))
        << "round " << round;
    std::string got(data.size(), '\0');
    ASSERT_EQ(NetWorkRecv(to, got.data(), static_cast<int>(got.size())), 0);
    ASSERT_EQ(got, data) << "round " << round;
  }
  // A packet larger than the system's socket buffers arrives whole.
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 >> 3);
  ASSERT_EQ(NetWorkSend(client, big.data(), static_cast<int>(big.size())), 0);
  ASSERT_TRUE(PumpUntil([&] {
    GetNetWorkDataLength(client);
    return GetNetWorkDataLength(server) == static_cast<int>(big.size());
  }));
  std::string got(big.size(), '\0');
  ASSERT_EQ(NetWorkRecv(server, got.data(), static_cast<int>(got.size())), 0);
  EXPECT_TRUE(got == big);
}

TEST_F(NetLayerTest, UnframedSocketsPassBytesAsTheyCome) {
  int client = -1, server = -1;
  MakePair(&client, &server, 0);
  EXPECT_EQ(GetNetWorkDataLength(server), 0);
  EXPECT_EQ(NetWorkSend(client, "hello", 5), 5);
  ASSERT_TRUE(PumpUntil([&] { return GetNetWorkDataLength(server) == 1; }));
  char got[8] = {};
  // The bytes may come in more than one piece: wait for them rather than count on one.
  ASSERT_TRUE(WaitFor([&] { return NetWorkRecvToPeek(server, got, 2) == 2; }));
  ASSERT_TRUE(WaitFor([&] { return NetWorkRecvToPeek(server, got, 8) == 5; }));
  EXPECT_EQ(NetWorkRecv(server, got, 8), 5);
  EXPECT_EQ(std::string(got, 5), "hello");
  EXPECT_EQ(GetNetWorkDataLength(server), 0);
  EXPECT_EQ(NetWorkRecv(server, got, -1), -1);
}

TEST_F(NetLayerTest, PeerClosingMidPacketLeavesNothingToReadAndIsClosed) {
  const int port = Listen();
  RawPeer peer;
  ASSERT_TRUE(peer.Connect(port));
  ASSERT_TRUE(PumpUntil([] { return NewestHandle() != -1 && rt::HandleSlot(NewestHandle()) == 0; }));
  const int handle = NewestHandle();
  ASSERT_TRUE(peer.Send(Framed("first") + LengthWord(100) + std::string(40, 'x')));
  ASSERT_TRUE(PumpUntil([&] { return GetNetWorkDataLength(handle) == 5; }));
  peer.Close();
  ASSERT_TRUE(PumpUntil([&] { return rt::FindNetWorkRecord(handle)->connected == 0; }));
  const rt::NetSocketRecord* rec = rt::FindNetWorkRecord(handle);
  EXPECT_EQ(rec->recvExpected, 60);
  EXPECT_EQ(GetNetWorkDataLength(handle), 5) << "the cut packet never counts";
  char got[40];
  EXPECT_EQ(NetWorkRecv(handle, got, 5), 0);
  EXPECT_EQ(std::string(got, 5), "first");
  EXPECT_EQ(NetWorkRecv(handle, got, 40), -1);
  EXPECT_EQ(GetNetWorkAcceptState(handle), 0);
  rt::ProcessNetWorkMessage(1);
  EXPECT_EQ(rt::FindNetWorkRecord(handle), nullptr);
}

TEST_F(NetLayerTest, APeersLengthBeyondTheRingLimitDropsTheConnection) {
  const uint32_t lengths[] = {uint32_t(rt::kReceiveRingLimit) + 1, 0x80000000u, 0xFFFFFFFFu};
  const int port = Listen();
  for (uint32_t length : lengths) {
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(port));
    ASSERT_TRUE(PumpUntil([] { return NewestHandle() != -1 && rt::HandleSlot(NewestHandle()) == 0; }));
    const int handle = NewestHandle();
    ASSERT_TRUE(peer.Send(Framed("ok") + LengthWord(length) + "more"));
    ASSERT_TRUE(WaitFor([&] {
      rt::ProcessNetWorkMessage(0);
      return rt::FindNetWorkRecord(handle)->error == 1;
    })) << length;
    bool closed = false;
    peer.ReadToClose(&closed);
    EXPECT_TRUE(closed) << "the peer is cut off at once";
    EXPECT_EQ(GetNetWorkDataLength(handle), -1);
    rt::ProcessNetWorkMessage(1);
    EXPECT_EQ(rt::FindNetWorkRecord(handle), nullptr) << length;
  }
  EXPECT_NE(Log().find("受信パケットのサイズ 4294967295 byte がリングバッファの上限を超えたため切断しました"),
            std::string::npos);
}

// The layer untouched: nothing in the game starts it.
TEST(NetNotStartedTest, EveryEntryReturnsAtOnce) {
  testing_support::HeadlessRuntime runtime;
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const int handle = rt::MakeHandle(rt::kHandleTypeSocket, 0, 0);
  char buffer[4] = {};
  void* body = nullptr;
  EXPECT_EQ(GetNetWorkAcceptState(handle), -1);
  EXPECT_EQ(NetWorkRecv(handle, buffer, 4), -1);
  EXPECT_EQ(NetWorkRecvToPeek(handle, buffer, 4), -1);
  EXPECT_EQ(NetWorkSend(handle, buffer, 4), -1);
  EXPECT_EQ(GetNetWorkDataLength(handle), -1);
  EXPECT_EQ(CloseNetWork(handle), -1);
  rt::WithLibraryLock([&] {
    EXPECT_EQ(rt::AcceptNetWork(), -1);
    EXPECT_EQ(rt::ProcessSocketEvent(3, rt::kNetEventRead), -1);
    EXPECT_EQ(rt::RecvSocket(handle), -1);
    EXPECT_EQ(rt::SendSocket(handle), -1);
    EXPECT_EQ(rt::ProcessNetWorkMessage(1), 0);
    EXPECT_EQ(rt::PumpNetWork(), 0);
    EXPECT_EQ(rt::ListenNetWork(kLoopback, 0), -1);
    EXPECT_EQ(rt::StartHttpGet(kLoopback, 80, "/", nullptr, &body), -1);
    EXPECT_EQ(rt::ProcessHttpHandle(0), -1);
    EXPECT_EQ(rt::ProcessAllHttpHandles(), 0);
    EXPECT_EQ(rt::DeleteHttpHandle(0), -1);
    EXPECT_EQ(rt::DeleteAllHttpHandles(), 0);
    EXPECT_EQ(rt::EndNetWork(), 0);
  });
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(runtime.Log().find("ネットワーク"), std::string::npos);
}

// Started inside a running runtime: the message pump and shut-down drive it.
TEST(NetInRuntimeTest, MessagePumpAcceptsAndShutDownEndsTheLayer) {
  testing_support::HeadlessRuntime runtime;
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const int port = rt::WithLibraryLock([] {
    rt::InitNetWork();
    return rt::ListenNetWork(kLoopback, 0);
  });
  ASSERT_GT(port, 0);
  RawPeer peer;
  ASSERT_TRUE(peer.Connect(port));
  int handle = -1;
  ASSERT_TRUE(WaitFor([&] {
    ProcessMessage();
    handle = rt::WithLibraryLock([] { return rt::HandleSlot(NewestHandle()) == 0 ? NewestHandle() : -1; });
    return handle != -1;
  }));
  ASSERT_TRUE(peer.Send(Framed("ping")));
  ASSERT_TRUE(WaitFor([&] {
    ProcessMessage();
    return GetNetWorkDataLength(handle) == 4;
  }));
  // A socket message for a socket no record holds, through the window procedure.
  rt::WithLibraryLock([] {
    platform::WindowEvent message;
    message.type = platform::WindowEventType::kSocket;
    message.a = 99999;
    message.b = rt::kNetEventRead;
    rt::WindowProc(message);
  });

  EXPECT_EQ(EndLibrary(), 0);
  bool closed = false;
  peer.ReadToClose(&closed);
  EXPECT_TRUE(closed);
  const std::string log = runtime.Log();
  EXPECT_NE(log.find("通信エラー No.1"), std::string::npos);
  EXPECT_GE(testing_support::FindInOrder(log, {"ネットワーク関連の終了処理を行います",
                                                "ネットワーク関連の終了処理は完了しました"}),
            0);
}

}  // namespace
