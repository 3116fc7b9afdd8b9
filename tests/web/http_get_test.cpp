// The host's plain GET and the connectivity check against the stand-in.
#include "web/http_get.h"

#include <gtest/gtest.h>

#include "web/standin_client.h"

namespace lj {
namespace {

using test::asText;
using test::standinUrl;

class HttpGetTest : public ::testing::Test {
protected:
    void SetUp() override { test::standinReset(); }
};

TEST_F(HttpGetTest, OutcomeTellsWhetherTheDownloadIsWhole) {
    const std::string payload(20000, 'p');
    const struct {
        const char* name;
        test::Settings settings;
        int status;
        bool complete;
        std::size_t size;
    } cases[] = {
        {"whole body", {{"body", payload}}, 200, true, payload.size()},
        {"chunked body",
         {{"body", payload}, {"mode", "chunked"}, {"after", "777"}},
         200,
         true,
         payload.size()},
        {"connection cut short", {{"body", payload}, {"mode", "cut"}, {"after", "5000"}}, 200, false, 5000},
        {"error page", {{"status", "404"}, {"body", "no such file"}}, 404, false, 12},
        {"redirect to a whole body", {{"mode", "redirect"}, {"to", standinUrl("/echo/after")}}, 200, true, 0},
        {"no content", {{"status", "204"}}, 204, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::standinOverride("/file", c.settings);
        DownloadOutcome outcome;
        const bytes body = httpGetBytes(standinUrl("/file"), &outcome);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.complete, c.complete);
        if (c.size) {
            EXPECT_EQ(body.size(), c.size);
        }
        if (c.status == 404) {
            EXPECT_EQ(asText(body), "no such file");
        }
    }
}

TEST_F(HttpGetTest, SendsItsOwnPlainRequest) {
    DownloadOutcome outcome;
    const text echo = asText(httpGetBytes(standinUrl("/echo/get"), &outcome));
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(echo.rfind("GET /echo/get HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(echo.find("\r\nAccept: */*\r\n"), text::npos);
    EXPECT_NE(echo.find("\r\nUser-Agent: "), text::npos);
    EXPECT_EQ(echo.find("Referer:"), text::npos);  // not the request routine's defaults
}

TEST_F(HttpGetTest, NothingForUnusableUrlsOrFailedConnections) {
    const text urls[] = {"", "http:///x", "http://no-such-host.invalid/f", "http://127.0.0.1:1/f"};
    for (const text& url : urls) {
        SCOPED_TRACE(url);
        DownloadOutcome outcome{7, true};
        EXPECT_TRUE(httpGetBytes(url, &outcome).empty());
        EXPECT_EQ(outcome.status, 0);
        EXPECT_FALSE(outcome.complete);
    }
    EXPECT_TRUE(httpGetBytes("").empty());  // the outcome may be left out
}

TEST_F(HttpGetTest, ConnectedWhenTheCheckPageAnswers) {
    EXPECT_TRUE(isConnectedToInternet(standinUrl("/generate_204")));
    EXPECT_TRUE(
        isConnectedToInternet("http://localhost:" + std::to_string(LJ_STANDIN_PORT) + "/generate_204"));
    // Any HTTP answer counts, an error status too.
    EXPECT_TRUE(isConnectedToInternet(standinUrl("/nowhere")));
    EXPECT_FALSE(isConnectedToInternet("http://127.0.0.1:1/generate_204"));
    EXPECT_FALSE(isConnectedToInternet(""));
}

}  // namespace
}  // namespace lj
