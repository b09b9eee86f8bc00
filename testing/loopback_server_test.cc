#include "testing/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace testing_support {
namespace {

// A plain blocking socket client, so the server is checked without any HTTP
// library in between.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval limit{5, 0};  // a broken server fails the test instead of hanging it
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { ::close(fd_); }
  bool connected() const { return connected_; }
  void Write(const std::string& bytes) {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  // Reads until `count` bytes arrived, the peer closed or the wait ran out.
  std::string Read(std::size_t count) {
    std::string out;
    char buffer[4096];
    while (out.size() < count) {
      ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
      if (n <= 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
  }
  // Reads until the peer closes (or the wait runs out).
  std::string ReadAll() { return Read(1 << 20); }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

TEST(LoopbackServer, ParsesRequestAndPlaysResponse) {
  LoopbackServer server([](const HttpRequest& request) {
    return SimpleResponse(201, "Made", {{"X-Seen", request.target}}, "hello");
  });
  ASSERT_TRUE(server.ok());
  ASSERT_NE(server.port(), 0);
  RawClient client(server.port());
  ASSERT_TRUE(client.connected());
  const std::string raw =
      "POST /a b?x=1 HTTP/1.1\r\nHost: h\r\nX-Two:  spaced value \r\n"
      "Content-Length: 4\r\n\r\nbody";
  client.Write(raw);
  std::string expected = "HTTP/1.1 201 Made\r\nX-Seen: /a b?x=1\r\nContent-Length: 5\r\n\r\nhello";
  EXPECT_EQ(client.Read(expected.size()), expected);

  ASSERT_EQ(server.RequestCount(), 1u);
  HttpRequest request = server.Requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/a b?x=1");
  EXPECT_EQ(request.version, "HTTP/1.1");
  ASSERT_EQ(request.headers.size(), 3u);
  EXPECT_EQ(request.headers[1].first, "X-Two");
  EXPECT_EQ(request.headers[1].second, "spaced value");
  EXPECT_EQ(request.Header("x-two").value_or(""), "spaced value");
  EXPECT_FALSE(request.Header("Accept").has_value());
  EXPECT_EQ(request.body, "body");
  EXPECT_EQ(request.raw, raw);
  EXPECT_EQ(request.connection, 1u);
}

TEST(LoopbackServer, KeepsConnectionAliveAndSplitsPipelinedRequests) {
  LoopbackServer server([](const HttpRequest& request) { return OkResponse(request.target); });
  RawClient client(server.port());
  client.Write("GET /one HTTP/1.1\r\nHost: h\r\n\r\nGET /two HTTP/1.1\r\nHost: h\r\n\r\n");
  std::string one = ResponseBytes(200, "OK", {}, "/one");
  std::string two = ResponseBytes(200, "OK", {}, "/two");
  EXPECT_EQ(client.Read(one.size() + two.size()), one + two);
  client.Write("GET /three HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(client.ReadAll(), ResponseBytes(200, "OK", {}, "/three"));  // then closed
  EXPECT_EQ(server.RequestCount(), 3u);
  EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(LoopbackServer, DecodesChunkedRequestBodyAndKeepsRawBytes) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse(""); });
  RawClient client(server.port());
  const std::string raw =
      "PUT /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\nA;ext=1\r\n0123456789\r\n"
      "0\r\nTrailer: t\r\n\r\n";
  // Sent in two pieces so the parser has to wait for the rest.
  client.Write(raw.substr(0, 50));
  client.Write(raw.substr(50));
  client.Read(ResponseBytes(200, "OK", {}, "").size());
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].body, "abc0123456789");
  EXPECT_EQ(server.Requests()[0].raw, raw);
}

TEST(LoopbackServer, ScriptCanCutTheConnectionMidBody) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Pause(20),
                          Send("de"), Close()};
  });
  RawClient client(server.port());
  client.Write("GET / HTTP/1.1\r\n\r\n");
  EXPECT_EQ(client.ReadAll(), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabcde");
}

TEST(LoopbackServer, ProxyStyleRequestsArriveAsSent) {
  LoopbackServer server([](const HttpRequest& request) {
    if (request.method == "CONNECT") return SimpleResponse(403, "Forbidden", {}, "");
    return OkResponse("proxied");
  });
  RawClient client(server.port());
  client.Write("GET http://example.test/p?q HTTP/1.1\r\nHost: example.test\r\n\r\n");
  client.Read(ResponseBytes(200, "OK", {}, "proxied").size());
  client.Write("CONNECT example.test:443 HTTP/1.1\r\nHost: example.test:443\r\n\r\n");
  EXPECT_EQ(client.Read(ResponseBytes(403, "Forbidden", {}, "").size()),
            ResponseBytes(403, "Forbidden", {}, ""));
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "http://example.test/p?q");
  EXPECT_EQ(requests[1].method, "CONNECT");
  EXPECT_EQ(requests[1].target, "example.test:443");
}

TEST(LoopbackServer, ServesSeveralConnectionsAtOnce) {
  LoopbackServer server([](const HttpRequest& request) { return OkResponse(request.target); });
  RawClient first(server.port());
  RawClient second(server.port());
  // The second connection is answered while the first one stays open idle.
  second.Write("GET /2 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(second.Read(ResponseBytes(200, "OK", {}, "/2").size()),
            ResponseBytes(200, "OK", {}, "/2"));
  first.Write("GET /1 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(first.Read(ResponseBytes(200, "OK", {}, "/1").size()),
            ResponseBytes(200, "OK", {}, "/1"));
  EXPECT_EQ(server.ConnectionCount(), 2u);
  EXPECT_TRUE(server.WaitForRequests(2, 1000));
}

TEST(LoopbackServer, StopsWhileAConnectionIsPausedOrHalfSent) {
  std::unique_ptr<RawClient> paused;
  {
    LoopbackServer server([](const HttpRequest&) {
      return ResponseScript{Send("HTTP/1.1 200 OK\r\n"), Pause(60 * 60 * 1000)};
    });
    paused = std::make_unique<RawClient>(server.port());
    RawClient halfSent(server.port());
    paused->Write("GET / HTTP/1.1\r\n\r\n");
    halfSent.Write("GET / HTTP/1.1\r\nHost:");
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    // Leaving the scope must end the hour-long pause and the unfinished read.
  }
  EXPECT_EQ(paused->ReadAll(), "HTTP/1.1 200 OK\r\n");  // then the server closed it
}

TEST(ResponseHelpers, BuildChunkedBodies) {
  EXPECT_EQ(ChunkedBody({"abc", "", std::string(17, 'x')}),
            "3\r\nabc\r\n11\r\n" + std::string(17, 'x') + "\r\n0\r\n\r\n");
  EXPECT_EQ(ResponseBytes(404, "Not Found", {{"A", "1"}}, "no"),
            "HTTP/1.1 404 Not Found\r\nA: 1\r\nContent-Length: 2\r\n\r\nno");
}

}  // namespace
}  // namespace testing_support
