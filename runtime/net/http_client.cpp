// The HTTP/1.0 client, stepped from the message pump: one step of each transfer per call.
#include "runtime/net/http_client.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/strings.h"
#include "runtime/net/network.h"

namespace rt {
namespace {

HttpState g_http;

constexpr char kContentLength[] = "Content-Length:";
constexpr int kHttpStatusOk = 200;
constexpr int kHttpStatusNotFound = 404;
// Room for a request head: the fixed text, a 255-byte path and a 127-byte host.
constexpr size_t kRequestHeadSize = 512;

HttpRecord* Record(int slot) { return slot >= 0 && slot < kHttpSlots ? g_http.records[slot] : nullptr; }

int RequestHead(const HttpRecord& rec, char* out) {
  switch (rec.kind) {
    case kHttpGet:
      return std::snprintf(out, kRequestHeadSize, "GET %s HTTP/1.0\r\nHost: %s:%d\r\nConnection: close\r\n\r\n",
                           rec.path, rec.host, rec.port);
    case kHttpPost:
      // The POST head ends its lines with a bare line feed, unlike GET.
      return std::snprintf(out, kRequestHeadSize, "POST %s HTTP/1.0\nHost: %s:%d\nContent-Length: %d\n\n",
                           rec.path, rec.host, rec.port, rec.postLength);
    default:
      return std::snprintf(out, kRequestHeadSize, "HEAD %s HTTP/1.0\n\n", rec.path);
  }
}

// Step 0: sends the request. A send that takes only part of it leaves the rest for the
// next call, so the server never sees a request cut short.
void SendRequest(HttpRecord& rec) {
  char head[kRequestHeadSize];
  const int headLength = RequestHead(rec, head);
  const int32_t total = headLength + (rec.kind == kHttpPost ? rec.postLength : 0);
  while (rec.requestSent < total) {
    const bool inHead = rec.requestSent < headLength;
    const char* from = inHead ? head + rec.requestSent
                              : static_cast<const char*>(rec.postData) + (rec.requestSent - headLength);
    const int length = inHead ? headLength - rec.requestSent : total - rec.requestSent;
    const int sent = NetWorkSendImpl(rec.netHandle, from, length);
    if (sent <= 0) return;
    rec.requestSent += sent;
  }
  rec.step = 1;
}

bool Closed(const HttpRecord& rec) { return GetNetWorkAcceptStateImpl(rec.netHandle) == 0; }

// One line of the response head into line; false while none is there, and when the
// transfer ended: the line was too long, or the connection closed with part of a line
// that can never end.
bool ReadHeadLine(int slot, HttpRecord& rec, char* line) {
  const int n = HttpReadLine(rec.netHandle, line);
  if (n == -2) {
    EndHttpTransfer(slot, kHttpFailed, kHttpErrorBadResponse);
    return false;
  }
  if (n == -1) {
    if (Closed(rec)) EndHttpTransfer(slot, kHttpFailed, kHttpErrorClosed);
    return false;
  }
  return true;
}

// Counts a header line; false (and the transfer ended) past the limit, so that a server
// sending headers for ever does not keep the transfer alive.
bool CountHeaderLine(int slot, HttpRecord& rec) {
  if (++rec.headerLines <= kHttpHeaderLineLimit) return true;
  EndHttpTransfer(slot, kHttpFailed, kHttpErrorBadResponse);
  return false;
}

// Step 1: the status line.
void ReadStatus(int slot, HttpRecord& rec) {
  char line[kHttpLineLimit + 1];
  if (!ReadHeadLine(slot, rec, line)) return;
  const int status = HttpGetStatusCode(line);
  if (status == kHttpStatusOk) {
    rec.step = 2;
    return;
  }
  if (rec.kind == kHttpGet) LogAddFormat("接続に失敗しました (戻り値:%d)", status);
  EndHttpTransfer(slot, kHttpFailed, status == kHttpStatusNotFound ? kHttpErrorNotFound : kHttpErrorStatus);
}

// The number of a "Content-Length:" line, or -1 when it holds no usable length.
int32_t ParseContentLength(const char* line) {
  const char* p = line + sizeof kContentLength - 1;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p < '0' || *p > '9') return -1;
  char* end = nullptr;
  const long long value = std::strtoll(p, &end, 10);
  return value > INT32_MAX ? -1 : static_cast<int32_t>(value);
}

// Makes the memory destination hold at least the given bytes, keeping what it holds.
bool GrowBody(HttpRecord& rec, int32_t bytes) {
  if (bytes <= rec.bufferCapacity) return true;
  if (bytes > kHttpMemoryBodyLimit) return false;
  void* grown = RT_ALLOC(size_t(bytes));
  if (!grown) return false;
  if (*rec.callerBuffer) {
    std::memcpy(grown, *rec.callerBuffer, size_t(rec.received));
    MemFree(*rec.callerBuffer);
  }
  *rec.callerBuffer = grown;
  rec.bufferCapacity = bytes;
  return true;
}

void ReadHeaders(int slot, HttpRecord& rec) {
  char line[kHttpLineLimit + 1];
  if (!ReadHeadLine(slot, rec, line)) return;
  if (!std::strchr(line, ':')) {
    rec.step = 3;
    // An empty body is complete before any of it is read: the server may be gone already.
    if (rec.contentLength == 0) {
      rec.step = 4;
      EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
    }
    return;
  }
  if (!CountHeaderLine(slot, rec)) return;
  if (std::strncmp(line, kContentLength, sizeof kContentLength - 1) != 0) return;
  rec.contentLength = ParseContentLength(line);
  if (rec.contentLength < 0) {
    EndHttpTransfer(slot, kHttpFailed, kHttpErrorBadResponse);
    return;
  }
  if (rec.destination == kHttpToMemory && rec.callerBuffer) {
    // A repeated length replaces the block made for the first one.
    MemFree(*rec.callerBuffer);
    *rec.callerBuffer = nullptr;
    rec.bufferCapacity = 0;
    if (!GrowBody(rec, std::max(rec.contentLength, 1))) EndHttpTransfer(slot, kHttpFailed, kHttpErrorNoMemory);
  }
}

bool BodyComplete(const HttpRecord& rec) {
  if (rec.contentLength >= 0) return rec.received >= rec.contentLength;
  // The data length pumps first, so a close the system has seen is known by then.
  return GetNetWorkDataLengthImpl(rec.netHandle) == 0 && Closed(rec);
}

void ReadBody(int slot, HttpRecord& rec) {
  for (;;) {
    const int32_t left = rec.contentLength >= 0 ? rec.contentLength - rec.received : kHttpFileBufferSize;
    int n;
    if (rec.destination == kHttpToFile) {
      n = NetWorkRecvImpl(rec.netHandle, g_http.fileBuffer, std::min<int32_t>(left, kHttpFileBufferSize));
      if (n > 0 && std::fwrite(g_http.fileBuffer, 1, size_t(n), rec.file) != size_t(n)) {
        EndHttpTransfer(slot, kHttpFailed, kHttpErrorNoMemory);
        return;
      }
    } else if (!rec.callerBuffer) {
      n = NetWorkRecvImpl(rec.netHandle, g_http.fileBuffer, std::min<int32_t>(left, kHttpFileBufferSize));
    } else {
      // Without a length the block grows as the data comes.
      if (rec.contentLength < 0 && rec.bufferCapacity - rec.received < kHttpFileBufferSize &&
          !GrowBody(rec, std::min(std::max(rec.received + kHttpFileBufferSize, rec.bufferCapacity * 2),
                                  std::max(kHttpMemoryBodyLimit, rec.received + 1)))) {
        EndHttpTransfer(slot, kHttpFailed, kHttpErrorNoMemory);
        return;
      }
      char* block = static_cast<char*>(*rec.callerBuffer);
      n = NetWorkRecvImpl(rec.netHandle, block + rec.received, std::min(left, rec.bufferCapacity - rec.received));
    }
    if (n < 0) return;
    rec.received += n;
    if (BodyComplete(rec)) {
      rec.step = 4;
      EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
      return;
    }
    if (n == 0) return;
  }
}

void StepGetOrPost(int slot, HttpRecord& rec) {
  switch (rec.step) {
    case 0:
      SendRequest(rec);
      break;
    case 1:
      ReadStatus(slot, rec);
      break;
    case 2:
      ReadHeaders(slot, rec);
      break;
    case 3:
      ReadBody(slot, rec);
      break;
    default:
      EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
      break;
  }
}

void StepHead(int slot, HttpRecord& rec) {
  switch (rec.step) {
    case 0:
      SendRequest(rec);
      break;
    case 1:
      ReadStatus(slot, rec);
      break;
    case 2: {
      char line[kHttpLineLimit + 1];
      if (!ReadHeadLine(slot, rec, line) || !CountHeaderLine(slot, rec)) break;
      if (std::strncmp(line, kContentLength, sizeof kContentLength - 1) == 0) {
        rec.contentLength = ParseContentLength(line);
        rec.step = 3;
        EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
      }
      break;
    }
    default:
      EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
      break;
  }
}

int StartTransfer(int kind, const char* host, int port, const char* path, const void* data, int length,
                  const char* filePath, void** memory) {
  if (!GetNetWorkState().initialised || !host || !path || length < 0 || (length > 0 && !data)) return -1;
  if (std::strlen(host) >= sizeof HttpRecord::host || std::strlen(path) >= sizeof HttpRecord::path) return -1;
  int slot = 0;
  while (slot < kHttpSlots && g_http.records[slot]) ++slot;
  if (slot == kHttpSlots) return -1;

  void* block = RT_ALLOC_ZERO(sizeof(HttpRecord));
  if (!block) return -1;
  HttpRecord* rec = new (block) HttpRecord{};
  rec->kind = kind;
  std::strcpy(rec->host, host);
  std::strcpy(rec->path, path);
  rec->port = port;
  rec->destination = filePath ? kHttpToFile : kHttpToMemory;
  rec->callerBuffer = filePath ? nullptr : memory;
  if (rec->callerBuffer) *rec->callerBuffer = nullptr;
  bool ok = true;
  if (kind == kHttpPost && length > 0) {
    rec->postData = RT_ALLOC(size_t(length));
    ok = rec->postData != nullptr;
    if (ok) std::memcpy(rec->postData, data, size_t(length));
    rec->postLength = length;
  }
  if (ok && filePath) {
    rec->file = std::fopen(filePath, "wb");
    ok = rec->file != nullptr;
  }
  if (ok) {
    // The client's own bytes on the wire: no packet framing, and the socket stays until
    // the transfer ends, whatever the peer does.
    rec->netHandle = ConnectNetWork(host, port, 0, 0, kHttpConnectTimeoutMs);
    ok = rec->netHandle != -1;
  }
  if (!ok) {
    if (rec->file) std::fclose(rec->file);
    MemFree(rec->postData);
    MemFree(rec);
    return -1;
  }
  g_http.records[slot] = rec;
  ++g_http.count;
  return slot;
}

}  // namespace

