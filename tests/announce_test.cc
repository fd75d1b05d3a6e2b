#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "announce/announcement_list.h"
#include "announce/download.h"
#include "announce/rotation.h"
#include "tests/temp_dir.h"
#include "text/text_codec.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

// A one-connection HTTP server on the loopback interface.
class LoopbackServer {
 public:
  // `answer` gets the connected socket after the request has been read.
  explicit LoopbackServer(std::function<void(int)> answer) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    socklen_t len = sizeof(a);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this, answer] {
      int c = accept(listener_, nullptr, nullptr);
      if (c < 0) return;
      char buffer[4096];
      while (request_.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(c, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        request_.append(buffer, static_cast<size_t>(n));
      }
      answer(c);
      close(c);
    });
  }
  ~LoopbackServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  int port() const { return port_; }
  const std::string& request() const { return request_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::string request_;
  std::thread thread_;
};

void SendAll(int fd, const std::string& bytes) {
  send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

struct DownloadResult {
  bool ok;
  std::string file;
  std::string request;
};

DownloadResult Download(const std::function<void(int)>& answer,
                        platform::ExchangeLimits limits = platform::ExchangeLimits{}) {
  TempDir dir;
  dir.WriteFile("res.dat", "old\r\n");
  LoopbackServer server(answer);
  bool ok = DownloadAnnouncements(dir.path(), "127.0.0.1", server.port(), limits);
  return {ok, ReadWholeFile(dir / "res.dat"), server.request()};
}

TEST(DownloadTest, RequestHasTheExactBytes) {
  auto r = Download([](int fd) { SendAll(fd, "HTTP/1.1 204 No Content\r\n\r\n"); });
  EXPECT_EQ(r.request,
            "GET /123.asp?v=2.1 HTTP/1.1\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; CIBA)\r\n"
            "Host: 127.0.0.1\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file, "old\r\n");
}

TEST(DownloadTest, OkReplacesTheFileWithTheBodyInCrLf) {
  auto r = Download([](int fd) {
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nA\nhttp://a/\nB\nhttp://b/\n");
  });
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file, "A\r\nhttp://a/\r\nB\r\nhttp://b/\r\n");
  EXPECT_EQ(ParseAnnouncements(r.file).count(), 2);
}

TEST(DownloadTest, OtherStatusesAndGarbageKeepTheOldFile) {
  for (const char* response :
       {"HTTP/1.0 200 OK\r\n\r\nX\nY\n", "garbage", "", "HTTP/1.1 404 Not Found\r\n\r\n"}) {
    auto r = Download([response](int fd) { SendAll(fd, response); });
    EXPECT_FALSE(r.ok) << response;
    EXPECT_EQ(r.file, "old\r\n") << response;
  }
}

TEST(DownloadTest, EmptyBodyEmptiesTheFileAndLongBodiesAreCut) {
  auto empty = Download([](int fd) { SendAll(fd, "HTTP/1.1 200 OK\r\n\r\n"); });
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.file, "");
  auto long_body =
      Download([](int fd) { SendAll(fd, "HTTP/1.1 200 OK\r\n\r\n" + std::string(5000, 'x')); });
  EXPECT_EQ(long_body.file.size(), 2048u - 19u);
}

