// The network layer: a table of socket handles whose events come from the socket system's
// asynchronous select, with receive and send ring buffers per socket and an optional
// packet framing (a little-endian u32 length before every packet). Nothing in the game
// starts it, so every entry returns at once (operations -1, pumps and shut-down 0) until
// InitNetWork is called.
#pragma once
#include <cstdint>

#include "runtime/core/memory.h"
#include "runtime/image/handle_table.h"

namespace rt {

// Slots 0..4095 hold accepted and connected sockets, slot 4096 the listening socket.
constexpr int kNetConnectionSlots = 4096;
constexpr int kNetListenSlot = 4096;
constexpr int kNetRecordSlots = 4097;
// The message number of a socket event at the network window.
constexpr int kSocketMessage = 0x505;
// Event word bits (low 16 bits; the high 16 bits carry an error).
constexpr int kNetEventRead = 1;
constexpr int kNetEventWrite = 2;
constexpr int kNetEventAccept = 8;
constexpr int kNetEventConnect = 16;
constexpr int kNetEventClose = 32;
// What an accepted socket is selected for: read, write and close.
constexpr int kNetSelectedEvents = kNetEventRead | kNetEventWrite | kNetEventClose;
// The length word in front of every framed packet.
constexpr int kPacketLengthBytes = 4;
// The receive ring never grows past this: a peer announcing a packet that would not fit
// loses the connection instead of making the runtime reserve what it asks for.
constexpr int32_t kReceiveRingLimit = 16 * 1024 * 1024;
// How long closing a socket keeps receiving a started packet, and then sending.
constexpr uint32_t kCloseFlushMs = 1000;

struct NetSocketRecord {
  int32_t inUse = 0;
  int32_t error = 0;      // 1 after a failure of the receive buffer
  int32_t connected = 0;
  int32_t lossReported = 0;  // the owner was told the connection was lost
  int32_t spare = 0;
  int32_t acceptedWord = 0;
  int32_t packetFraming = 0;
  int32_t autoClose = 0;
  uint32_t check = 0;
  int socket = -1;
  // Receive side.
  int32_t recvExpected = 0;  // bytes still to come of the packet being received
  RingBuffer recvRing;
  int32_t recvPacketLength = 0;
  int32_t recvWaiting = 0;  // bytes of complete packets waiting in the ring
  // Send side.
  RingBuffer sendRing;
  int32_t sendQueued = 0;
  uint8_t sendLengthWord[kPacketLengthBytes] = {};
  int32_t sendPacketRemaining = 0;
  int32_t sendLengthRemaining = 0;
  // The peer as the system gives it.
  uint8_t peerAddress[4] = {};
  uint16_t peerPort = 0;  // network byte order
  ListNode node;          // index: the handle; data: the record
};

struct NetWorkState {
  HandleTable<NetSocketRecord> sockets{kHandleTypeSocket, kNetRecordSlots};
  ListNode listHead;
  ListNode listTail;
  int initialised = 0;
  int networkWindow = 0;  // the network window exists (the socket system delivers its events)
  int noPacketFraming = 0;
  int noAutoClose = 0;
  int windowClosed = 0;
  int inRecvSocket = 0;
  int inSendSocket = 0;
};

NetWorkState& GetNetWorkState();

// Starting the layer, which nothing in the game does: the state, the network window and,
// for listening and connecting, the sockets. ListenNetWork puts a listening socket into
// slot 4096 and returns its port; ConnectNetWork makes a connected socket record (waiting
// at most timeoutMs) and returns its handle. Both -1 on failure.
int InitNetWork();
int ListenNetWork(const char* address, int port);
int ConnectNetWork(const char* host, int port, int packetFraming, int autoClose, uint32_t timeoutMs);
int SetNetWorkPacketFraming(int noFraming);
int SetNetWorkAutoClose(int noAutoClose);

// The record behind a handle, or null.
NetSocketRecord* FindNetWorkRecord(int handle);

int AcceptNetWork();
int GetNetWorkAcceptStateImpl(int handle);
int NetWorkRecvImpl(int handle, void* buffer, int length);
int NetWorkRecvToPeekImpl(int handle, void* buffer, int length);
int NetWorkSendImpl(int handle, const void* buffer, int length);
int GetNetWorkDataLengthImpl(int handle);
int CloseNetWorkImpl(int handle);
int ProcessNetWorkMessage(int flag);
// The pump of the operations: dispatches the waiting socket messages; how many there were.
int PumpNetWork();
int ProcessSocketEvent(int socket, int eventWord);
int RecvSocket(int handle);
int SendSocket(int handle);
int EndNetWork();
int NetWorkLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Ring reads and writes that wrap at the capacity.
void RingBufferWrapPositions(RingBuffer* ring);
int RingBufferWrite(const void* data, int32_t size, RingBuffer* ring);
// Copies size held bytes out; with peek the read position stays. -1 when fewer are held.
int RingBufferRead(void* out, int32_t size, RingBuffer* ring, int peek);

}  // namespace rt
