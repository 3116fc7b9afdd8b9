// The WinINet-shaped layer on libcurl, for systems without WinINet.
//
// What goes on the wire is kept to what WinINet sends: Host, User-Agent, then
// the caller's header lines in order (curl's own Accept, Expect, Content-Type
// and Proxy-Connection lines are suppressed); POST gets Content-Length.
// Redirects are followed here rather than by curl, so the request flags decide
// which scheme changes are allowed and the header block is the final one.
// The body is pulled through the multi interface from internetReadFile, with a
// small pending buffer; a full buffer pauses the transfer.
#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/mman.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdint>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "web/internet.h"
#include "web/internet_curl_seam.h"

namespace lj::net {

namespace {

// WinINet's error numbers, so callers see the same lastError() on every platform.
constexpr unsigned long errorInvalidHandle = 6;
constexpr unsigned long errorInvalidParameter = 87;
constexpr unsigned long errorTimeout = 12002;
constexpr unsigned long errorInternal = 12004;
constexpr unsigned long errorInvalidUrl = 12005;
constexpr unsigned long errorNameNotResolved = 12007;
constexpr unsigned long errorIncorrectHandleType = 12018;
constexpr unsigned long errorIncorrectHandleState = 12019;
constexpr unsigned long errorCannotConnect = 12029;
constexpr unsigned long errorConnectionAborted = 12030;
constexpr unsigned long errorHeaderNotFound = 12150;
constexpr unsigned long errorInvalidServerResponse = 12152;
constexpr unsigned long errorRedirectFailed = 12156;
constexpr unsigned long errorSecurityChannel = 12157;

// WinINet's defaults: about a minute to connect, half a minute without a byte.
constexpr long connectTimeoutMs = 60000;
constexpr auto receiveTimeout = std::chrono::seconds(30);
constexpr int maxRedirects = 30;
// Bytes held for the reader before the transfer is paused (curl hands over up to receiveBuffer at a time).
constexpr std::size_t pendingLimit = 4 * 1024 * 1024;
constexpr long receiveBuffer = 256 * 1024;

thread_local unsigned long lastErrorCode = 0;

bool fail(unsigned long code) {
    lastErrorCode = code;
    return false;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// ---- Process-wide state -----------------------------------------------------

struct Global {
    std::mutex shareLock;
    CURLSH* cookieStore = nullptr;
    std::mutex handlesLock;
    std::unordered_set<void*> handles;

    Global() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        cookieStore = curl_share_init();
        curl_share_setopt(cookieStore, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(
            cookieStore, CURLSHOPT_LOCKFUNC, +[](CURL*, curl_lock_data, curl_lock_access, void* g) {
                static_cast<Global*>(g)->shareLock.lock();
            });
        curl_share_setopt(
            cookieStore, CURLSHOPT_UNLOCKFUNC,
            +[](CURL*, curl_lock_data, void* g) { static_cast<Global*>(g)->shareLock.unlock(); });
        curl_share_setopt(cookieStore, CURLSHOPT_USERDATA, this);
    }
};

Global& global() {
    static Global* g = new Global;  // never torn down: handles may outlive static destruction
    return *g;
}

struct ConnectedSeam {
    seam::ConnectedHook hook = nullptr;
    void* context = nullptr;
};
ConnectedSeam connectedSeam;

// ---- Handles ------------------------------------------------------------------

enum class Kind { session, connection, request };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
};

struct SessionSettings {
    std::optional<std::string> agent;
    unsigned long accessType = openTypeDirect;
    std::string proxyList;
};

struct Session : Object {
    Session() : Object(Kind::session) {}
    SessionSettings settings;
};

struct Connection : Object {
    Connection() : Object(Kind::connection) {}
    SessionSettings settings;
    std::string host;
    int port = 0;
};

struct Request : Object {
    Request() : Object(Kind::request) {}
    ~Request() override {
        if (multi && easy) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        if (headerList) curl_slist_free_all(headerList);
    }

