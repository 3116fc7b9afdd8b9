// Wire-level checks of lj-standin that curl cannot make: exact request bytes,
// pipelining, broken and vanishing clients. Starts its own service on a free port.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

pid_t servicePid = -1;
int servicePort = 0;

class Service : public ::testing::Environment {
public:
    void SetUp() override {
        ::signal(SIGPIPE, SIG_IGN);
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        servicePid = ::fork();
        ASSERT_GE(servicePid, 0);
        if (servicePid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::execl(LJ_STANDIN_EXE, LJ_STANDIN_EXE, "--port", "0", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        ASSERT_EQ(line.rfind("LISTENING ", 0), 0u) << line;
        servicePort = std::stoi(line.substr(10));
    }
    void TearDown() override {
        if (servicePid > 0) {
            ::kill(servicePid, SIGTERM);
            ::waitpid(servicePid, nullptr, 0);
        }
    }
};

const auto* const kService = ::testing::AddGlobalTestEnvironment(new Service);

class Client {
public:
    Client() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        // A guard so a wedged service fails the test instead of hanging it.
        timeval tv{20, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(servicePort));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { close(); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool connected() const { return connected_; }

    void send(const std::string& bytes) {
        size_t at = 0;
        while (at < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0) return;
            at += static_cast<size_t>(n);
        }
    }

    // Reads until `n` bytes are buffered; false at end of stream or timeout.
    bool need(size_t n) {
        char chunk[65536];
        while (buf_.size() < n) {
            ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
            if (got <= 0) return false;
            buf_.append(chunk, static_cast<size_t>(got));
        }
        return true;
    }
    std::string take(size_t n) {
        std::string s = buf_.substr(0, n);
        buf_.erase(0, n);
        return s;
    }
    std::string line() {
        size_t nl;
        while ((nl = buf_.find("\r\n")) == std::string::npos) {
            if (!need(buf_.size() + 1)) return take(buf_.size());
        }
        std::string s = take(nl);
        take(2);
        return s;
    }
    bool atEnd() { return buf_.empty() && !need(1); }

    struct Response {
        int status = 0;
        std::vector<std::string> headers;
        std::string body;
        std::string header(const std::string& name) const {
            for (const auto& h : headers) {
                if (strncasecmp(h.c_str(), (name + ": ").c_str(), name.size() + 2) == 0)
                    return h.substr(name.size() + 2);
            }
            return "";
        }
    };

    // One response; the body framed by Content-Length or chunks unless `head`.
    Response response(bool head = false) {
        Response r;
        std::string status = line();
        if (status.size() >= 12) r.status = std::stoi(status.substr(9, 3));
        for (std::string h = line(); !h.empty(); h = line()) r.headers.push_back(h);
        if (head || r.status == 204) return r;
        if (r.header("Transfer-Encoding") == "chunked") {
            for (;;) {
                size_t size = std::stoul(line(), nullptr, 16);
                if (size == 0) {
                    line();
                    break;
                }
                need(size + 2);
                r.body += take(size);
                take(2);
            }
        } else {
            size_t size = std::stoul(r.header("Content-Length"));
            need(size);
            r.body = take(size);
        }
        return r;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    std::string buf_;
};

Client::Response roundTrip(const std::string& request) {
    Client c;
    c.send(request);
    return c.response(request.rfind("HEAD ", 0) == 0);
}

std::string get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

class StandinWire : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(roundTrip(get("/_standin/reset")).status, 200); }
};

// /echo answers with the request exactly as framed on the wire.
TEST_F(StandinWire, EchoKeepsTheRequestBytes) {
    using namespace std::string_literals;
    const std::string cases[] = {
        "GET /echo HTTP/1.1\r\nhost: x\r\nX-B: 2\r\nx-a: 1\r\n\r\n",
        "POST /echo/cl HTTP/1.1\r\nHost: x\r\nContent-Length: 6\r\n\r\na\0b\r\nc"s,
        "POST /echo/chunked HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
        "3;ext=1\r\nabc\r\nA\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n",
        "GET /echo/lf HTTP/1.1\nHost: x\n\n",
        "GET http://unresolvable.invalid:8080/echo/p?q=%00 HTTP/1.1\r\nHost: "
        "unresolvable.invalid:8080\r\n\r\n",
        "GET /echo?v=%E4%BD%A0 HTTP/1.0\r\n\r\n",
    };
    for (const std::string& request : cases) {
        Client::Response r = roundTrip(request);
        EXPECT_EQ(r.status, 200) << request;
        EXPECT_EQ(r.body, request);
    }
}

TEST_F(StandinWire, PipelinedRequestsAreAnsweredInOrder) {
    Client c;
    c.send(get("/echo/1") + "POST /echo/2 HTTP/1.1\r\nContent-Length: 3\r\n\r\nxyz" + get("/generate_204") +
           get("/ic.asp"));
    EXPECT_EQ(c.response().body, get("/echo/1"));
    EXPECT_EQ(c.response().body, "POST /echo/2 HTTP/1.1\r\nContent-Length: 3\r\n\r\nxyz");
    EXPECT_EQ(c.response().status, 204);
    EXPECT_EQ(c.response().status, 200);
    // Still open for more.
    c.send(get("/echo/3"));
    EXPECT_EQ(c.response().body, get("/echo/3"));
}

TEST_F(StandinWire, ConnectionCloseEndsTheConnection) {
    Client c;
    c.send("GET /echo HTTP/1.1\r\nConnection: close\r\n\r\n");
    Client::Response r = c.response();
    EXPECT_EQ(r.header("Connection"), "close");
    EXPECT_TRUE(c.atEnd());
}

TEST_F(StandinWire, ExpectContinueGetsAnInterimReply) {
    Client c;
    c.send("POST /echo HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 4\r\n\r\n");
    EXPECT_EQ(c.line(), "HTTP/1.1 100 Continue");
    EXPECT_EQ(c.line(), "");
    c.send("body");
    EXPECT_EQ(c.response().body,
              "POST /echo HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 4\r\n\r\nbody");
}

TEST_F(StandinWire, UnframeableRequestsGet400AndAClose) {
    const std::string cases[] = {
        "NONSENSE\r\n\r\n",
        "GET /echo HTTP/1.1 extra\r\n\r\n",
        "GET /echo FTP/1.0\r\n\r\n",
        "GET /echo HTTP/1.1\r\nno colon here\r\n\r\n",
        "POST /echo HTTP/1.1\r\nContent-Length: 1x\r\n\r\n",
        "POST /echo HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab",
        "POST /echo HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n",
        "POST /echo HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
    };
    for (const std::string& request : cases) {
        Client c;
        c.send(request);
        EXPECT_EQ(c.response().status, 400) << request;
        EXPECT_TRUE(c.atEnd()) << request;
    }
    Client c;
    c.send("POST /echo HTTP/1.1\r\nContent-Length: 999999999999\r\n\r\n");
    EXPECT_EQ(c.response().status, 413);
}

// A client may vanish at any point; the service must go on serving others.
TEST_F(StandinWire, SurvivesClientsThatGoAway) {
    ASSERT_EQ(roundTrip(get("/_standin/override?path=/huge&mode=hugebody&size=4000000000")).status, 200);
    ASSERT_EQ(
        roundTrip(get("/_standin/override?path=/stall&mode=stall&after=2&ms=600000&body=abcdef")).status,
        200);
    ASSERT_EQ(roundTrip(get("/_standin/override?path=/silent&mode=silent")).status, 200);
    const std::string prefixes[] = {
        "GE",
        "GET /echo HTTP/1.1\r\nHost: x",
        "POST /echo HTTP/1.1\r\nContent-Length: 100\r\n\r\nonly part",
        "POST /echo HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc",
        "GET /silent HTTP/1.1\r\n\r\n",
    };
    for (const std::string& p : prefixes) {
        Client c;
        c.send(p);
    }
    {
        Client c;
        c.send(get("/huge"));
        ASSERT_TRUE(c.need(100000));  // mid-body, then gone
    }
    {
        Client c;
        c.send(get("/stall"));
        ASSERT_TRUE(c.need(1));  // headers and the first bytes, then gone during the pause
    }
    for (int i = 0; i < 3; ++i) {
        Client::Response r = roundTrip(get("/ic.asp"));
        EXPECT_EQ(r.status, 200);
    }
    EXPECT_EQ(roundTrip(get("/_standin/count?path=/huge")).body, "1");
}

TEST_F(StandinWire, HeadSendsNoBody) {
    ASSERT_EQ(roundTrip(get("/_standin/override?path=/huge&mode=hugebody&size=1000000000")).status, 200);
    Client c;
    c.send("HEAD /huge HTTP/1.1\r\n\r\n");
    Client::Response r = c.response(true);
    EXPECT_EQ(r.header("Content-Length"), "1000000000");
    // The next reply on the same connection starts right after the headers.
    c.send(get("/echo/next"));
    EXPECT_EQ(c.response().body, get("/echo/next"));
}

// Override values are percent-decoded to arbitrary bytes; malformed escapes stay as they are.
TEST_F(StandinWire, OverrideValuesKeepAnyByte) {
    struct Case {
        const char* encoded;
        std::string bytes;
    } cases[] = {
        {"%00", std::string("\0", 1)},
        {"a%00b%FF%fe", std::string("a\0b\xff\xfe", 5)},
        {"%zz%4", "%zz%4"},
        {"a+b%2B", "a+b+"},
        {"%E4%BD%A0", "\xe4\xbd\xa0"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(roundTrip(get(std::string("/_standin/override?path=%2Fbytes&body=") + c.encoded)).status,
                  200);
        EXPECT_EQ(roundTrip(get("/bytes")).body, c.bytes) << c.encoded;
    }
}

}  // namespace
