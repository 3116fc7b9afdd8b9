// A response body of unknown length, collected in blocks so that neither
// growing it nor handing it over ever holds two copies of it: a single
// growing buffer may be copied whole into one twice its size, and the final
// buffer is filled while the blocks are freed one by one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "text/text.h"

namespace lj {

class BodyBuffer {
public:
    void append(const unsigned char* data, std::size_t n) {
        size_ += n;
        while (n > 0) {
            if (blocks_.empty()) {
                blocks_.emplace_back();  // grows as needed: most bodies are small
            } else if (blocks_.back().size() == blockSize) {
                blocks_.emplace_back().reserve(blockSize);  // a long body: whole blocks from now on
            }
            bytes& block = blocks_.back();
            const std::size_t part = std::min(n, blockSize - block.size());
            if (block.size() + part > block.capacity()) {
                block.reserve(std::min(blockSize, std::max(block.capacity() * 2, block.size() + part)));
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
        } else if (!blocks_.empty()) {
            all.reserve(size_);
            for (bytes& block : blocks_) {
                all.insert(all.end(), block.begin(), block.end());
                bytes().swap(block);
            }
        }
        blocks_.clear();
        size_ = 0;
        return all;
    }

private:
    // Large enough that the C library maps each full block on its own and unmaps it when freed.
    static constexpr std::size_t blockSize = std::size_t{32} << 20;
    std::vector<bytes> blocks_;
    std::size_t size_ = 0;
};

}  // namespace lj
