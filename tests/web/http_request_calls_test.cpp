// What httpRequest hands to each call of the layer, seen through a recording
// fake: flag words, proxy texts, null versus empty strings, closing order,
// the failure cases, and the header block that outgrows its first buffer.
#include <gtest/gtest.h>

#include <optional>

#include "fake_internet.h"
#include "web/http_request.h"

namespace lj {
namespace {

using fake::net;
using fake::Str;

class HttpRequestCallsTest : public ::testing::Test {
protected:
    void SetUp() override { net() = fake::Net{}; }
};

TEST_F(HttpRequestCallsTest, SessionConnectionAndRequestArguments) {
    const struct {
        const char* url;
        int method;
        bool cookiesSupplied;
        bool noRedirect;
        const char* proxy;
        unsigned long flags;
        const char* verb;
        unsigned long accessType;
        Str proxyText;
        Str bypass;
        const char* server;
        int port;
        const char* object;
    } cases[] = {
        {"http://Host.Example/a?b=C",
         0,
         false,
         false,
         "",
         0x80004010,
         "GET",
         1,
         {},
         {},
         "host.example",
         80,
         "/a?b=C"},
        {"HTTPS://host.example/x",
         0,
         false,
         false,
         "",
         0x80800010,
         "GET",
         1,
         {},
         {},
         "host.example",
         443,
         "/x"},
        {"http://host.example:8080",
         1,
         true,
         false,
         "",
         0x80084010,
         "POST",
         1,
         {},
         {},
         "host.example",
         8080,
         "/"},
        {"http://host.example/", 2, false, true, "", 0x80204010, "HEAD", 1, {}, {}, "host.example", 80, "/"},
        {"http://host.example/", 5, true, true, "", 0x80284010, "GET", 1, {}, {}, "host.example", 80, "/"},
        {"http://host.example/", -1, false, false, "proxyhost:8080", 0x80004010, "GET", 3,
         "http=proxyhost:8080", "", "host.example", 80, "/"},
        {"https://host.example/", 0, false, false, "proxyhost:8080", 0x80800010, "GET", 3, "proxyhost:8080",
         "", "host.example", 443, "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.url << " method " << c.method << " proxy " << c.proxy);
        net() = fake::Net{};
        text cookies;
        httpRequest(c.url, c.method, {}, c.cookiesSupplied ? &cookies : nullptr, nullptr, nullptr, nullptr,
                    c.noRedirect, nullptr, c.proxy);
        EXPECT_EQ(net().accessType, c.accessType);
        EXPECT_EQ(net().proxy, c.proxyText);
        EXPECT_EQ(net().bypass, c.bypass);
        EXPECT_EQ(net().openFlags, 0u);
        EXPECT_EQ(net().server, Str(c.server));
        EXPECT_EQ(net().port, c.port);
        EXPECT_FALSE(net().userOrPasswordGiven);
        EXPECT_EQ(net().service, lj::net::serviceHttp);
        EXPECT_EQ(net().verb, Str(c.verb));
        EXPECT_EQ(net().object, Str(c.object));
        EXPECT_EQ(net().version, Str("HTTP/1.1"));
        EXPECT_FALSE(net().referrerOrAcceptGiven);
        EXPECT_EQ(net().requestFlags, c.flags);
        EXPECT_EQ(net().closed, (std::vector<std::string>{"request", "connection", "session"}));
    }
}

TEST_F(HttpRequestCallsTest, EmptyTextsReachTheLayerAsNullLiteralOnesAsEmpty) {
    // A user agent that comes out empty is no user agent at all.
    text headers = "User-Agent:";
    httpRequest("http://host.example/", 0, {}, nullptr, nullptr, &headers);
    EXPECT_EQ(net().agent, std::nullopt);
    // A GET sends the empty text as its body.
    EXPECT_EQ(net().optional, Str(""));
    EXPECT_EQ(net().headers, Str(headers));
    EXPECT_EQ(net().headersLength, headers.size());

    net() = fake::Net{};
    httpRequest("http://host.example/", 1);
    EXPECT_EQ(net().agent, Str(defaultUserAgent));
    EXPECT_EQ(net().optional, std::nullopt);  // an empty POST body is no body
    EXPECT_EQ(net().optionalLength, 0u);

    net() = fake::Net{};
    httpRequest("http://host.example/", 2, "a=1&b=2");
    EXPECT_EQ(net().optional, Str("a=1&b=2"));
    EXPECT_EQ(net().optionalLength, 7u);

    // No host: the connection is asked for with none, and fails as WinINet would.
    net() = fake::Net{};
    net().failConnect = true;
    httpRequest("");
    EXPECT_EQ(net().server, std::nullopt);
}

TEST_F(HttpRequestCallsTest, FailuresCloseWhatWasOpenedAndChangeNothing) {
    const struct {
        bool failOpen, failConnect, failRequest;
        std::vector<std::string> closed;
    } cases[] = {
        {true, false, false, {}},
        {false, true, false, {"session"}},
        {false, false, true, {"connection", "session"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.closed.size());
        net() = fake::Net{};
        net().failOpen = c.failOpen;
        net().failConnect = c.failConnect;
        net().failRequest = c.failRequest;
        text cookies = "a = 1", returned = "r", headers = "X: 1", rawHeaders = "h";
        bytes postBytes;
        EXPECT_TRUE(httpRequest("http://host.example/", 1, "p", &cookies, &returned, &headers, &rawHeaders,
                                false, &postBytes)
                        .empty());
        EXPECT_EQ(net().closed, c.closed);
        EXPECT_EQ(cookies, "a = 1");
        EXPECT_EQ(returned, "r");
        EXPECT_EQ(headers, "X: 1");
        EXPECT_EQ(rawHeaders, "h");
        EXPECT_TRUE(postBytes.empty());
    }
}

TEST_F(HttpRequestCallsTest, BodyIsReadInKilobyteChunksToTheEnd) {
    net().body = std::string(5000, 'b') + std::string("\0z", 2);
    const bytes body = httpRequest("http://host.example/");
    EXPECT_EQ(body.size(), 5002u);
    EXPECT_EQ(body.back(), 'z');
    EXPECT_EQ(net().readSizes, std::vector<unsigned long>(6, 1024));  // five full or partial, one empty
}

TEST_F(HttpRequestCallsTest, HeaderBlockBuffers) {
    const std::string big =
        "HTTP/1.1 200 OK\r\nSet-Cookie: big=1\r\nX-Pad: " + std::string(6000, 'p') + "\r\n\r\n";
    const struct {
        const char* name;
        std::string block;
        bool sendFails;
        std::vector<unsigned long> bufferSizes;
        std::string returnedHeaders;
        const char* returnedCookies;
    } cases[] = {
        {"fits",
         "HTTP/1.1 200 OK\r\nset-cookie: a=1\r\n\r\n",
         false,
         {5000},
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n",
         "a=1"},
        // 4999 bytes and the terminator fill the buffer exactly.
        {"fills it",
         "HTTP/1.1 200 OK\r\n" + std::string(4980, 'x') + "\r\n",
         false,
         {5000},
         "HTTP/1.1 200 OK\r\n" + std::string(4980, 'x') + "\r\n",
         ""},
        // One more byte, and it is read again with the size the layer asks for.
        {"one too many",
         "HTTP/1.1 200 OK\r\n" + std::string(4981, 'x') + "\r\n",
         false,
         {5000, 5001},
         "HTTP/1.1 200 OK\r\n" + std::string(4981, 'x') + "\r\n",
         ""},
        {"large", big, false, {5000, static_cast<unsigned long>(big.size() + 1)}, big, "big=1"},
        {"no response", big, true, {}, std::string(5000, ' '), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        net() = fake::Net{};
        net().headerBlock = c.block;
        net().sendFails = c.sendFails;
        text rawHeaders, returned;
        httpRequest("http://host.example/", 0, {}, nullptr, &returned, nullptr, &rawHeaders);
        EXPECT_EQ(net().queryBufferSizes, c.bufferSizes);
        EXPECT_EQ(rawHeaders, c.returnedHeaders);
        EXPECT_EQ(returned, c.returnedCookies);
    }
}

}  // namespace
}  // namespace lj
