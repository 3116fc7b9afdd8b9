// The WinINet-shaped layer on Windows: each call is the WinINet "A" function
// of the same name, nothing added, so what goes on the wire is WinINet's own.
#include <windows.h>
#include <wininet.h>

#include "web/internet.h"

namespace lj::net {

Handle internetOpen(const char* userAgent, unsigned long accessType, const char* proxy,
                    const char* proxyBypass, unsigned long flags) {
    return InternetOpenA(userAgent, accessType, proxy, proxyBypass, flags);
}

Handle internetConnect(Handle session, const char* serverName, int serverPort, const char* userName,
                       const char* password, unsigned long service, unsigned long flags,
                       std::uintptr_t context) {
    return InternetConnectA(static_cast<HINTERNET>(session), serverName,
                            static_cast<INTERNET_PORT>(serverPort), userName, password, service, flags,
                            static_cast<DWORD_PTR>(context));
}

Handle httpOpenRequest(Handle connection, const char* verb, const char* objectName, const char* version,
                       const char* referrer, const char** acceptTypes, unsigned long flags,
                       std::uintptr_t context) {
    return HttpOpenRequestA(static_cast<HINTERNET>(connection), verb, objectName, version, referrer,
                            acceptTypes, flags, static_cast<DWORD_PTR>(context));
}

bool httpSendRequest(Handle request, const char* headers, unsigned long headersLength, const void* optional,
                     unsigned long optionalLength) {
    // WinINet's prototype takes a non-const body pointer but only reads it.
    return HttpSendRequestA(static_cast<HINTERNET>(request), headers, headersLength,
                            const_cast<void*>(optional), optionalLength) != FALSE;
}

bool internetReadFile(Handle request, void* buffer, unsigned long toRead, unsigned long* bytesRead) {
    DWORD read = 0;
    const BOOL ok = InternetReadFile(static_cast<HINTERNET>(request), buffer, toRead, &read);
    if (bytesRead) *bytesRead = ok ? read : 0;
    return ok != FALSE;
}

bool httpQueryInfo(Handle request, unsigned long infoLevel, void* buffer, unsigned long* bufferLength,
                   unsigned long* index) {
    // DWORD is unsigned long on Windows; the casts only keep the compiler quiet elsewhere.
    return HttpQueryInfoA(static_cast<HINTERNET>(request), infoLevel, buffer,
                          reinterpret_cast<DWORD*>(bufferLength), reinterpret_cast<DWORD*>(index)) != FALSE;
}

bool internetCloseHandle(Handle handle) {
    return InternetCloseHandle(static_cast<HINTERNET>(handle)) != FALSE;
}

bool internetGetConnectedState() {
    DWORD how = 0;
    return InternetGetConnectedState(&how, 0) != FALSE;
}

unsigned long lastError() { return GetLastError(); }

// Windows has no per-range huge-page advice for ordinary heap memory.
void adviseLargeBuffer(void*, std::size_t) {}

}  // namespace lj::net
