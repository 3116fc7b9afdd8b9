// The libcurl layer's own contract, where WinINet's behaviour had to be
// rebuilt: buffer sizes of the header query, proxy lists, redirect rules,
// broken servers and the receive time-out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "web/internet.h"
#include "web/standin_client.h"

namespace lj::net {
namespace {

using test::standinUrl;

constexpr unsigned long plainFlags = flagReload | flagNeedFile | flagIgnoreRedirectToHttps;

// One request's handles, closed in WinINet's order.
struct Exchange {
    Handle session = nullptr, connection = nullptr, request = nullptr;
    bool sent = false;

    Exchange(const char* host, int port, const char* path, unsigned long flags, const char* agent = "T/1",
             const char* proxy = nullptr, const char* headers = "", const char* verb = "GET") {
        session = internetOpen(agent, proxy ? openTypeProxy : openTypeDirect, proxy, proxy ? "" : nullptr, 0);
        connection = internetConnect(session, host, port, nullptr, nullptr, serviceHttp, 0, 0);
        request = httpOpenRequest(connection, verb, path, "HTTP/1.1", nullptr, nullptr, flags, 0);
        sent =
            httpSendRequest(request, headers, static_cast<unsigned long>(std::strlen(headers)), nullptr, 0);
    }
    ~Exchange() {
        internetCloseHandle(request);
        internetCloseHandle(connection);
        internetCloseHandle(session);
    }
    std::string body() {
        std::string all;
        char buffer[100];
        unsigned long n = 0;
        while (internetReadFile(request, buffer, sizeof buffer, &n) && n > 0) all.append(buffer, n);
        return all;
    }
    std::string headers() {
        std::string block(100000, '\0');
        unsigned long size = static_cast<unsigned long>(block.size());
        if (!httpQueryInfo(request, queryRawHeadersCrlf, block.data(), &size, nullptr)) return {};
        block.resize(size);
        return block;
    }
};

class CurlLayerTest : public ::testing::Test {
protected:
    void SetUp() override { test::standinReset(); }
};

TEST_F(CurlLayerTest, HeaderQueryBufferContract) {
    test::standinOverride("/q", {{"body", "12345"}});
    Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/q", plainFlags);
    ASSERT_TRUE(x.sent);
    const std::string block = x.headers();
    ASSERT_FALSE(block.empty());

    std::string small(10, '#');
    unsigned long size = 10;
    EXPECT_FALSE(httpQueryInfo(x.request, queryRawHeadersCrlf, small.data(), &size, nullptr));
    EXPECT_EQ(lastError(), errorInsufficientBuffer);
    EXPECT_EQ(size, block.size() + 1);
    EXPECT_EQ(small, std::string(10, '#'));

    std::string exact(block.size() + 1, '#');
    size = static_cast<unsigned long>(exact.size());
    EXPECT_TRUE(httpQueryInfo(x.request, queryRawHeadersCrlf, exact.data(), &size, nullptr));
    EXPECT_EQ(size, block.size());
    EXPECT_EQ(exact, block + '\0');

    std::uint32_t status = 0;
    size = sizeof status;
    EXPECT_TRUE(httpQueryInfo(x.request, queryStatusCode | queryFlagNumber, &status, &size, nullptr));
    EXPECT_EQ(status, 200u);
    char length[16] = {};
    size = sizeof length;
    EXPECT_TRUE(httpQueryInfo(x.request, queryContentLength, length, &size, nullptr));
    EXPECT_STREQ(length, "5");
    EXPECT_EQ(x.body(), "12345");
}

TEST_F(CurlLayerTest, QueriesAndReadsNeedAResponse) {
    Exchange x("no-such-host.invalid", 80, "/", plainFlags);
    EXPECT_FALSE(x.sent);
    char buffer[8];
    unsigned long n = 99;
    EXPECT_FALSE(internetReadFile(x.request, buffer, sizeof buffer, &n));
    EXPECT_EQ(n, 0u);
    unsigned long size = sizeof buffer;
    EXPECT_FALSE(httpQueryInfo(x.request, queryRawHeadersCrlf, buffer, &size, nullptr));
    EXPECT_NE(lastError(), errorInsufficientBuffer);
    // Closing twice, or a handle never issued, is refused rather than a crash.
    int notAHandle = 0;
    EXPECT_FALSE(internetCloseHandle(&notAHandle));
}

TEST_F(CurlLayerTest, ProxyListPicksTheEntryForTheScheme) {
    const std::string standin = "127.0.0.1:" + std::to_string(LJ_STANDIN_PORT);
    const struct {
        std::string proxy;
        const char* host;
        int port;
        const char* requestLine;
    } cases[] = {
        {"http=" + standin, "faraway.invalid", 81, "GET http://faraway.invalid:81/echo/x HTTP/1.1"},
        {standin, "faraway.invalid", 81, "GET http://faraway.invalid:81/echo/x HTTP/1.1"},
        {"https=127.0.0.1:1 http=" + standin, "faraway.invalid", 81,
         "GET http://faraway.invalid:81/echo/x HTTP/1.1"},
        // No entry for plain HTTP: the connection goes direct.
        {"https=127.0.0.1:1", "127.0.0.1", LJ_STANDIN_PORT, "GET /echo/x HTTP/1.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proxy);
        Exchange x(c.host, c.port, "/echo/x", plainFlags, "T/1", c.proxy.c_str());
        ASSERT_TRUE(x.sent);
        const std::string echo = x.body();
        EXPECT_EQ(echo.substr(0, echo.find("\r\n")), c.requestLine);
        EXPECT_EQ(echo.find("Proxy-Connection"), std::string::npos);
    }
}

TEST_F(CurlLayerTest, HeaderLinesAsGiven) {
    const struct {
        const char* agent;
        const char* headers;
        const char* expectedHead;  // everything after the Host line
    } cases[] = {
        {nullptr, "X-A: 1", "X-A: 1\r\n\r\n"},
        {"T/1", "X-Empty:\r\nX-B: 2", "User-Agent: T/1\r\nX-Empty:\r\nX-B: 2\r\n\r\n"},
        {"T/1", "X-A: 1\nX-B: 2\r\n\r\n", "User-Agent: T/1\r\nX-A: 1\r\nX-B: 2\r\n\r\n"},
        {"T/1", "not a header\r\nX-A: 1", "User-Agent: T/1\r\nX-A: 1\r\n\r\n"},
        {"T/1", "X-A: 1\r\nuser-agent: Other/2", "User-Agent: Other/2\r\nX-A: 1\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headers);
        Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/echo/h", plainFlags, c.agent, nullptr, c.headers);
        ASSERT_TRUE(x.sent);
        const std::string echo = x.body();
        const std::string host = "Host: 127.0.0.1:" + std::to_string(LJ_STANDIN_PORT) + "\r\n";
        ASSERT_NE(echo.find(host), std::string::npos);
        EXPECT_EQ(echo.substr(echo.find(host) + host.size()), c.expectedHead);
    }
}

TEST_F(CurlLayerTest, RedirectRules) {
    const struct {
        const char* name;
        std::string to;
        unsigned long flags;
        bool sent;
        long status;
    } cases[] = {
        // Allowed to switch to https: followed to a closed port, so the send fails.
        {"to https with the flag", "https://127.0.0.1:1/x", plainFlags, false, 0},
        {"to https without the flag", "https://127.0.0.1:1/x", flagReload | flagNeedFile, true, 302},
        {"relative target", "/echo/rel", plainFlags, true, 200},
        {"not followed", "/echo/rel", plainFlags | flagNoAutoRedirect, true, 302},
        {"to another scheme", "ftp://127.0.0.1/x", plainFlags, true, 302},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::standinOverride("/r", {{"mode", "redirect"}, {"to", c.to}});
        Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/r", c.flags);
        EXPECT_EQ(x.sent, c.sent);
        if (!c.sent) continue;
        std::uint32_t status = 0;
        unsigned long size = sizeof status;
        EXPECT_TRUE(httpQueryInfo(x.request, queryStatusCode | queryFlagNumber, &status, &size, nullptr));
        EXPECT_EQ(status, c.status);
    }

    // A loop ends: the last redirect is handed over unfollowed.
    test::standinOverride("/loop", {{"mode", "redirectloop"}});
    Exchange loop("127.0.0.1", LJ_STANDIN_PORT, "/loop", plainFlags);
    EXPECT_TRUE(loop.sent);
    EXPECT_EQ(loop.headers().rfind("HTTP/1.1 302", 0), 0u);
    EXPECT_GT(test::standinCount("/loop"), 1);
}

TEST_F(CurlLayerTest, BrokenServersFailTheSend) {
    const struct {
        const char* name;
        test::Settings settings;
    } cases[] = {
        {"closed without answer", {{"mode", "close"}}},
        {"no status line", {{"mode", "garbage"}, {"body", "hello there\r\n\r\nbody"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::standinOverride("/broken", c.settings);
        Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/broken", plainFlags);
        EXPECT_FALSE(x.sent);
        EXPECT_EQ(x.body(), "");
    }
}

TEST_F(CurlLayerTest, SilentServerTimesOut) {
    test::standinOverride("/silent", {{"mode", "silent"}});
    Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/silent", plainFlags);
    EXPECT_FALSE(x.sent);
    EXPECT_EQ(lastError(), 12002u);  // ERROR_INTERNET_TIMEOUT
}

TEST_F(CurlLayerTest, CutBodyIsAFailedRead) {
    test::standinOverride("/cut", {{"mode", "cut"}, {"after", "3"}, {"body", "abcdef"}});
    Exchange x("127.0.0.1", LJ_STANDIN_PORT, "/cut", plainFlags);
    ASSERT_TRUE(x.sent);
    char buffer[16];
    unsigned long n = 0;
    ASSERT_TRUE(internetReadFile(x.request, buffer, sizeof buffer, &n));
    EXPECT_EQ(std::string(buffer, n), "abc");
    EXPECT_FALSE(internetReadFile(x.request, buffer, sizeof buffer, &n));
    EXPECT_EQ(n, 0u);
}

}  // namespace
}  // namespace lj::net
