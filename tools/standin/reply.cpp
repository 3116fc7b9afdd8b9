#include "reply.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace standin {

namespace {

class StringBody final : public BodySource {
public:
    explicit StringBody(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t read(char* out, size_t max) override {
        size_t n = std::min(max, bytes_.size() - at_);
        std::memcpy(out, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::string bytes_;
    size_t at_ = 0;
};

class GeneratedBody final : public BodySource {
public:
    explicit GeneratedBody(uint64_t size) : size_(size) {}
    uint64_t size() const override { return size_; }
    size_t read(char* out, size_t max) override {
        size_t n = static_cast<size_t>(std::min<uint64_t>(max, size_ - at_));
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>('a' + (at_ + i) % 26);
        at_ += n;
        return n;
    }

private:
    uint64_t size_;
    uint64_t at_ = 0;
};

class FileBody final : public BodySource {
public:
    FileBody(std::ifstream in, uint64_t size) : in_(std::move(in)), size_(size) {}
    uint64_t size() const override { return size_; }
    size_t read(char* out, size_t max) override {
        size_t n = static_cast<size_t>(std::min<uint64_t>(max, size_ - at_));
        in_.read(out, static_cast<std::streamsize>(n));
        // A file that shrank under us is padded so the announced length holds.
        size_t got = static_cast<size_t>(std::max<std::streamsize>(in_.gcount(), 0));
        if (got < n) std::memset(out + got, 0, n - got);
        at_ += n;
        return n;
    }

private:
    std::ifstream in_;
    uint64_t size_;
    uint64_t at_ = 0;
};

}  // namespace

std::unique_ptr<BodySource> stringBody(std::string bytes) {
    return std::make_unique<StringBody>(std::move(bytes));
}

std::unique_ptr<BodySource> generatedBody(uint64_t size) { return std::make_unique<GeneratedBody>(size); }

std::unique_ptr<BodySource> fileBody(const std::string& path) {
    std::error_code ec;
    uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    return std::make_unique<FileBody>(std::move(in), size);
}

Reply simpleReply(int status, std::string type, std::string body) {
    Reply r;
    r.status = status;
    r.type = std::move(type);
    r.body = stringBody(std::move(body));
    return r;
}

const char* reasonPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 407:
            return "Proxy Authentication Required";
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        default:
            return "Status";
    }
}

bool statusHasBody(int status) { return !(status / 100 == 1 || status == 204 || status == 304); }

}  // namespace standin
