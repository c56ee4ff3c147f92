// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpClient.h"

#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using orvanta::http::Fetch;
using orvanta::http::HttpError;
using orvanta::http::IsPermittedUrl;
using orvanta::http::Request;
using orvanta::test::HttpExchange;
using orvanta::test::HttpReply;
using orvanta::test::LoopbackHttpServer;
using namespace std::chrono_literals;

struct UrlCase {
    const char* name;
    const char* url;
    bool permitted;
};

void PrintTo(const UrlCase& c, std::ostream* os) {
    *os << c.name;
}

class PermittedUrlTest : public testing::TestWithParam<UrlCase> {};

TEST_P(PermittedUrlTest, OnlyHttpsOrLoopbackHttp) {
    std::string why;
    EXPECT_EQ(IsPermittedUrl(GetParam().url, &why), GetParam().permitted) << why;
    EXPECT_EQ(why.empty(), GetParam().permitted);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PermittedUrlTest,
    testing::Values(UrlCase{"Https", "https://rdap.example/domain/x", true},
                    UrlCase{"HttpsUpperScheme", "HTTPS://rdap.example/", true},
                    UrlCase{"HttpLoopback", "http://127.0.0.1:8080/x", true},
                    UrlCase{"HttpLoopbackOther", "http://127.3.2.1/", true},
                    UrlCase{"HttpLocalhost", "http://localhost/", true},
                    UrlCase{"HttpLocalhostV6", "http://[::1]:81/", true},
                    UrlCase{"HttpRemote", "http://rdap.example/", false},
                    UrlCase{"HttpPrivate", "http://192.168.1.1/", false},
                    UrlCase{"HttpLooksLoopback", "http://127.0.0.1.example/", false},
                    UrlCase{"Ftp", "ftp://127.0.0.1/", false},
                    UrlCase{"File", "file:///etc/passwd", false},
                    UrlCase{"NoScheme", "rdap.example/x", false}, UrlCase{"Empty", "", false},
                    UrlCase{"Space", "https://a b/", false}),
    [](const auto& info) { return std::string(info.param.name); });

Request Get(const std::string& url) {
    Request r;
    r.url = url;
    return r;
}

TEST(HttpFetchTest, AnswersComeBackWithStatusHeadersAndTheProgramsAgent) {
    LoopbackHttpServer server([](const HttpExchange& e) {
        if (e.target == "/missing")
            return HttpReply{404, {{"Content-Type", "text/plain"}}, "no"};
        return HttpReply{200, {{"Content-Type", "application/rdap+json"}}, "{\"a\":1}"};
    });
    Request r = Get(server.BaseUrl() + "/found");
    r.headers = {"Accept: application/rdap+json"};
    const auto found = Fetch(r);
    EXPECT_EQ(found.status, 200);
    EXPECT_EQ(found.body, "{\"a\":1}");
    EXPECT_EQ(found.Header("CONTENT-TYPE"), "application/rdap+json");
    EXPECT_EQ(found.url, server.BaseUrl() + "/found");
    const auto missing = Fetch(Get(server.BaseUrl() + "/missing"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "no");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("user-agent"), orvanta::http::UserAgent());
    EXPECT_EQ(requests[0].Header("accept"), "application/rdap+json");
}

TEST(HttpFetchTest, RelativeRedirectsAreFollowedWithinTheBound) {
    LoopbackHttpServer server([](const HttpExchange& e) {
        if (e.target == "/a")
            return HttpReply{302, {{"Location", "/b"}}, ""};
        if (e.target == "/b")
            return HttpReply{301, {{"Location", "c"}}, ""};
        if (e.target == "/loop")
            return HttpReply{307, {{"Location", "/loop"}}, ""};
        return HttpReply{200, {}, "end of " + e.target};
    });
    const auto r = Fetch(Get(server.BaseUrl() + "/a"));
    EXPECT_EQ(r.body, "end of /c");
    EXPECT_EQ(r.url, server.BaseUrl() + "/c");
    try {
        Fetch(Get(server.BaseUrl() + "/loop"));
        FAIL() << "a redirect loop was followed";
    } catch (const HttpError& e) {
        EXPECT_EQ(e.kind(), HttpError::Kind::TooManyRedirects);
    }
    EXPECT_EQ(server.RequestCount(), 3u + 4u); // the loop: the first answer and 3 redirects
}

HttpError::Kind KindOf(const Request& r) {
    try {
        Fetch(r);
    } catch (const HttpError& e) {
        EXPECT_NE(std::string(e.what()).find("http://"), std::string::npos) << e.what();
        return e.kind();
    }
    ADD_FAILURE() << "no error for " << r.url;
    return HttpError::Kind::Network;
}

TEST(HttpFetchTest, FailuresAreBoundedAndNamed) {
    LoopbackHttpServer server([](const HttpExchange& e) {
        if (e.target == "/big")
            return HttpReply{200, {}, std::string(5000, 'x')};
        if (e.target == "/big-chunked") // no length up front: the cap cuts in while reading
            return HttpReply{200,
                             {{"Transfer-Encoding", "chunked"}},
                             "1000\r\n" + std::string(4096, 'y') + "\r\n0\r\n\r\n"};
        if (e.target == "/slow")
            return HttpReply{200, {}, "late", 3s};
        if (e.target == "/drop")
            return HttpReply{200, {}, "", 0ms, true};
        return HttpReply{302, {{"Location", "http://orvanta.example/x"}}, ""};
    });
    Request big = Get(server.BaseUrl() + "/big");
    big.limits.maxBytes = 1000;
    EXPECT_EQ(KindOf(big), HttpError::Kind::TooLarge);
    big.url = server.BaseUrl() + "/big-chunked";
    EXPECT_EQ(KindOf(big), HttpError::Kind::TooLarge);

    Request slow = Get(server.BaseUrl() + "/slow");
    slow.limits.totalTimeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(KindOf(slow), HttpError::Kind::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    EXPECT_EQ(KindOf(Get(server.BaseUrl() + "/drop")), HttpError::Kind::Network);
    EXPECT_EQ(KindOf(Get(server.BaseUrl() + "/away")), HttpError::Kind::RefusedAddress);
    EXPECT_EQ(KindOf(Get("http://orvanta.example/")), HttpError::Kind::RefusedAddress);

    Request cancelled = Get(server.BaseUrl() + "/big");
    cancelled.onProgress = [](std::uint64_t received, std::uint64_t) { return received == 0; };
    EXPECT_EQ(KindOf(cancelled), HttpError::Kind::Cancelled);
}

// The test server itself: a client that asks for a large answer and then
// never reads must not keep the server's end (and so the test) waiting.
TEST(LoopbackHttpServerTest, AClientThatStopsReadingDoesNotHoldUpTheEnd) {
    auto server = std::make_unique<LoopbackHttpServer>([](const HttpExchange&) {
        return HttpReply{200, {}, std::string(32u << 20, 'z')};
    });
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(server->Port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string request = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    for (int i = 0; i < 200 && server->RequestCount() == 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(server->RequestCount(), 1u);
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    ::close(fd);
}

} // namespace
