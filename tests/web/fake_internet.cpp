#include "fake_internet.h"

#include <algorithm>
#include <cstring>

namespace lj::fake {

Net& net() {
    static Net n;
    return n;
}

namespace {

int sessionHandle, connectionHandle, requestHandle;
unsigned long lastErrorCode = 0;

Str str(const char* s) { return s ? Str(s) : std::nullopt; }

}  // namespace

}  // namespace lj::fake

namespace lj::net {

using fake::net;
using fake::str;
using fake::Str;

Handle internetOpen(const char* userAgent, unsigned long accessType, const char* proxy,
                    const char* proxyBypass, unsigned long flags) {
    net().agent = str(userAgent);
    net().accessType = accessType;
    net().proxy = str(proxy);
    net().bypass = str(proxyBypass);
    net().openFlags = flags;
    return net().failOpen ? nullptr : &fake::sessionHandle;
}

Handle internetConnect(Handle, const char* serverName, int serverPort, const char* userName,
                       const char* password, unsigned long service, unsigned long, std::uintptr_t) {
    net().server = str(serverName);
    net().port = serverPort;
    net().userOrPasswordGiven = userName || password;
    net().service = service;
    return net().failConnect ? nullptr : &fake::connectionHandle;
}

Handle httpOpenRequest(Handle, const char* verb, const char* objectName, const char* version,
                       const char* referrer, const char** acceptTypes, unsigned long flags, std::uintptr_t) {
    net().verb = str(verb);
    net().object = str(objectName);
    net().version = str(version);
    net().referrerOrAcceptGiven = referrer || acceptTypes;
    net().requestFlags = flags;
    return net().failRequest ? nullptr : &fake::requestHandle;
}

bool httpSendRequest(Handle, const char* headers, unsigned long headersLength, const void* optional,
                     unsigned long optionalLength) {
    net().headers = headers ? Str(std::string(headers, headersLength)) : std::nullopt;
    net().headersLength = headersLength;
    net().optional =
        optional ? Str(std::string(static_cast<const char*>(optional), optionalLength)) : std::nullopt;
    net().optionalLength = optionalLength;
    return !net().sendFails;
}

bool internetReadFile(Handle, void* buffer, unsigned long toRead, unsigned long* bytesRead) {
    net().readSizes.push_back(toRead);
    const std::size_t n =
        net().sendFails ? 0 : std::min<std::size_t>(toRead, net().body.size() - net().bodyAt);
    std::memcpy(buffer, net().body.data() + net().bodyAt, n);
    net().bodyAt += n;
    *bytesRead = static_cast<unsigned long>(n);
    return !net().sendFails;
}

bool httpQueryInfo(Handle, unsigned long infoLevel, void* buffer, unsigned long* bufferLength,
                   unsigned long*) {
    if (infoLevel != queryRawHeadersCrlf || net().sendFails) {
        fake::lastErrorCode = 12150;
        return false;
    }
    net().queryBufferSizes.push_back(*bufferLength);
    const std::string& block = net().headerBlock;
    if (*bufferLength < block.size() + 1) {
        *bufferLength = static_cast<unsigned long>(block.size() + 1);
        fake::lastErrorCode = errorInsufficientBuffer;
        return false;
    }
    std::memcpy(buffer, block.c_str(), block.size() + 1);
    *bufferLength = static_cast<unsigned long>(block.size());
    return true;
}

bool internetCloseHandle(Handle handle) {
    if (handle == &fake::requestHandle) net().closed.push_back("request");
    if (handle == &fake::connectionHandle) net().closed.push_back("connection");
    if (handle == &fake::sessionHandle) net().closed.push_back("session");
    return true;
}

bool internetGetConnectedState() { return true; }

unsigned long lastError() { return fake::lastErrorCode; }

void adviseLargeBuffer(void*, std::size_t) {}

}  // namespace lj::net