TEST(DownloadTest, SilentOrTricklingServerCannotHoldTheStartUp) {
  platform::ExchangeLimits limits;
  limits.receive = std::chrono::milliseconds(300);
  limits.whole = std::chrono::milliseconds(1000);
  auto start = std::chrono::steady_clock::now();
  auto silent =
      Download([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); }, limits);
  EXPECT_FALSE(silent.ok);
  EXPECT_EQ(silent.file, "old\r\n");
  auto trickle = Download(
      [](int fd) {
        for (char c : std::string("HTTP/1.1 200 OK\r\n\r\nslow")) {
          SendAll(fd, std::string(1, c));
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
      },
      limits);
  // The whole exchange stopped at its deadline with a partial header.
  EXPECT_FALSE(trickle.ok);
  // A whole header and part of the list, then nothing until the deadline:
  // the last good list stays.
  auto cut = Download(
      [](int fd) {
        SendAll(fd, "HTTP/1.1 200 OK\r\n\r\nA\nhttp://a/\nB");
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      },
      limits);
  EXPECT_FALSE(cut.ok);
  EXPECT_EQ(cut.file, "old\r\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}

TEST(DownloadTest, UnreachableHostFails) {
  platform::ExchangeLimits limits;
  limits.whole = std::chrono::milliseconds(2000);
  TempDir dir;
  EXPECT_FALSE(DownloadAnnouncements(dir.path(), "127.0.0.1", 1, limits));
  EXPECT_FALSE(DownloadAnnouncements(dir.path(), "no-such-host.invalid", 80, limits));
}

TEST(InterpretResponseTest, BodyStartsAfterTheFirstLfCrPair) {
  EXPECT_EQ(InterpretResponse("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody\n").body, "body\n");
  EXPECT_EQ(InterpretResponse("HTTP/1.1 200 OK\r\n").body, "");
  EXPECT_EQ(InterpretResponse("HTTP/1.1 200 OK\r\n\r\nab\0cd").body, "ab");
  EXPECT_EQ(InterpretResponse(std::string_view("HTTP/1.1 200 OK\r\n\r\nab\0cd", 25)).body, "ab");
}

std::string Lines(int n, bool final_lf = true) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "line" + std::to_string(i) + (i < n || final_lf ? "\n" : "");
  return s;
}

TEST(AnnouncementListTest, AlternatingLinesUpToTenPairs) {
  auto list = ParseAnnouncements(Lines(25));
  ASSERT_EQ(list.count(), 10);
  EXPECT_EQ(list.texts[9], "line19");
  EXPECT_EQ(list.targets[9], "line20");
}

TEST(AnnouncementListTest, EndOfFileRules) {
  auto four = ParseAnnouncements(Lines(4, false));
  ASSERT_EQ(four.count(), 2);
  EXPECT_EQ(four.targets[1], "line4");
  auto three = ParseAnnouncements(Lines(3));
  ASSERT_EQ(three.count(), 2);
  EXPECT_EQ(three.targets[1], "");
  auto dangling = ParseAnnouncements(Lines(2) + "orphan");
  EXPECT_EQ(dangling.count(), 1);
  EXPECT_EQ(ParseAnnouncements("").count(), 0);
}

TEST(AnnouncementListTest, CrVanishesAnywhereLongLinesAreCutAndGbkIsConverted) {
  auto list = ParseAnnouncements("a\rb\r\n" + std::string(300, 'x') + "\r\n" +
                                 Utf8ToGbk("新品上架") + "\nhttp://x/\n");
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.texts[0], "ab");
  EXPECT_EQ(list.targets[0].size(), 255u);
  EXPECT_EQ(list.texts[1], "新品上架");
}

TEST(AnnouncementListTest, OnlyWebAddressesAreOpened) {
  EXPECT_TRUE(IsOpenableTarget("http://shop.example.com/"));
  EXPECT_TRUE(IsOpenableTarget("HTTPS://x"));
  EXPECT_FALSE(IsOpenableTarget(""));
  EXPECT_FALSE(IsOpenableTarget("/usr/bin/xterm"));
  EXPECT_FALSE(IsOpenableTarget("file:///etc/passwd"));
  EXPECT_FALSE(IsOpenableTarget("http://"));
}

TEST(AnnouncementListTest, MissingFileIsNoListAndAHugeOneIsReadAsFarAsNeeded) {
  TempDir dir;
  EXPECT_FALSE(LoadAnnouncements(dir / "res.dat"));
  dir.WriteFile("res.dat", "A\r\nhttp://a/\r\n" + std::string(3 << 20, 'x') + "\r\nhttp://x/\r\n");
  auto list = LoadAnnouncements(dir / "res.dat");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->texts[1], std::string(255, 'x'));
  EXPECT_EQ(list->targets[1], "http://x/");
}

TEST(RotationTest, WaitsByStoredLengthAndWrapsAround) {
  // 48 bytes of GBK; 13 bytes that are no text at all (four bytes each once
  // converted and back).
  const AnnouncementList list =
      ParseAnnouncements(std::string(49, 'a') + "\n1\n" + std::string(50, 'b') + "\n2\n" +
                         Utf8ToGbk("宝贝宝贝宝贝宝贝宝贝宝贝宝贝宝贝宝贝宝贝宝贝宝贝") + "\n3\n" +
                         std::string(13, '\xFF') + "\n4\n");
  AnnouncementRotation r(list);
  EXPECT_EQ(r.CurrentWait(), std::chrono::milliseconds(6000));
  r.Advance();
  EXPECT_EQ(r.CurrentWait(), std::chrono::milliseconds(8000));
  EXPECT_EQ(r.CurrentTarget(), "2");
  r.Advance();
  EXPECT_EQ(r.CurrentWait(), std::chrono::milliseconds(6000));
  r.Advance();
  EXPECT_EQ(r.CurrentWait(), std::chrono::milliseconds(6000));
  r.Advance();
  EXPECT_EQ(r.position(), 0);
}

}  // namespace
}  // namespace lumivane