HttpState& GetHttpState() { return g_http; }

void ClearHttpTable() {
  std::fill(std::begin(g_http.records), std::end(g_http.records), nullptr);
  g_http.count = 0;
}

int StartHttpGet(const char* host, int port, const char* path, const char* filePath, void** memory) {
  return StartTransfer(kHttpGet, host, port, path, nullptr, 0, filePath, memory);
}

int StartHttpPost(const char* host, int port, const char* path, const void* data, int length,
                  const char* filePath, void** memory) {
  return StartTransfer(kHttpPost, host, port, path, data, length, filePath, memory);
}

int StartHttpHead(const char* host, int port, const char* path) {
  return StartTransfer(kHttpHead, host, port, path, nullptr, 0, nullptr, nullptr);
}

int GetHttpTransferState(int slot, int* result, int* error, int* contentLength, int* received) {
  const HttpRecord* rec = Record(slot);
  if (!rec) return -1;
  if (result) *result = rec->result;
  if (error) *error = rec->error;
  if (contentLength) *contentLength = rec->contentLength;
  if (received) *received = rec->received;
  return 0;
}

int HttpReadLine(int netHandle, char* line) {
  char peeked[kHttpLineLimit];
  const int n = NetWorkRecvToPeekImpl(netHandle, peeked, kHttpLineLimit);
  if (n <= 0) return -1;
  int i = 0;
  while (i < n && peeked[i] != '\n') i += IsLeadByte(&peeked[i], 1) ? 2 : 1;
  if (i >= n) {
    // A full look with no line end: waiting longer would never find one.
    return n == kHttpLineLimit ? -2 : -1;
  }
  std::memcpy(line, peeked, size_t(i));
  line[i] = '\0';
  NetWorkRecvImpl(netHandle, peeked, i + 1);
  return i;
}

