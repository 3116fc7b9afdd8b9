// One client connection: reading whole HTTP/1.1 requests off the socket with
// their exact bytes, and writing replies without ever raising SIGPIPE.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace standin {

struct Request {
    std::string raw;      // request line, header lines, empty line and body, exactly as received
    std::string method;   // as sent, e.g. "GET"
    std::string target;   // request target as sent (origin or absolute form)
    std::string version;  // e.g. "HTTP/1.1"
    std::string path;     // target without scheme, authority and query, e.g. "/ic.asp"
    std::string query;    // text after the first '?', without it
    std::string host;     // Host header, or the authority of an absolute-form target
    bool keepAlive = true;

    bool isHead() const { return method == "HEAD"; }
};

enum class ReadResult {
    ok,      // a whole request was read
    closed,  // the client went away (or stayed idle too long) before a request began
    bad,     // the bytes are not an HTTP request we can frame
    headTooLarge,
    bodyTooLarge,
};

class Connection {
public:
    explicit Connection(int fd);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Reads the next request, leaving any pipelined bytes for the call after.
    ReadResult readRequest(Request& out);

    // False once the client has gone away; never raises SIGPIPE.
    bool sendAll(std::string_view data);

    // Waits `ms` milliseconds; returns early with false when the client hangs up.
    bool pause(int ms);

    // Holds the socket open without answering until the client hangs up or
    // `ms` milliseconds have passed; whatever the client sends is dropped.
    void holdUntilGone(int ms);

private:
    enum class Fill { more, gone, timeout };
    Fill fill(int timeoutMs);
    bool ensure(size_t bytes);
    bool findLineEnd(size_t from, size_t& lineEnd);

    int fd_;
    std::string buf_;
};

// Request size limits: far above anything the program sends, low enough that
// a runaway client cannot exhaust the machine.
inline constexpr size_t kMaxHeadBytes = 16u * 1024 * 1024;
inline constexpr uint64_t kMaxBodyBytes = 64u * 1024 * 1024;

}  // namespace standin