    SessionSettings settings;
    std::string host;
    int port = 0;
    std::string verb;
    std::string object;
    unsigned long flags = 0;

    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headerList = nullptr;
    std::optional<std::string> agent;  // the session's, or the caller's User-Agent line in its place
    std::string url;
    std::string transferVerb;
    std::vector<char> body;
    bool sendBody = false;

    // State of the current transfer.
    bool sent = false;
    bool connected = false;
    std::string block;         // header lines of the response being read
    std::string finalHeaders;  // raw header block of the final response
    bool headersDone = false;
    long status = 0;
    bool redirecting = false;  // headers of a redirect that is followed: its body is dropped
    std::string redirectTo;
    std::vector<unsigned char> pending;
    std::size_t pendingStart = 0;
    bool paused = false;
    bool done = false;
    CURLcode result = CURLE_OK;
    curl_off_t uploaded = 0;
    std::chrono::steady_clock::time_point lastActivity;
    int redirects = 0;
};

Handle registerHandle(Object* object) {
    Global& g = global();
    std::lock_guard lock(g.handlesLock);
    g.handles.insert(object);
    return object;
}

Object* lookup(Handle handle) {
    Global& g = global();
    std::lock_guard lock(g.handlesLock);
    return g.handles.count(handle) ? static_cast<Object*>(handle) : nullptr;
}

template <class T>
T* lookupAs(Handle handle, Kind kind) {
    Object* object = lookup(handle);
    if (!object) {
        lastErrorCode = errorInvalidHandle;
        return nullptr;
    }
    if (object->kind != kind) {
        lastErrorCode = errorIncorrectHandleType;
        return nullptr;
    }
    return static_cast<T*>(object);
}

// ---- Proxy list -------------------------------------------------------------------

// WinINet's proxy list: entries split by spaces or ";", each "scheme=host:port"
// (for that scheme) or "host:port" (for every scheme). Empty: no proxy applies.
std::string proxyFor(const std::string& list, bool secure) {
    const std::string_view wanted = secure ? "https" : "http";
    std::string generic;
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t end = list.find_first_of("; ", pos);
        const std::string entry = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? list.size() : end + 1;
        if (entry.empty()) continue;
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            if (generic.empty()) generic = entry;
        } else if (equalsIgnoreCase(std::string_view(entry).substr(0, equals), wanted)) {
            return entry.substr(equals + 1);
        }
    }
    return generic;
}

// ---- Request set-up ----------------------------------------------------------------

std::string percentEncodePath(const std::string& object) {
    static const char* hex = "0123456789ABCDEF";
    std::string path;
    if (object.empty() || object.front() != '/') path = "/";
    for (unsigned char c : object) {
        // WinINet escapes spaces; control bytes would make the URL unusable for curl.
        if (c <= 0x20 || c == 0x7F) {
            path += '%';
            path += hex[c >> 4];
            path += hex[c & 15];
        } else {
            path += static_cast<char>(c);
        }
    }
    return path;
}

std::string urlOf(const Request& r) {
    const bool secure = (r.flags & flagSecure) != 0;
    std::string host = r.host;
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    int port = r.port;
    if (port == 0) port = secure ? 443 : 80;
    return std::string(secure ? "https://" : "http://") + host + ":" + std::to_string(port) +
           percentEncodePath(r.object);
}