int HttpGetStatusCode(const char* line) {
  const char* blank = std::strchr(line, ' ');
  return blank ? static_cast<int>(std::strtol(blank + 1, nullptr, 10)) : -1;
}

int ProcessHttpHandle(int slot) {
  if (!GetNetWorkState().initialised) return -1;
  HttpRecord* rec = Record(slot);
  if (!rec) return -1;
  if (rec->result != kHttpRunning) return 0;
  if (GetNetWorkAcceptStateImpl(rec->netHandle) == 0 && GetNetWorkDataLengthImpl(rec->netHandle) == 0) {
    // A body that runs to the close is complete when the close comes after its last read.
    if (rec->kind != kHttpHead && rec->step == 3 && rec->contentLength < 0) {
      rec->step = 4;
      return EndHttpTransfer(slot, kHttpDone, kHttpErrorNone);
    }
    return EndHttpTransfer(slot, kHttpFailed, kHttpErrorClosed);
  }
  if (rec->kind == kHttpHead) {
    StepHead(slot, *rec);
  } else {
    StepGetOrPost(slot, *rec);
  }
  return 0;
}

int ProcessAllHttpHandles() {
  if (!GetNetWorkState().initialised) return 0;
  int met = 0;
  for (int slot = 0; slot < kHttpSlots && met < g_http.count; ++slot) {
    if (!g_http.records[slot]) continue;
    ++met;
    ProcessHttpHandle(slot);
  }
  return 0;
}

