// A long body collected in blocks comes out whole and in order, whatever the
// sizes of the pieces it arrived in.
#include "web/body_buffer.h"

#include <gtest/gtest.h>

namespace lj {
namespace {

TEST(BodyBuffer, PiecesComeOutWholeAndInOrder) {
    const std::size_t pieceSizes[] = {0, 1, 1024, 4093, 1 << 20, 7 << 20, 33 << 20};
    // The announced length is a hint: right, too small, too large, absent or absurd.
    const struct {
        std::size_t total;
        long long announced;
    } cases[] = {
        {0, -1},
        {5, -1},
        {5, 5},
        {5, 1000000},
        {40 << 20, -1},
        {40 << 20, 40 << 20},
        {40 << 20, 1 << 20},
        {3 << 20, 1LL << 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.total << " announced " << c.announced);
        BodyBuffer buffer;
        buffer.expect(c.announced);
        std::vector<unsigned char> piece;
        std::size_t written = 0;
        for (int i = 0; written < c.total; ++i) {
            const std::size_t n = std::min(pieceSizes[i % std::size(pieceSizes)], c.total - written);
            piece.resize(n);
            for (std::size_t k = 0; k < n; ++k) piece[k] = static_cast<unsigned char>((written + k) % 251);
            buffer.append(piece.data(), n);
            written += n;
        }
        EXPECT_EQ(buffer.size(), c.total);
        const bytes all = buffer.take();
        ASSERT_EQ(all.size(), c.total);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < c.total; ++k) wrong += all[k] != static_cast<unsigned char>(k % 251);
        EXPECT_EQ(wrong, 0u);
        EXPECT_LE(all.capacity(), std::max<std::size_t>(2 * c.total, 64));
        EXPECT_EQ(buffer.size(), 0u);
        EXPECT_TRUE(buffer.take().empty());
    }
}

}  // namespace
}  // namespace lj
