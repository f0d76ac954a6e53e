#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/memory.h"
#include "tests/runtime/net/net_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace net_testing;

struct Piece {
  std::string bytes;
  int delayMs = 0;  // waited before the piece goes out
};

// A one-connection HTTP server on the loopback: reads one request (head and, when it
// announces one, body), answers with the pieces and closes. Gives up by itself after the
// wait limit.
class TestHttpServer {
 public:
  explicit TestHttpServer(std::vector<Piece> response) : system_(platform::CreatePosixSocketSystem()) {
    listener_ = system_->Listen(kLoopback, 0);
    port_ = system_->LocalPort(listener_);
    thread_ = std::thread([this, response] { Serve(response); });
  }
  ~TestHttpServer() {
    Finish();
    system_->Close(listener_);
  }
  int port() const { return port_; }
  // The request as it came; waits for the server to finish.
  std::string Request() {
    Finish();
    return request_;
  }

 private:
  void Finish() {
    if (thread_.joinable()) thread_.join();
  }
  static size_t ExpectedSize(const std::string& request) {
    size_t head = request.find("\r\n\r\n");
    size_t end = head == std::string::npos ? std::string::npos : head + 4;
    if (end == std::string::npos) {
      head = request.find("\n\n");
      end = head == std::string::npos ? std::string::npos : head + 2;
    }
    if (end == std::string::npos) return std::string::npos;
    const size_t length = request.find("Content-Length: ");
    return length < end ? end + std::stoul(request.substr(length + 16)) : end;
  }
  void Serve(const std::vector<Piece>& response) {
    int socket = platform::kNoSocket;
    if (!WaitFor([&] { return (socket = system_->Accept(listener_, nullptr)) != platform::kNoSocket; })) return;
    WaitFor([&] {
      char buffer[4096];
      const int n = system_->Recv(socket, buffer, sizeof buffer, false);
      if (n > 0) request_.append(buffer, static_cast<size_t>(n));
      return n == 0 || request_.size() >= ExpectedSize(request_);
    });
    bool gone = false;  // the client hung up
    for (const Piece& piece : response) {
      if (gone) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(piece.delayMs));
      size_t sent = 0;
      WaitFor([&] {
        const int n = system_->Send(socket, piece.bytes.data() + sent, static_cast<int>(piece.bytes.size() - sent));
        if (n > 0) sent += static_cast<size_t>(n);
        gone = n < 0 && system_->LastError() != 0;
        return gone || sent == piece.bytes.size();
      });
    }
    system_->Close(socket);
  }

  std::unique_ptr<platform::SocketSystem> system_;
  int listener_ = platform::kNoSocket;
  int port_ = 0;
  std::string request_;
  std::thread thread_;
};

std::string Body(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 23);
  return body;
}

class HttpClientTest : public NetLayerTest {
 protected:
  // Steps the transfer as the message pump does until it ends; its result.
  int Run(int slot) {
    int result = rt::kHttpRunning;
    WaitFor([&] {
      rt::ProcessNetWorkMessage(1);
      rt::ProcessAllHttpHandles();
      rt::GetHttpTransferState(slot, &result, nullptr, nullptr, nullptr);
      return result != rt::kHttpRunning;
    });
    return result;
  }
  int Error(int slot) {
    int error = 0;
    rt::GetHttpTransferState(slot, nullptr, &error, nullptr, nullptr);
    return error;
  }
};

struct ResponseCase {
  const char* name;
  std::vector<Piece> response;
  int result;
  int error;
  std::string body;  // what the memory destination holds afterwards
};

