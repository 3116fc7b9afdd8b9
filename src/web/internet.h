// The WinINet-shaped layer under httpRequest and httpGetBytes.
//
// On Windows each call forwards to the WinINet function of the same name
// (internet_wininet.cpp). Elsewhere internet_curl.cpp provides the same
// contract on libcurl: the request flags, direct and "http=host:port" proxy
// sessions, a process-wide cookie store, the raw header block with the
// buffer-size contract of HttpQueryInfoA, the body streamed through
// internetReadFile as it arrives, and time-outs like WinINet's defaults.
//
// Strings are code page 936 / ASCII, zero-terminated; a null pointer is "no
// string" and differs from "" exactly as it does for WinINet.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lj::net {

using Handle = void*;  // HINTERNET; null on failure

// InternetOpenA access types
inline constexpr unsigned long openTypePreconfig = 0;
inline constexpr unsigned long openTypeDirect = 1;
inline constexpr unsigned long openTypeProxy = 3;
// InternetConnectA service
inline constexpr unsigned long serviceHttp = 3;
// HttpOpenRequestA flags
inline constexpr unsigned long flagReload = 0x80000000;
inline constexpr unsigned long flagNeedFile = 0x00000010;
inline constexpr unsigned long flagNoCookies = 0x00080000;
inline constexpr unsigned long flagNoAutoRedirect = 0x00200000;
inline constexpr unsigned long flagSecure = 0x00800000;
inline constexpr unsigned long flagIgnoreRedirectToHttps = 0x00004000;
// HttpQueryInfoA levels
inline constexpr unsigned long queryContentLength = 5;
inline constexpr unsigned long queryStatusCode = 19;
inline constexpr unsigned long queryRawHeadersCrlf = 22;
inline constexpr unsigned long queryFlagNumber = 0x20000000;
// GetLastError() after a query whose buffer was too small
inline constexpr unsigned long errorInsufficientBuffer = 122;

Handle internetOpen(const char* userAgent, unsigned long accessType, const char* proxy, const char* proxyBypass,
                    unsigned long flags);
Handle internetConnect(Handle session, const char* serverName, int serverPort, const char* userName,
                       const char* password, unsigned long service, unsigned long flags, std::uintptr_t context);
Handle httpOpenRequest(Handle connection, const char* verb, const char* objectName, const char* version,
                       const char* referrer, const char** acceptTypes, unsigned long flags, std::uintptr_t context);
bool httpSendRequest(Handle request, const char* headers, unsigned long headersLength, const void* optional,
                     unsigned long optionalLength);
// Fills up to `toRead` bytes as they arrive; *bytesRead 0 means the end of the body or a failed read.
bool internetReadFile(Handle request, void* buffer, unsigned long toRead, unsigned long* bytesRead);
// HttpQueryInfoA: on a too-small buffer returns false, sets *bufferLength to the
// size needed (terminator included) and lastError() to errorInsufficientBuffer,
// leaving the buffer as it was.
bool httpQueryInfo(Handle request, unsigned long infoLevel, void* buffer, unsigned long* bufferLength,
                   unsigned long* index);
bool internetCloseHandle(Handle handle);
// InternetGetConnectedState: the system reports a network connection.
bool internetGetConnectedState();
unsigned long lastError();

// Advice that a large body buffer is about to be filled: where the system
// offers huge pages, filling it then costs far fewer page faults. Advice only.
void adviseLargeBuffer(void* buffer, std::size_t size);

}  // namespace lj::net
