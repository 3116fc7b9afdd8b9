// A response body of unknown length, collected in blocks so that neither
// growing it nor handing it over ever holds two copies of it: a single
// growing buffer may be copied whole into one twice its size, and the final
// buffer is filled while the blocks are freed one by one. When the response
// announces its length, the first block is made that size, so a body that
// keeps its word is never copied at all.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "text/text.h"
#include "web/internet.h"

namespace lj {

class BodyBuffer {
public:
    // A capacity hint only: the body may still turn out shorter or longer.
    void expect(long long announced) {
        if (!blocks_.empty() || announced <= 0 || announced > maxExpected) return;
        try {
            reserveAdvised(blocks_.emplace_back(), static_cast<std::size_t>(announced));
            firstLimit_ = static_cast<std::size_t>(announced);
        } catch (const std::bad_alloc&) {
            blocks_.clear();  // no room for the hint: grow as for an unannounced body
        }
    }

    void append(const unsigned char* data, std::size_t n) {
        size_ += n;
        while (n > 0) {
            if (blocks_.empty()) {
                blocks_.emplace_back();  // grows as needed: most bodies are small
            } else if (blocks_.back().size() >= limitOf(blocks_.size() - 1)) {
                reserveAdvised(blocks_.emplace_back(), blockSize);  // a long body: whole blocks from now on
            }
            bytes& block = blocks_.back();
            const std::size_t limit = limitOf(blocks_.size() - 1);
            const std::size_t part = std::min(n, limit - block.size());
            if (block.size() + part > block.capacity()) {
                block.reserve(std::min(limit, std::max(block.capacity() * 2, block.size() + part)));
            }
            block.insert(block.end(), data, data + part);
            data += part;
            n -= part;
        }
    }

    std::size_t size() const { return size_; }

    // The whole body; the buffer is left empty.
    bytes take() {
        bytes all;
        if (blocks_.size() == 1) {
            all = std::move(blocks_.front());
            if (all.size() < all.capacity() / 2) all.shrink_to_fit();  // the announced length was not kept
        } else if (!blocks_.empty()) {
            all.reserve(size_);
            for (bytes& block : blocks_) {
                all.insert(all.end(), block.begin(), block.end());
                bytes().swap(block);
            }
        }
        blocks_.clear();
        size_ = 0;
        firstLimit_ = blockSize;
        return all;
    }

private:
    // Large enough that the C library maps each full block on its own and unmaps it when freed.
    static constexpr std::size_t blockSize = std::size_t{32} << 20;
    static constexpr long long maxExpected = 1LL << 30;

    static void reserveAdvised(bytes& block, std::size_t n) {
        block.reserve(n);
        if (n >= adviceThreshold) net::adviseLargeBuffer(block.data(), block.capacity());
    }
    static constexpr std::size_t adviceThreshold = std::size_t{8} << 20;

    std::size_t limitOf(std::size_t index) const { return index == 0 ? firstLimit_ : blockSize; }

    std::vector<bytes> blocks_;
    std::size_t size_ = 0;
    std::size_t firstLimit_ = blockSize;
};

// The Content-Length a response announced, or -1 when it has none.
inline long long announcedLength(net::Handle request) {
    char value[32] = {};
    unsigned long size = sizeof value - 1;
    if (!net::httpQueryInfo(request, net::queryContentLength, value, &size, nullptr)) return -1;
    char* end = nullptr;
    const long long length = std::strtoll(value, &end, 10);
    return end == value || length < 0 ? -1 : length;
}

}  // namespace lj