TEST_F(HttpClientTest, GetResponsesEndAsTheStatusAndBodySay) {
  const std::string big = Body(10000);
  const std::string longLine = "X-Padding: " + std::string(289, 'p') + "\r\n";
  const std::string longestLine = "X-Padding: " + std::string(242, 'p') + "\r\n";  // 254 bytes before "\n"
  const ResponseCase cases[] = {
      {"with length", {{"HTTP/1.0 200 OK\r\nContent-Length: 11\r\nContent-Type: text/plain\r\n\r\nhello world"}},
       rt::kHttpDone, rt::kHttpErrorNone, "hello world"},
      // Without a length the body runs to the close, and the memory block grows with it.
      {"without length", {{"HTTP/1.0 200 OK\r\nServer: test\r\n\r\n" + big.substr(0, 5000)}, {big.substr(5000), 30}},
       rt::kHttpDone, rt::kHttpErrorNone, big},
      {"empty body", {{"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"}}, rt::kHttpDone, rt::kHttpErrorNone, ""},
      {"slow server",
       {{"HTTP/1.0 2", 0}, {"00 OK\r\nContent-Le", 40}, {"ngth: 6\r\n", 40}, {"\r\nab", 40}, {"cdef", 40}},
       rt::kHttpDone, rt::kHttpErrorNone, "abcdef"},
      {"longest line", {{"HTTP/1.0 200 OK\r\n" + longestLine + "Content-Length: 2\r\n\r\nok"}}, rt::kHttpDone,
       rt::kHttpErrorNone, "ok"},
      {"not found", {{"HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"}}, rt::kHttpFailed,
       rt::kHttpErrorNotFound, ""},
      {"server error", {{"HTTP/1.0 500 Internal Server Error\r\n\r\n"}}, rt::kHttpFailed, rt::kHttpErrorStatus, ""},
      // Redirects are not followed: like any status but 200 and 404.
      {"redirect", {{"HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\n"}}, rt::kHttpFailed, rt::kHttpErrorStatus,
       ""},
      {"closed early", {{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten.."}}, rt::kHttpFailed,
       rt::kHttpErrorClosed, ""},
      {"closed before status", {{""}}, rt::kHttpFailed, rt::kHttpErrorClosed, ""},
      {"header line too long", {{"HTTP/1.0 200 OK\r\n" + longLine + "Content-Length: 2\r\n\r\nok"}}, rt::kHttpFailed,
       rt::kHttpErrorBadResponse, ""},
      // The server keeps the connection open: only the line limit ends the wait.
      {"status line too long", {{"HTTP/1.0 200 " + std::string(300, 'O')}, {"\r\n\r\n", 300}}, rt::kHttpFailed,
       rt::kHttpErrorBadResponse, ""},
  };
  for (const ResponseCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server(c.response);
    void* body = reinterpret_cast<void*>(1);
    const int slot = rt::StartHttpGet(kLoopback, server.port(), "/index.html", nullptr, &body);
    ASSERT_NE(slot, -1);
    EXPECT_EQ(Run(slot), c.result);
    EXPECT_EQ(Error(slot), c.error);
    int received = 0;
    rt::GetHttpTransferState(slot, nullptr, nullptr, nullptr, &received);
    if (c.result == rt::kHttpDone) {
      ASSERT_EQ(received, static_cast<int>(c.body.size()));
      EXPECT_TRUE(c.body.empty() || (body && std::string(static_cast<char*>(body), c.body.size()) == c.body));
    } else {
      EXPECT_EQ(body, nullptr) << "a failed transfer leaves no block behind";
    }
    EXPECT_EQ(server.Request(), "GET /index.html HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                                    "\r\nConnection: close\r\n\r\n");
    rt::MemFree(body);
    EXPECT_EQ(rt::DeleteHttpHandle(slot), 0);
    EXPECT_EQ(rt::DeleteHttpHandle(slot), -1);
  }
  EXPECT_NE(Log().find("接続に失敗しました (戻り値:404)"), std::string::npos);
  EXPECT_EQ(rt::GetNetWorkState().sockets.count(), 0) << "every transfer closed its socket";
}

TEST_F(HttpClientTest, GetWritesTheBodyToAFileWithOrWithoutLength) {
  const std::string body = Body(9000);
  const std::vector<Piece> responses[] = {
      {{"HTTP/1.0 200 OK\r\nContent-Length: 9000\r\n\r\n" + body + "trailing bytes past the length"}},
      {{"HTTP/1.0 200 OK\r\n\r\n" + body.substr(0, 100)}, {body.substr(100), 20}},
  };
  for (const auto& response : responses) {
    TestHttpServer server(response);
    const std::string path = rt_.dir().File("download.bin");
    const int slot = rt::StartHttpGet(kLoopback, server.port(), "/file", path.c_str(), nullptr);
    ASSERT_NE(slot, -1);
    EXPECT_EQ(Run(slot), rt::kHttpDone);
    EXPECT_EQ(testing_support::ReadFileBytes(path), body);
    rt::DeleteHttpHandle(slot);
  }
}

TEST_F(HttpClientTest, PostSendsItsHeadAndDataAndReadsTheAnswer) {
  TestHttpServer server({{"HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\naccepted"}});
  const std::string data = "name=test&value=1";
  void* body = nullptr;
  const int slot = rt::StartHttpPost(kLoopback, server.port(), "/form", data.data(), static_cast<int>(data.size()),
                                     nullptr, &body);
  ASSERT_NE(slot, -1);
  EXPECT_EQ(Run(slot), rt::kHttpDone);
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(body), 8), "accepted");
  EXPECT_EQ(server.Request(),
            "POST /form HTTP/1.0\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\nContent-Length: 17\n\n" + data);
  EXPECT_EQ(rt::GetHttpState().records[slot]->postData, nullptr) << "the data block went with the transfer";
  rt::MemFree(body);
}

TEST_F(HttpClientTest, HeadTakesTheContentLengthAndNoBody) {
  TestHttpServer server({{"HTTP/1.0 200 OK\r\nServer: test\r\nContent-Length: 1234\r\n\r\n"}});
  const int slot = rt::StartHttpHead(kLoopback, server.port(), "/big.bin");
  ASSERT_NE(slot, -1);
  EXPECT_EQ(Run(slot), rt::kHttpDone);
  int length = 0;
  rt::GetHttpTransferState(slot, nullptr, nullptr, &length, nullptr);
  EXPECT_EQ(length, 1234);
  EXPECT_EQ(server.Request(), "HEAD /big.bin HTTP/1.0\n\n");

  TestHttpServer missing({{"HTTP/1.0 404 Not Found\r\n\r\n"}});
  const int other = rt::StartHttpHead(kLoopback, missing.port(), "/none");
  EXPECT_EQ(Run(other), rt::kHttpFailed);
  EXPECT_EQ(Error(other), rt::kHttpErrorNotFound);
}

TEST_F(HttpClientTest, StartingNeedsAServerAndAFreeSlot) {
  // Nothing listens on a port just given back.
  const int port = Listen();
  rt::CloseNetWorkImpl(NewestHandle());
  void* body = nullptr;
  EXPECT_EQ(rt::StartHttpGet(kLoopback, port, "/", nullptr, &body), -1);
  EXPECT_EQ(rt::GetHttpState().count, 0);
  EXPECT_EQ(rt::StartHttpGet(kLoopback, port, std::string(300, 'p').c_str(), nullptr, &body), -1);
  EXPECT_EQ(rt::ProcessHttpHandle(100), -1);
  EXPECT_EQ(rt::DeleteHttpHandle(-1), -1);
}

TEST_F(HttpClientTest, StatusCodeIsTheNumberAfterTheFirstBlank) {
  const struct {
    const char* line;
    int code;
  } cases[] = {{"HTTP/1.0 200 OK", 200}, {"HTTP/1.1 404", 404}, {"HTTP/1.0", -1}, {"HTTP/1.0 abc", 0}};
  for (const auto& c : cases) EXPECT_EQ(rt::HttpGetStatusCode(c.line), c.code) << c.line;
}

}  // namespace
