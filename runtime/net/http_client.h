// The HTTP/1.0 client: transfers (GET, POST, HEAD) over unframed network handles, one step
// per transfer on every call of the message pump.
#pragma once
#include <cstdint>
#include <cstdio>

namespace rt {

constexpr int kHttpSlots = 100;
constexpr int kHttpFileBufferSize = 4096;
// A response line is looked for in this many bytes; a longer one fails the transfer.
constexpr int kHttpLineLimit = 255;
// A response may send this many header lines; a server that sends more fails the transfer.
constexpr int kHttpHeaderLineLimit = 100;
// How long starting a transfer waits for its connection.
constexpr uint32_t kHttpConnectTimeoutMs = 5000;
// The largest body kept in memory; a larger one fails as if memory ran out.
constexpr int32_t kHttpMemoryBodyLimit = 64 * 1024 * 1024;

enum HttpKind : int32_t { kHttpGet = 0, kHttpPost = 1, kHttpHead = 2 };
enum HttpResult : int32_t { kHttpRunning = -1, kHttpDone = 0, kHttpFailed = 2 };
enum HttpError : int32_t {
  kHttpErrorNone = -1,
  kHttpErrorStatus = 0,     // a status other than 200 and 404
  kHttpErrorNotFound = 1,   // status 404
  kHttpErrorNoMemory = 2,   // no room for the body (memory, or the file would not take it)
  kHttpErrorClosed = 3,     // the connection closed before the response was complete
  kHttpErrorBadResponse = 4,  // a response line too long, too many header lines, or a length that is no length
};
enum HttpDestination : int32_t { kHttpToFile = 0, kHttpToMemory = 1 };

struct HttpRecord {
  int32_t kind = kHttpGet;
  int32_t requestSent = 0;  // bytes of the request (head and data) sent so far
  int32_t step = 0;
  int32_t headerLines = 0;  // header lines read so far
  int32_t result = kHttpRunning;
  int32_t error = kHttpErrorNone;
  int32_t netHandle = -1;
  int32_t destination = kHttpToMemory;
  std::FILE* file = nullptr;
  void** callerBuffer = nullptr;
  int32_t contentLength = -1;
  int32_t received = 0;
  char host[128] = {};
  char path[256] = {};
  void* postData = nullptr;
  int32_t postLength = 0;
  int32_t bufferCapacity = 0;  // bytes of the memory destination's block
  int32_t port = 0;
};

struct HttpState {
  HttpRecord* records[kHttpSlots] = {};
  int count = 0;
  unsigned char fileBuffer[kHttpFileBufferSize] = {};
};

HttpState& GetHttpState();

// Clears the table at runtime start-up (the records of an earlier run are gone with it).
void ClearHttpTable();

// Starting transfers, which nothing in the game does. The body goes to the file at
// filePath, or, when filePath is null, into a tracked block whose address is stored in
// *memory (free it with MemFree). A new slot, or -1 (layer not started, no free slot,
// no connection, the file cannot be made).
int StartHttpGet(const char* host, int port, const char* path, const char* filePath, void** memory);
int StartHttpPost(const char* host, int port, const char* path, const void* data, int length,
                  const char* filePath, void** memory);
int StartHttpHead(const char* host, int port, const char* path);
// The result, error, content length and bytes received of a transfer; -1 for an empty slot.
int GetHttpTransferState(int slot, int* result, int* error, int* contentLength, int* received);

int ProcessHttpHandle(int slot);
int ProcessAllHttpHandles();
int EndHttpTransfer(int slot, int result, int error);
int DeleteHttpHandle(int slot);
int DeleteAllHttpHandles();

// The line reader and the status code, for the parser's own tests: the line's length, -1
// when no whole line waits yet, -2 when the line is longer than the reader looks.
int HttpReadLine(int netHandle, char* line);
int HttpGetStatusCode(const char* line);

}  // namespace rt
