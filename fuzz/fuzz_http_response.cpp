// httpRequest fed a raw response through the curl layer's connected hook:
// the request's own connection to a loopback listener is accepted on the
// same thread, the input is written into it whole and the write side shut,
// before the request goes out. Status lines, header blocks, chunked and
// length-delimited bodies reach curl's parser and the layer as they would
// from a server, malformed at will, without a server thread per request.
//
// The write side is shut at once, so a reply that promises more than it
// sends ends at the close instead of waiting out the receive time-out.
// Redirects are left unfollowed: a Location could name any host. The layer's
// cookie store is emptied after each input: it is process-wide, and a jar
// kept across inputs made runs depend on earlier ones and grow ever slower.
//
// curl takes a fresh receive buffer of a quarter megabyte per request. Under
// ASan every such block is mapped, its shadow poisoned, then unmapped with a
// TLB shoot-down: a fifth of each run. The harness hands curl one block kept
// for the whole run instead, poisoned while curl does not hold it and
// unpoisoned only to the size asked, so overruns and use after free are still
// caught. Every other allocation goes straight to ASan.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <sanitizer/asan_interface.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_fields.h"
#include "web/http_request.h"
#include "web/internet_curl_seam.h"

using namespace lj;

namespace {

[[noreturn]] void die(const char* what) {
    std::perror(what);
    std::abort();
}

// One listening socket for the whole run; each request's connection is
// answered with the reply loaded for it.
class ReplyFeeder {
public:
    ReplyFeeder() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listener_, 4) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            die("fuzz listener");
        }
        port_ = ntohs(addr.sin_port);
        net::seam::setConnectedHook(&ReplyFeeder::answer, this);
    }

    int port() const { return port_; }

    void load(std::string reply) { reply_ = std::move(reply); }

    // After the request: the server side of its connection is closed here.
    void finish() {
        if (server_ >= 0) close(server_);
        server_ = -1;
    }

private:
    static void answer(void* self) { static_cast<ReplyFeeder*>(self)->answerConnection(); }

    // The connection is already in the listener's queue: loopback connects complete at once.
    void answerConnection() {
        finish();
        server_ = accept(listener_, nullptr, nullptr);
        if (server_ < 0) die("fuzz accept");
        // Room for the whole reply before anyone reads: inputs are capped well below this.
        int room = 1 << 20;
        setsockopt(server_, SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
        for (std::size_t sent = 0; sent < reply_.size();) {
            const ssize_t n = send(server_, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n <= 0) die("fuzz send");
            sent += static_cast<std::size_t>(n);
        }
        shutdown(server_, SHUT_WR);
    }

    int listener_ = -1;
    int port_ = 0;
    std::string reply_;
    int server_ = -1;
};

// A one-slot cache for curl's receive buffer; see the top of the file.
class BigBlock {
public:
    static constexpr std::size_t kFrom = 128 * 1024;
    static constexpr std::size_t kCap = 512 * 1024;

    static void* take(std::size_t size) {
        if (size < kFrom || size > kCap || held_) return std::malloc(size);
        if (!block_) block_ = static_cast<char*>(std::malloc(kCap));  // its tail redzone is ASan's own
        if (!block_) return nullptr;
        held_ = true;
        size_ = size;
        ASAN_POISON_MEMORY_REGION(block_, kCap);
        ASAN_UNPOISON_MEMORY_REGION(block_, size);
        return block_;
    }

    static bool holds(const void* p) { return held_ && p == block_; }
    static std::size_t heldSize() { return size_; }

    static bool give(void* p) {
        if (!held_ || p != block_) return false;
        held_ = false;
        ASAN_POISON_MEMORY_REGION(block_, kCap);
        return true;
    }

private:
    static inline char* block_ = nullptr;
    static inline bool held_ = false;
    static inline std::size_t size_ = 0;
};

void* curlMalloc(std::size_t size) { return BigBlock::take(size); }

void curlFree(void* p) {
    if (!BigBlock::give(p)) std::free(p);
}

void* curlRealloc(void* p, std::size_t size) {
    if (!BigBlock::holds(p)) return std::realloc(p, size);
    void* moved = std::malloc(size);
    if (!moved) return nullptr;
    std::memcpy(moved, p, std::min(size, BigBlock::heldSize()));
    BigBlock::give(p);
    return moved;
}

char* curlStrdup(const char* s) { return strdup(s); }

void* curlCalloc(std::size_t n, std::size_t size) { return std::calloc(n, size); }

ReplyFeeder& feeder() {
    static ReplyFeeder* f = new ReplyFeeder();  // lives for the whole run
    return *f;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Before the layer's own curl_global_init, which then only counts itself in.
    if (curl_global_init_mem(CURL_GLOBAL_DEFAULT, curlMalloc, curlFree, curlRealloc, curlStrdup, curlCalloc) != CURLE_OK)
        die("curl_global_init_mem");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    std::string raw(reinterpret_cast<const char*>(data), size);
    feeder().load(raw);
    const text url = "http://127.0.0.1:" + std::to_string(feeder().port()) + "/fuzz/reply";

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
    feeder().finish();
    net::seam::clearCookies();
    return 0;
}
