// httpRequest against a loopback server that answers every request with the
// fuzz input as the raw response and then closes: status lines, header
// blocks, chunked and length-delimited bodies, all malformed at will.
//
// The server closes after writing, so a reply that promises more than it
// sends ends at the close instead of waiting out the receive time-out.
// Redirects are left unfollowed: a Location could name any host.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "fuzz_fields.h"
#include "web/http_request.h"

using namespace lj;

namespace {

class RawServer {
public:
    RawServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listener_, 16) != 0) {
            std::perror("fuzz server");
            std::abort();
        }
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    int port() const { return port_; }

    void setReply(std::string reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        reply_ = std::move(reply);
    }

private:
    void serve() {
        for (;;) {
            int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) continue;
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                reply = reply_;
            }
            // One thread per connection: a client that keeps its connection
            // open must not hold up the next request.
            std::thread([fd, reply] { answer(fd, reply); }).detach();
        }
    }

    static void answer(int fd, const std::string& reply) {
        timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        readRequest(fd);
        for (std::size_t sent = 0; sent < reply.size();) {
            ssize_t n = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(fd, SHUT_WR);
        // Drain what the client still sends, so the close is orderly and the
        // reply is not thrown away by a reset.
        char sink[512];
        while (recv(fd, sink, sizeof sink, 0) > 0) {
        }
        close(fd);
    }

    // A GET carries no body: the request ends with its empty line.
    static void readRequest(int fd) {
        std::string seen;
        char buf[1024];
        while (seen.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            seen.append(buf, static_cast<std::size_t>(n));
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::string reply_;
};

RawServer& server() {
    static RawServer* s = new RawServer();  // lives for the whole run
    return *s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    std::string raw(reinterpret_cast<const char*>(data), size);
    server().setReply(raw);
    const text url = "http://127.0.0.1:" + std::to_string(server().port()) + "/fuzz/reply";

    // The program's own calls leave every argument but the URL out; the
    // cookie-supplying form is fuzzed too, since it parses the same block.
    text cookies = "a=1";
    text returnedCookies, extraHeaders, returnedHeaders;
    bytes body = httpRequest(url, 0, {}, (size & 1) ? &cookies : nullptr, &returnedCookies, &extraHeaders,
                             &returnedHeaders, true);

    // Nothing can come out that was not sent: the body is at most the raw
    // reply, and the header block is what the query buffer holds.
    LJ_FUZZ_CHECK(body.size() <= raw.size());
    LJ_FUZZ_CHECK(returnedHeaders.find('\0') == text::npos);
    LJ_FUZZ_CHECK(returnedCookies.find('\0') == text::npos);
    LJ_FUZZ_CHECK(!extraHeaders.empty());
    return 0;
}
