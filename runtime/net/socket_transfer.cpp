// Moving bytes: the ring reads and writes, the framed receive and send of one socket, and
// the public operations on a network handle.
#include <algorithm>
#include <cstring>

#include "platform/sockets.h"
#include "runtime/core/log.h"
#include "runtime/net/network.h"

namespace rt {
namespace {

// A record that an operation may use, or null after logging why not (nothing is logged
// for a handle that names no record).
NetSocketRecord* UsableRecord(int handle, const char* notInUse, const char* inError) {
  NetSocketRecord* rec = FindNetWorkRecord(handle);
  if (!rec) return nullptr;
  if (!rec->inUse) {
    LogAdd(notInUse);
    return nullptr;
  }
  if (rec->error) {
    LogAdd(inError);
    return nullptr;
  }
  return rec;
}

#define NET_RECORD_OR_FAIL(handle, name)                                                        \
  UsableRecord(handle, "有効なネットワークハンドルではありません in " name "\n", \
               "このネットワークハンドルにはエラーが発生しています in " name "\n")

platform::SocketSystem& Sockets() { return platform::GetSocketSystem(); }

void Advance(int32_t* position, int32_t by, int32_t capacity) {
  *position += by;
  if (*position > capacity) *position -= capacity;
}

// Bytes that fit behind the write position before the ring ends or reaches the read position.
int32_t ContiguousFree(const RingBuffer& ring) {
  if (ring.held == 0 || ring.writePos > ring.readPos) return ring.capacity - ring.writePos;
  return ring.readPos - ring.writePos;
}

uint32_t ReadLengthWord(const uint8_t* word) {
  return uint32_t{word[0]} | uint32_t{word[1]} << 8 | uint32_t{word[2]} << 16 | uint32_t{word[3]} << 24;
}

// A peer that announces more than the receive ring may hold loses the connection; the
// record stays, in error, until its owner or the next auto-closing pump closes it.
void DropOversizedPeer(NetSocketRecord* rec, uint32_t length) {
  LogAddFormat("受信パケットのサイズ %u byte がリングバッファの上限を超えたため切断しました", length);
  platform::SocketSystem& system = Sockets();
  system.Select(rec->socket, 0);
  system.Close(rec->socket);
  rec->socket = platform::kNoSocket;
  rec->error = 1;
  rec->connected = 0;
}

// Receives up to want bytes of the expected packet into the free space of the ring; the
// bytes that came, or -1 when the first receive failed.
int ReceiveIntoRing(NetSocketRecord* rec, int32_t want) {
  RingBuffer& ring = rec->recvRing;
  int got = 0;
  for (int piece = 0; piece < 2 && got < want; ++piece) {
    RingBufferWrapPositions(&ring);
    const int32_t room = std::min(want - got, ContiguousFree(ring));
    const int n = Sockets().Recv(rec->socket, ring.data + ring.writePos, room, false);
    if (n < 0) return piece == 0 ? -1 : got;
    Advance(&ring.writePos, n, ring.capacity);
    ring.held += n;
    got += n;
    if (n < room) break;
  }
  return got;
}

// Sends up to want held bytes from the read position; the bytes that went.
int SendFromRing(NetSocketRecord* rec, int32_t want) {
  RingBuffer& ring = rec->sendRing;
  int sent = 0;
  for (int piece = 0; piece < 2 && sent < want; ++piece) {
    RingBufferWrapPositions(&ring);
    const int32_t run = std::min(want - sent, ring.capacity - ring.readPos);
    const int n = Sockets().Send(rec->socket, ring.data + ring.readPos, run);
    if (n <= 0) break;
    Advance(&ring.readPos, n, ring.capacity);
    ring.held -= n;
    sent += n;
    if (n < run) break;
  }
  return sent;
}

}  // namespace

void RingBufferWrapPositions(RingBuffer* ring) {
  if (ring->readPos == ring->capacity) ring->readPos = 0;
  if (ring->writePos == ring->capacity) ring->writePos = 0;
}

int RingBufferWrite(const void* data, int32_t size, RingBuffer* ring) {
  if (size < 0) return -1;
  if (size == 0) return 0;
  if (RingBufferReserve(size, ring) < 0) return -1;
  const auto* in = static_cast<const unsigned char*>(data);
  const int32_t first = std::min(size, ring->capacity - ring->writePos);
  std::memcpy(ring->data + ring->writePos, in, size_t(first));
  std::memcpy(ring->data, in + first, size_t(size - first));
  Advance(&ring->writePos, size, ring->capacity);
  ring->held += size;
  return 0;
}

int RingBufferRead(void* out, int32_t size, RingBuffer* ring, int peek) {
  if (size < 0 || size > ring->held) return -1;
  if (size == 0) return 0;
  RingBufferWrapPositions(ring);
  auto* dst = static_cast<unsigned char*>(out);
  const int32_t first = std::min(size, ring->capacity - ring->readPos);
  std::memcpy(dst, ring->data + ring->readPos, size_t(first));
  std::memcpy(dst + first, ring->data, size_t(size - first));
  if (!peek) {
    Advance(&ring->readPos, size, ring->capacity);
    ring->held -= size;
  }
  return 0;
}

int RecvSocket(int handle) {
  NetWorkState& net = GetNetWorkState();
  if (!net.initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "RecvSocket");
  if (!rec || net.inRecvSocket) return -1;
  net.inRecvSocket = 1;
  PumpNetWork();
  int result = 0;
  while (rec->packetFraming) {
    if (rec->recvExpected == 0) {
      uint8_t word[kPacketLengthBytes];
      if (Sockets().Recv(rec->socket, word, kPacketLengthBytes, true) < kPacketLengthBytes) break;
      for (int taken = 0; taken < kPacketLengthBytes;) {
        const int n = Sockets().Recv(rec->socket, word + taken, kPacketLengthBytes - taken, false);
        if (n <= 0) break;
        taken += n;
      }
      const uint32_t length = ReadLengthWord(word);
      if (length > uint32_t(kReceiveRingLimit - rec->recvRing.held)) {
        DropOversizedPeer(rec, length);
        result = -1;
        break;
      }
      rec->recvExpected = rec->recvPacketLength = static_cast<int32_t>(length);
      if (RingBufferReserve(rec->recvExpected, &rec->recvRing) < 0) {
        LogAddFormat("受信データを保存するリングバッファのリサイズに失敗しました(データサイズ %d byte)",
                     rec->recvExpected);
        rec->error = 1;
        result = -1;
        break;
      }
    }
    const int got = ReceiveIntoRing(rec, rec->recvExpected);
    if (got < 0) break;
    rec->recvExpected -= got;
    const bool complete = rec->recvExpected == 0;
    if (complete) rec->recvWaiting += rec->recvPacketLength;
    if (PumpNetWork() != 0 || got == 0 || !complete) break;
  }
  if (rec->packetFraming && result == 0) {
    // The pump above may have taken this socket's own read event while this call refused
    // it; a look at the socket announces what is left once more.
    char byte;
    Sockets().Recv(rec->socket, &byte, 1, true);
  }
  net.inRecvSocket = 0;
  return result;
}

int SendSocket(int handle) {
  NetWorkState& net = GetNetWorkState();
  if (!net.initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "SendSocket");
  if (!rec || net.inSendSocket) return -1;
  net.inSendSocket = 1;
  PumpNetWork();
  int result = 0;
  while (rec->packetFraming && rec->sendQueued > 0) {
    if (rec->sendLengthRemaining > 0) {
      const int n = Sockets().Send(rec->socket, rec->sendLengthWord + kPacketLengthBytes - rec->sendLengthRemaining,
                                   rec->sendLengthRemaining);
      if (n > 0) rec->sendLengthRemaining -= n;
      if (rec->sendLengthRemaining > 0) break;
    } else if (rec->sendPacketRemaining == 0) {
      // Everything queued so far goes out as one packet.
      rec->sendPacketRemaining = rec->sendQueued;
      const uint32_t length = static_cast<uint32_t>(rec->sendQueued);
      for (int i = 0; i < kPacketLengthBytes; ++i) rec->sendLengthWord[i] = static_cast<uint8_t>(length >> (8 * i));
      const int n = Sockets().Send(rec->socket, rec->sendLengthWord, kPacketLengthBytes);
      if (n < 0) {
        rec->sendPacketRemaining = 0;
        if (Sockets().LastError() != 0) result = -1;
        break;
      }
      if (n < kPacketLengthBytes) {
        rec->sendLengthRemaining = kPacketLengthBytes - n;
        break;
      }
    }
    const int sent = SendFromRing(rec, rec->sendPacketRemaining);
    rec->sendQueued -= sent;
    rec->sendPacketRemaining -= sent;
    if (PumpNetWork() != 0 || sent == 0 || rec->sendPacketRemaining > 0) break;
  }
  net.inSendSocket = 0;
  return result;
}

int GetNetWorkAcceptStateImpl(int handle) {
  if (!GetNetWorkState().initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "GetNetWorkAcceptState");
  if (!rec) return -1;
  if (rec->connected) return 1;
  rec->lossReported = 1;
  return 0;
}

namespace {

int Receive(int handle, void* buffer, int length, bool peek, NetSocketRecord* rec) {
  if (length < 0) return -1;
  RecvSocket(handle);
  if (!rec->packetFraming) return Sockets().Recv(rec->socket, buffer, length, peek);
  // Only bytes of whole packets are handed out; a packet still arriving stays where it is.
  if (rec->recvWaiting < length) return -1;
  RingBufferRead(buffer, length, &rec->recvRing, peek ? 1 : 0);
  if (!peek) {
    rec->recvWaiting -= length;
    RecvSocket(handle);
  }
  return 0;
}

}  // namespace

int NetWorkRecvImpl(int handle, void* buffer, int length) {
  if (!GetNetWorkState().initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "NetWorkRecv");
  return rec ? Receive(handle, buffer, length, false, rec) : -1;
}

int NetWorkRecvToPeekImpl(int handle, void* buffer, int length) {
  if (!GetNetWorkState().initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "NetWorkRecvToPeek");
  return rec ? Receive(handle, buffer, length, true, rec) : -1;
}

int NetWorkSendImpl(int handle, const void* buffer, int length) {
  if (!GetNetWorkState().initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "NetWorkSend");
  if (!rec || !rec->connected || length < 0) return -1;
  SendSocket(handle);
  if (!rec->packetFraming) return Sockets().Send(rec->socket, buffer, length);
  if (RingBufferWrite(buffer, length, &rec->sendRing) < 0) {
    return LogAddFormat("送信データ %d byte の追加に失敗しました in NetWorkSend", length);
  }
  rec->sendQueued += length;
  SendSocket(handle);
  return 0;
}

int GetNetWorkDataLengthImpl(int handle) {
  if (!GetNetWorkState().initialised) return -1;
  NetSocketRecord* rec = NET_RECORD_OR_FAIL(handle, "GetNetWorkDataLength");
  if (!rec) return -1;
  PumpNetWork();
  RecvSocket(handle);
  SendSocket(handle);
  if (rec->packetFraming) return rec->recvWaiting;
  char byte;
  const int n = Sockets().Recv(rec->socket, &byte, 1, true);
  if (n > 0) return 1;
  if (n == 0 || Sockets().LastError() == 0) return 0;
  return n;
}

}  // namespace rt
