// URL decomposition: host, port and path for the forms the request routine meets.
#include "web/url_parts.h"

#include <gtest/gtest.h>

namespace lj {
namespace {

struct UrlCase {
    const char* url;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

const UrlCase urlCases[] = {
    {"HTTP://Mail.Example.COM:8080/a/B?c=D", "mail.example.com", "mail.example.com:8080", 8080, "/a/B?c=D"},
    {"https://example.com", "example.com", "example.com", 443, "/"},
    {"HTTPS://Example.com/x", "example.com", "example.com", 443, "/x"},
    {"example.com/x", "example.com", "example.com", 80, "/x"},
    {"example.com", "example.com", "example.com", 80, "/"},
    // "https" in the first five characters gives 443 though the host is read as plain HTTP.
    {"httpsfoo.example.com/", "httpsfoo.example.com", "httpsfoo.example.com", 443, "/"},
    {"http://example.com:/x", "example.com", "example.com:", 0, "/x"},
    // The host runs to the appended "/", query and all.
    {"http://example.com?q=1", "example.com?q=1", "example.com?q=1", 80, "/"},
    // User information: the host is cut at the first colon, the port read after the last.
    {"http://user:pw@host.example/x", "user", "user:pw@host.example", 0, "/x"},
    {"http://user:pw@host.example:81/x", "user", "user:pw@host.example:81", 81, "/x"},
    {"", "", "", 80, "/"},
    {"http://127.0.0.1:28936/yws/public/note/k?editorType=0&cstk=t", "127.0.0.1", "127.0.0.1:28936", 28936,
     "/yws/public/note/k?editorType=0&cstk=t"},
    // The path keeps its own letter case and spaces; only the host is lowered.
    {"http://Host.Example/A B", "host.example", "host.example", 80, "/A B"},
    // A scheme-less URL that holds "http://" later takes its host from there.
    {"go?to=http://other.example/p", "other.example", "other.example", 80, "/p"},
};

TEST(UrlParts, HostPortAndPath) {
    for (const UrlCase& c : urlCases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(urlHost(c.url), c.host);
        EXPECT_EQ(urlHost(c.url, false, true), c.hostWithPort);
        EXPECT_EQ(urlPort(c.url), c.port);
        EXPECT_EQ(urlPath(c.url), c.path);
    }
}

struct HostModeCase {
    const char* url;
    bool domainOnly;
    bool keepPort;
    std::optional<int> extraLevels;
    const char* host;
};

const HostModeCase hostModeCases[] = {
    {"http://shop.a.example.com/", true, false, std::nullopt, "example.com"},
    {"http://localhost/", true, false, std::nullopt, "localhost"},
    // In plain mode the port is still on the last label when the domain is cut.
    {"http://shop.example.com:81/", true, true, std::nullopt, "example.com:81"},
    {"http://shop.example.com:81/", true, false, std::nullopt, "example.com"},
    {"https://a.b.c.example.com/x", true, false, 0, "com"},
    {"https://a.b.c.example.com/x", false, false, 0, "example.com"},
    {"a.b.c.example.com", true, false, 1, "example.com"},
    {"http://a.b.c.example.com/", false, false, 1, "c.example.com"},
    {"http://a.b.c.example.com/", false, false, -3, "example.com"},
    {"http://a.b.c.example.com/", true, false, 9, "a.b.c.example.com"},
    {"http://example.com/", false, false, 2, "example.com"},
    {"http://Example.COM:8080/", false, true, 0, "example.com:8080"},
    {"http://Example.COM:8080/", false, false, 0, "example.com"},
    {"", true, false, 0, ""},
};

TEST(UrlParts, DomainAndLevelModes) {
    for (const HostModeCase& c : hostModeCases) {
        SCOPED_TRACE(::testing::Message()
                     << c.url << " domainOnly=" << c.domainOnly << " levels=" << c.extraLevels.value_or(-99));
        EXPECT_EQ(urlHost(c.url, c.domainOnly, c.keepPort, c.extraLevels), c.host);
    }
}

}  // namespace
}  // namespace lj
