// A stream buffer over a string that hands its text out in chunks of chosen sizes, so that
// tokens cross the ends of the buffered text wherever a test wants them to.
#pragma once

#include <cstddef>
#include <random>
#include <streambuf>
#include <string>

namespace support {

/// Each refill makes the next `chunk` characters available (1 for a trickle, the whole text
/// when chunk is 0); with a random generator, each refill takes a size from 1 to `chunk`.
class ChunkBuffer : public std::streambuf {
public:
    ChunkBuffer(std::string text, std::size_t chunk, unsigned seed = 0)
        : m_text(std::move(text)), m_chunk(chunk), m_random(seed), m_randomSizes(seed != 0) {}

protected:
    int_type underflow() override {
        const std::size_t at = gptr() ? std::size_t(gptr() - m_text.data()) : 0;
        if (at >= m_text.size())
            return traits_type::eof();
        std::size_t size = m_chunk == 0 ? m_text.size() : m_chunk;
        if (m_randomSizes && m_chunk > 1)
            size = 1 + m_random() % m_chunk;
        if (size > m_text.size() - at)
            size = m_text.size() - at;
        setg(m_text.data(), &m_text[at], &m_text[at] + size);
        return traits_type::to_int_type(m_text[at]);
    }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        if (off != 0 || dir != std::ios_base::cur)
            return pos_type(off_type(-1));
        return pos_type(gptr() ? off_type(gptr() - m_text.data()) : 0);
    }

private:
    std::string m_text;
    std::size_t m_chunk;
    std::mt19937 m_random;
    bool m_randomSizes;
};

} // namespace support