// The caller's header text as curl header entries. Lines naming a header curl
// would add by itself keep curl's out unless the caller gave one.
void buildHeaderList(Request& r, const char* headers, unsigned long length) {
    std::string text;
    if (headers)
        text.assign(headers, length == static_cast<unsigned long>(-1) ? std::strlen(headers) : length);
    bool hasAccept = false, hasContentType = false, hasExpect = false, hasProxyConnection = false;
    r.agent = r.settings.agent;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;  // not a header line: WinINet skips it too
        const std::string_view name = trimSpaces(line.substr(0, colon));
        const std::string_view value = trimSpaces(line.substr(colon + 1));
        if (name.empty()) continue;
        if (equalsIgnoreCase(name, "User-Agent") && r.agent) {
            // WinINet replaces the session's User-Agent line in place.
            r.agent = std::string(value);
            continue;
        }
        hasAccept = hasAccept || equalsIgnoreCase(name, "Accept");
        hasContentType = hasContentType || equalsIgnoreCase(name, "Content-Type");
        hasExpect = hasExpect || equalsIgnoreCase(name, "Expect");
        hasProxyConnection = hasProxyConnection || equalsIgnoreCase(name, "Proxy-Connection");
        // curl reads "Name:" as "remove this header"; "Name;" sends it with an empty value.
        const std::string entry = value.empty() ? std::string(name) + ";" : std::string(line);
        r.headerList = curl_slist_append(r.headerList, entry.c_str());
    }
    if (!hasAccept) r.headerList = curl_slist_append(r.headerList, "Accept:");
    if (!hasContentType) r.headerList = curl_slist_append(r.headerList, "Content-Type:");
    if (!hasExpect) r.headerList = curl_slist_append(r.headerList, "Expect:");
    if (!hasProxyConnection) r.headerList = curl_slist_append(r.headerList, "Proxy-Connection:");
}

void setMethod(Request& r) {
    CURL* e = r.easy;
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
    curl_easy_setopt(e, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    const bool withBody = r.sendBody;
    auto setBody = [&] {
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, r.body.empty() ? "" : r.body.data());
    };
    if (r.transferVerb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
        if (withBody) {
            // NOBODY before POSTFIELDS: the body goes out, no response body is awaited.
            setBody();
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "HEAD");
        }
    } else if (r.transferVerb == "POST") {
        setBody();
    } else if (r.transferVerb == "GET" && !withBody) {
        // plain GET
    } else {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.transferVerb.c_str());
        if (withBody) setBody();
    }
}

void resetTransfer(Request& r) {
    r.connected = false;
    r.block.clear();
    r.finalHeaders.clear();
    r.headersDone = false;
    r.status = 0;
    r.redirecting = false;
    r.redirectTo.clear();
    r.pending.clear();
    r.pendingStart = 0;
    r.paused = false;
    r.done = false;
    r.result = CURLE_OK;
    r.uploaded = 0;
    r.lastActivity = std::chrono::steady_clock::now();
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Whether a redirect to `target` may be followed under the request flags.
bool redirectAllowed(const Request& r, const std::string& target) {
    const bool toSecure = target.rfind("https://", 0) == 0;
    const bool toPlain = target.rfind("http://", 0) == 0;
    if (!toSecure && !toPlain) return false;
    if (r.flags & flagSecure) return toSecure;
    return toPlain || (r.flags & flagIgnoreRedirectToHttps);
}

// The absolute URL a response's Location line points to, "" without one.
std::string locationOf(const std::string& block, const std::string& base) {
    std::size_t pos = 0;
    std::string location;
    while (pos < block.size()) {
        const std::size_t end = block.find("\r\n", pos);
        const std::string_view line(block.data() + pos,
                                    (end == std::string::npos ? block.size() : end) - pos);
        pos = end == std::string::npos ? block.size() : end + 2;
        if (line.size() > 9 && equalsIgnoreCase(line.substr(0, 9), "Location:")) {
            location = std::string(trimSpaces(line.substr(9)));
            break;
        }
    }
    if (location.empty()) return {};
    std::string resolved;
    CURLU* u = curl_url();
    char* full = nullptr;
    // Setting a URL on a handle that holds one resolves it against the old one.
    if (curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_URL, location.c_str(), CURLU_URLENCODE) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK) {
        resolved = full;
    }
    curl_free(full);
    curl_url_cleanup(u);
    return resolved;
}

