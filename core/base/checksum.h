// Fast checksums of file contents for the files that check themselves (the position index,
// the move lists of a binary database): four lanes of 8-byte words, at memory speed. Not for
// security: they find damage, not tampering.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace core {

inline uint64_t mixWord(uint64_t h, uint64_t w) {
    h ^= w + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
    return h * 0xFF51AFD7ED558CCDULL;
}

// Four independent lanes of 8-byte words, so that a large file is summed at memory speed. Fed
// in pieces (every piece but the last a multiple of 32 bytes), it sums as in one go.
class Checksum {
public:
    explicit Checksum(std::size_t size)
        : m_lane{0xCBF29CE484222325ULL ^ size, 0x84222325CBF29CE4ULL, 0x9E3779B97F4A7C15ULL,
                 0xC2B2AE3D27D4EB4FULL} {}

    // Sums the whole 32-byte blocks of the piece; returns how many bytes that was.
    std::size_t blocks(const char* data, std::size_t size) {
        std::size_t i = 0;
        for (; i + 32 <= size; i += 32) {
            for (std::size_t l = 0; l < 4; ++l) {
                uint64_t w;
                std::memcpy(&w, data + i + 8 * l, 8);
                m_lane[l] = std::rotl(m_lane[l] ^ w, 29) * 0x9FB21C651E98DF25ULL;
            }
        }
        return i;
    }

    // The sum, with the last piece (less than 32 bytes past its whole blocks).
    uint64_t finish(const char* data, std::size_t size) {
        std::size_t i = blocks(data, size);
        uint64_t h = mixWord(mixWord(mixWord(m_lane[0], m_lane[1]), m_lane[2]), m_lane[3]);
        for (; i + 8 <= size; i += 8) {
            uint64_t w;
            std::memcpy(&w, data + i, 8);
            h = mixWord(h, w);
        }
        uint64_t tail = 0;
        if (size > i) std::memcpy(&tail, data + i, size - i);  // data may be null when size is 0
        return mixWord(h, tail);
    }

private:
    std::array<uint64_t, 4> m_lane;
};

inline uint64_t checksum(const char* data, std::size_t size) {
    return Checksum(size).finish(data, size);
}

}  // namespace core