int EndHttpTransfer(int slot, int result, int error) {
  HttpRecord* rec = Record(slot);
  if (!rec) return -1;
  if (rec->netHandle != -1) {
    CloseNetWorkImpl(rec->netHandle);
    rec->netHandle = -1;
  }
  MemFree(rec->postData);
  rec->postData = nullptr;
  if (rec->file) {
    std::fclose(rec->file);
    rec->file = nullptr;
  }
  if (rec->result == kHttpRunning) rec->result = result;
  if (rec->error == kHttpErrorNone) rec->error = error;
  if (rec->result != kHttpDone && rec->destination == kHttpToMemory && rec->callerBuffer) {
    MemFree(*rec->callerBuffer);
    *rec->callerBuffer = nullptr;
    rec->bufferCapacity = 0;
  }
  return 0;
}

int DeleteHttpHandle(int slot) {
  if (!GetNetWorkState().initialised) return -1;
  HttpRecord* rec = Record(slot);
  if (!rec) return -1;
  // A transfer still running is abandoned: its socket, file and partial body go.
  EndHttpTransfer(slot, kHttpFailed, kHttpErrorNone);
  MemFree(rec);
  g_http.records[slot] = nullptr;
  --g_http.count;
  return 0;
}

int DeleteAllHttpHandles() {
  if (!GetNetWorkState().initialised) return 0;
  for (int slot = 0; slot < kHttpSlots; ++slot) {
    if (g_http.records[slot]) DeleteHttpHandle(slot);
  }
  return 0;
}

}  // namespace rt