// ---- curl callbacks ---------------------------------------------------------------

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& r = *static_cast<Request*>(user);
    const std::size_t n = size * count;
    r.lastActivity = std::chrono::steady_clock::now();
    if (r.headersDone) return n;  // trailers of a chunked body
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.rfind("HTTP/", 0) == 0) {
        r.block.assign(line);
        r.block += "\r\n";
        return n;
    }
    if (!line.empty()) {
        r.block.append(line);
        r.block += "\r\n";
        return n;
    }
    long status = 0;
    curl_easy_getinfo(r.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 100 && status < 200 && status != 101) {
        r.block.clear();  // an interim response: the real one follows
        return n;
    }
    r.status = status;
    r.finalHeaders = r.block + "\r\n";
    r.headersDone = true;
    if (isRedirect(status) && !(r.flags & flagNoAutoRedirect) && r.redirects < maxRedirects) {
        const std::string target = locationOf(r.block, r.url);
        if (!target.empty() && redirectAllowed(r, target)) {
            r.redirecting = true;
            r.redirectTo = target;
        }
    }
    return n;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& r = *static_cast<Request*>(user);
    const std::size_t n = size * count;
    r.lastActivity = std::chrono::steady_clock::now();
    if (r.redirecting) return n;
    if (r.pending.size() - r.pendingStart >= pendingLimit) {
        r.paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (r.pendingStart == r.pending.size()) {
        r.pending.clear();
        r.pendingStart = 0;
    }
    // As unsigned char, so the insert is one memmove rather than a byte-by-byte conversion.
    const auto* bytesIn = reinterpret_cast<const unsigned char*>(data);
    r.pending.insert(r.pending.end(), bytesIn, bytesIn + n);
    return n;
}

int onPrerequest(void* user, char*, char*, int, int) {
    if (connectedSeam.hook) connectedSeam.hook(connectedSeam.context);
    static_cast<Request*>(user)->connected = true;
    static_cast<Request*>(user)->lastActivity = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto& r = *static_cast<Request*>(user);
    if (uploaded != r.uploaded) {
        r.uploaded = uploaded;
        r.lastActivity = std::chrono::steady_clock::now();
    }
    return 0;
}

unsigned long errorFor(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return errorNameNotResolved;
        case CURLE_COULDNT_CONNECT:
            return errorCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return errorTimeout;
        case CURLE_URL_MALFORMAT:
            return errorInvalidUrl;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return errorInvalidServerResponse;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
            return errorSecurityChannel;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE:
            return errorConnectionAborted;
        default:
            return errorInternal;
    }
}

// ---- Driving a transfer -----------------------------------------------------------

bool startTransfer(Request& r) {
    resetTransfer(r);
    curl_easy_setopt(r.easy, CURLOPT_URL, r.url.c_str());
    setMethod(r);
    return curl_multi_add_handle(r.multi, r.easy) == CURLM_OK;
}

// Runs the transfer a little: until something happens or a short wait ends.
void pump(Request& r) {
    int running = 0;
    curl_multi_perform(r.multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(r.multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == r.easy) {
            r.done = true;
            r.result = message->data.result;
        }
    }
    if (r.done) return;
    if (r.connected && std::chrono::steady_clock::now() - r.lastActivity > receiveTimeout) {
        r.done = true;
        r.result = CURLE_OPERATION_TIMEDOUT;
        return;
    }
    if (r.headersDone && r.pending.size() > r.pendingStart) return;
    curl_multi_poll(r.multi, nullptr, 0, 200, nullptr);
}

bool followRedirect(Request& r) {
    curl_multi_remove_handle(r.multi, r.easy);
    ++r.redirects;
    const long status = r.status;
    r.url = r.redirectTo;
    // Browsers' rule, which WinINet shares: 303, and 301/302 after a POST, go on as a GET without body.
    if (r.transferVerb != "HEAD" &&
        (status == 303 || ((status == 301 || status == 302) && r.transferVerb == "POST"))) {
        r.transferVerb = "GET";
        r.sendBody = false;
    }
    return startTransfer(r);
}

// ---- Connected state ----------------------------------------------------------------

bool nonLoopbackInterfaceUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool up = false;
    for (ifaddrs* a = list; a && !up; a = a->ifa_next) {
        if (!a->ifa_addr) continue;
        const int family = a->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        up = (a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING) && !(a->ifa_flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return up;
}

}  // namespace

// ---- The layer -------------------------------------------------------------------------

