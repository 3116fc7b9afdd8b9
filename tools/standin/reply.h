// A reply before it goes on the wire: status, content type, extra header
// lines in the order given, and a body read piece by piece so that huge
// bodies are generated while sending instead of held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin {

class BodySource {
public:
    virtual ~BodySource() = default;
    virtual uint64_t size() const = 0;
    // Copies the next at most `max` bytes to `out`; 0 only at the end.
    virtual size_t read(char* out, size_t max) = 0;
};

std::unique_ptr<BodySource> stringBody(std::string bytes);
// `size` bytes of 'a'..'z' repeated: byte i (0-based) is 'a' + i % 26.
std::unique_ptr<BodySource> generatedBody(uint64_t size);
// The file's bytes, or nullptr when it cannot be opened.
std::unique_ptr<BodySource> fileBody(const std::string& path);

struct Reply {
    int status = 200;
    std::string type;                // Content-Type value; no header when empty
    std::vector<std::string> extra;  // raw header lines, without CRLF, sent as given
    std::unique_ptr<BodySource> body;

    uint64_t bodySize() const { return body ? body->size() : 0; }
};

Reply simpleReply(int status, std::string type, std::string body);

// Standard reason phrase, or "Status" for codes without one.
const char* reasonPhrase(int status);

// 1xx, 204 and 304 replies never carry a body.
bool statusHasBody(int status);

}  // namespace standin
