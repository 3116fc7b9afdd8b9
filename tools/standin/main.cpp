// lj-standin: the stand-in note service the tests and the shipped default
// configuration talk to. Listens on 127.0.0.1 only.
//
//   lj-standin [--port N] [--notes DIR] [--token CSTK]
//
// Prints "LISTENING <port>" once it accepts connections; ends on SIGTERM or SIGINT.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "lj_config.h"
#include "session.h"

namespace {

// Connections beyond this are closed at once, so a flood cannot exhaust threads.
constexpr int kMaxConnections = 1000;

std::atomic<int> liveConnections{0};

int usage() {
    std::fprintf(stderr, "usage: lj-standin [--port N] [--notes DIR] [--token CSTK]\n");
    return 2;
}

void acceptLoop(int listener, standin::Context& ctx) {
    for (;;) {
        int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0) {
            if (errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (liveConnections.fetch_add(1) >= kMaxConnections) {
            liveConnections.fetch_sub(1);
            ::close(fd);
            continue;
        }
        // Replies go out as head and body writes; don't let Nagle hold the second back.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::thread([fd, &ctx] {
            standin::serveConnection(fd, ctx);
            liveConnections.fetch_sub(1);
        }).detach();
    }
}

}  // namespace

int main(int argc, char** argv) {
    long port = LJ_STANDIN_PORT;
    std::string notesDir = LJ_STANDIN_NOTES_DIR;
    auto* ctx = new standin::Context;  // lives until _exit; connection threads use it
    ctx->token = LJ_NOTE_API_TOKEN;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        std::string value = argv[++i];
        if (arg == "--port") {
            char* end = nullptr;
            port = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) return usage();
        } else if (arg == "--notes") {
            notesDir = value;
        } else if (arg == "--token") {
            ctx->token = value;
        } else {
            return usage();
        }
    }

    std::string error;
    if (!ctx->notes.load(notesDir, error)) {
        std::fprintf(stderr, "lj-standin: %s\n", error.c_str());
        return 1;
    }

    // Only the signal-waiting main thread takes SIGTERM/SIGINT; a vanished
    // client must never kill the service through SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        std::perror("lj-standin: socket");
        return 1;
    }
    int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::listen(listener, 128) < 0) {
        std::fprintf(stderr, "lj-standin: cannot listen on 127.0.0.1:%ld: %s\n", port, std::strerror(errno));
        return 1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    std::printf("LISTENING %d\n", ntohs(addr.sin_port));
    std::fflush(stdout);

    std::thread(acceptLoop, listener, std::ref(*ctx)).detach();

    int sig = 0;
    while (sigwait(&stopSignals, &sig) != 0) {
    }
    std::printf("STOPPED by signal %d\n", sig);
    std::fflush(stdout);
    // Connection threads may be mid-reply; end without running destructors under them.
    _exit(0);
}