Handle internetOpen(const char* userAgent, unsigned long accessType, const char* proxy, const char*,
                    unsigned long) {
    if (accessType != openTypePreconfig && accessType != openTypeDirect && accessType != openTypeProxy) {
        fail(errorInvalidParameter);
        return nullptr;
    }
    if (accessType == openTypeProxy && (!proxy || !*proxy)) {
        fail(errorInvalidParameter);
        return nullptr;
    }
    auto* session = new Session;
    if (userAgent) session->settings.agent = std::string(userAgent);
    session->settings.accessType = accessType;
    if (accessType == openTypeProxy) session->settings.proxyList = proxy;
    return registerHandle(session);
}

Handle internetConnect(Handle session, const char* serverName, int serverPort, const char*, const char*,
                       unsigned long service, unsigned long, std::uintptr_t) {
    auto* s = lookupAs<Session>(session, Kind::session);
    if (!s) return nullptr;
    if (!serverName || !*serverName || service != serviceHttp || serverPort < 0 || serverPort > 65535) {
        fail(errorInvalidParameter);
        return nullptr;
    }
    auto* c = new Connection;
    c->settings = s->settings;
    c->host = serverName;
    c->port = serverPort;
    return registerHandle(c);
}

Handle httpOpenRequest(Handle connection, const char* verb, const char* objectName, const char*, const char*,
                       const char**, unsigned long flags, std::uintptr_t) {
    auto* c = lookupAs<Connection>(connection, Kind::connection);
    if (!c) return nullptr;
    auto* r = new Request;
    r->settings = c->settings;
    r->host = c->host;
    r->port = c->port;
    r->verb = verb && *verb ? verb : "GET";
    r->object = objectName ? objectName : "";
    r->flags = flags;
    r->easy = curl_easy_init();
    r->multi = curl_multi_init();
    if (!r->easy || !r->multi) {
        delete r;
        fail(errorInternal);
        return nullptr;
    }
    return registerHandle(r);
}

bool httpSendRequest(Handle request, const char* headers, unsigned long headersLength, const void* optional,
                     unsigned long optionalLength) {
    auto* r = lookupAs<Request>(request, Kind::request);
    if (!r) return false;
    if (r->sent) return fail(errorIncorrectHandleState);
    r->sent = true;

    CURL* e = r->easy;
    buildHeaderList(*r, headers, headersLength);
    r->url = urlOf(*r);
    r->transferVerb = r->verb;
    r->sendBody = optional && optionalLength > 0;
    if (r->sendBody) {
        const auto* data = static_cast<const char*>(optional);
        r->body.assign(data, data + optionalLength);
    }

    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, r->headerList);
    curl_easy_setopt(e, CURLOPT_USERAGENT, r->agent ? r->agent->c_str() : static_cast<const char*>(nullptr));
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, receiveBuffer);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, r);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, r);
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, onPrerequest);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, r);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, r);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    // The cache is never used, so RELOAD and NEED_FILE ask for nothing more.
    if (!(r->flags & flagNoCookies)) {
        curl_easy_setopt(e, CURLOPT_SHARE, global().cookieStore);
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
    }
    if (r->settings.accessType == openTypeDirect) {
        curl_easy_setopt(e, CURLOPT_PROXY, "");
    } else if (r->settings.accessType == openTypeProxy) {
        const std::string proxy = proxyFor(r->settings.proxyList, (r->flags & flagSecure) != 0);
        curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());  // copied by curl; "" = direct
        curl_easy_setopt(e, CURLOPT_PROXYTYPE, CURLPROXY_HTTP);
    }

    if (!startTransfer(*r)) return fail(errorInternal);
    for (;;) {
        pump(*r);
        if (r->headersDone && r->redirecting) {
            if (!followRedirect(*r)) return fail(errorRedirectFailed);
            continue;
        }
        if (r->headersDone) return true;
        if (r->done) {
            // Ended before a response arrived.
            r->finalHeaders.clear();
            return fail(errorFor(r->result == CURLE_OK ? CURLE_GOT_NOTHING : r->result));
        }
    }
}

