// A long body collected in blocks comes out whole and in order, whatever the
// sizes of the pieces it arrived in.
#include <gtest/gtest.h>

#include "web/body_buffer.h"

namespace lj {
namespace {

TEST(BodyBuffer, PiecesComeOutWholeAndInOrder) {
    const std::size_t pieceSizes[] = {0, 1, 1024, 4093, 1 << 20, 7 << 20, 33 << 20};
    for (std::size_t total : {std::size_t{0}, std::size_t{5}, std::size_t{70} << 20}) {
        SCOPED_TRACE(total);
        BodyBuffer buffer;
        std::vector<unsigned char> piece;
        std::size_t written = 0;
        for (int i = 0; written < total; ++i) {
            const std::size_t n = std::min(pieceSizes[i % std::size(pieceSizes)], total - written);
            piece.resize(n);
            for (std::size_t k = 0; k < n; ++k) piece[k] = static_cast<unsigned char>((written + k) % 251);
            buffer.append(piece.data(), n);
            written += n;
        }
        EXPECT_EQ(buffer.size(), total);
        const bytes all = buffer.take();
        ASSERT_EQ(all.size(), total);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < total; ++k) wrong += all[k] != static_cast<unsigned char>(k % 251);
        EXPECT_EQ(wrong, 0u);
        EXPECT_EQ(buffer.size(), 0u);
        EXPECT_TRUE(buffer.take().empty());
    }
}

}  // namespace
}  // namespace lj