bool internetReadFile(Handle request, void* buffer, unsigned long toRead, unsigned long* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    auto* r = lookupAs<Request>(request, Kind::request);
    if (!r) return false;
    if (!bytesRead || (!buffer && toRead > 0)) return fail(errorInvalidParameter);
    if (!r->sent || !r->headersDone) return fail(errorIncorrectHandleState);
    // The receive time-out counts from when a reader starts waiting, as a socket read's would.
    if (r->pending.size() == r->pendingStart) r->lastActivity = std::chrono::steady_clock::now();
    for (;;) {
        const std::size_t available = r->pending.size() - r->pendingStart;
        if (available > 0) {
            const std::size_t n = std::min<std::size_t>(available, toRead);
            std::memcpy(buffer, r->pending.data() + r->pendingStart, n);
            r->pendingStart += n;
            *bytesRead = static_cast<unsigned long>(n);
            return true;
        }
        if (r->done) {
            if (r->result == CURLE_OK) return true;
            return fail(errorFor(r->result));
        }
        if (toRead == 0) return true;
        if (r->paused) {
            r->paused = false;
            r->lastActivity = std::chrono::steady_clock::now();
            curl_easy_pause(r->easy, CURLPAUSE_CONT);
            continue;
        }
        pump(*r);
    }
}

bool httpQueryInfo(Handle request, unsigned long infoLevel, void* buffer, unsigned long* bufferLength,
                   unsigned long*) {
    auto* r = lookupAs<Request>(request, Kind::request);
    if (!r) return false;
    if (!bufferLength) return fail(errorInvalidParameter);
    if (!r->headersDone) return fail(errorHeaderNotFound);
    const bool number = (infoLevel & queryFlagNumber) != 0;
    const unsigned long level = infoLevel & 0xFFFF;

    std::string value;
    if (level == queryRawHeadersCrlf) {
        value = r->finalHeaders;
    } else if (level == queryStatusCode) {
        value = std::to_string(r->status);
    } else if (level == queryContentLength) {
        curl_off_t length = -1;
        curl_easy_getinfo(r->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length < 0) return fail(errorHeaderNotFound);
        value = std::to_string(length);
    } else {
        return fail(errorHeaderNotFound);
    }

    if (number && level != queryRawHeadersCrlf) {
        if (*bufferLength < sizeof(std::uint32_t)) {
            *bufferLength = sizeof(std::uint32_t);
            return fail(errorInsufficientBuffer);
        }
        if (!buffer) return fail(errorInvalidParameter);
        const auto n = static_cast<std::uint32_t>(std::stoull(value));
        std::memcpy(buffer, &n, sizeof n);
        *bufferLength = sizeof n;
        return true;
    }
    // HttpQueryInfoA: a too-small buffer is left alone and told the size needed, terminator included.
    if (!buffer || *bufferLength < value.size() + 1) {
        *bufferLength = static_cast<unsigned long>(value.size() + 1);
        return fail(errorInsufficientBuffer);
    }
    std::memcpy(buffer, value.data(), value.size());
    static_cast<char*>(buffer)[value.size()] = '\0';
    *bufferLength = static_cast<unsigned long>(value.size());
    return true;
}

bool internetCloseHandle(Handle handle) {
    Object* object = nullptr;
    {
        Global& g = global();
        std::lock_guard lock(g.handlesLock);
        if (g.handles.erase(handle)) object = static_cast<Object*>(handle);
    }
    if (!object) return fail(errorInvalidHandle);
    delete object;
    return true;
}

bool internetGetConnectedState() { return nonLoopbackInterfaceUp(); }

unsigned long lastError() { return lastErrorCode; }

void adviseLargeBuffer(void* buffer, std::size_t size) {
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
    const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (begin + size) & ~(hugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

namespace seam {

void setConnectedHook(ConnectedHook hook, void* context) { connectedSeam = {hook, context}; }

void clearCookies() {
    CURL* e = curl_easy_init();
    if (!e) return;
    curl_easy_setopt(e, CURLOPT_SHARE, global().cookieStore);
    curl_easy_setopt(e, CURLOPT_COOKIELIST, "ALL");
    curl_easy_cleanup(e);
}

}  // namespace seam

}  // namespace lj::net
