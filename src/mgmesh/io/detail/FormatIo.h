// Byte input in blocks, number text and buffered output for the readers and writers of the
// exchange formats: binary and ASCII STL, OBJ and PLY (internal).
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>
#include <string_view>
#include <system_error>
#include <vector>

namespace mgmesh::detail {

/// Reads a stream in large blocks: lines, whitespace-separated tokens and raw bytes, all
/// taken from one buffer that holds at most the longest item asked for plus a block.
class ByteInput {
public:
    explicit ByteInput(std::istream& in) : m_in(in) {}

    /// Makes `n` bytes available at Data(), as far as the input holds them; returns how many.
    std::size_t Fill(std::size_t n) {
        while (Size() < n && !m_ended) {
            if (m_begin > 0 && m_begin == m_end)
                m_begin = m_end = 0;
            if (m_buffer.size() - m_end < kBlock) {
                // move what is left to the front before the buffer grows (an empty buffer has
                // no data to move, and no address to give memmove)
                if (Size() > 0)
                    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, Size());
                m_end -= m_begin;
                m_begin = 0;
                if (m_buffer.size() - m_end < kBlock)
                    m_buffer.resize(m_end + kBlock);
            }
            m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(kBlock));
            const auto got = static_cast<std::size_t>(m_in.gcount());
            m_end += got;
            m_ended = got < kBlock;
        }
        return Size() < n ? Size() : n;
    }
    const char* Data() const { return m_buffer.data() + m_begin; }
    std::size_t Size() const { return m_end - m_begin; }
    void Skip(std::size_t n) {
        m_begin += n;
        m_offset += n;
    }
    /// How many bytes came before Data().
    std::uint64_t Offset() const { return m_offset; }
    /// The line (from 1) and column (from 1) of Data(), counting the line feeds that Line()
    /// and Token() passed.
    long long LineNumber() const { return m_line; }
    long long Column() const { return static_cast<long long>(m_offset - m_lineStart) + 1; }
    /// True when the stream lost its integrity (not just its end) while being read.
    bool Broken() const { return m_in.bad(); }

    /// The next line without its line feed and a carriage return before it; false at the end.
    bool Line(std::string_view& line) {
        std::size_t scanned = 0;
        const void* found = nullptr;
        while (!(found = Size() > scanned ? std::memchr(Data() + scanned, '\n', Size() - scanned)
                                          : nullptr)) {
            scanned = Size();
            if (Fill(scanned + 1) == scanned) // the last line has no line feed
                break;
        }
        if (!found && Size() == 0)
            return false;
        const std::size_t length =
            found ? std::size_t(static_cast<const char*>(found) - Data()) : Size();
        line = std::string_view(Data(), length);
        Skip(found ? length + 1 : length);
        if (found)
            NewLine();
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    }

    /// The next whitespace-separated token; false at the end.
    bool Token(std::string_view& token) {
        for (;;) {
            while (Size() > 0 && IsBlank(*Data())) {
                const bool feed = *Data() == '\n';
                Skip(1);
                if (feed)
                    NewLine();
            }
            if (Size() > 0 || Fill(1) == 0)
                break;
        }
        if (Size() == 0)
            return false;
        std::size_t length = 0;
        for (;;) {
            while (length < Size() && !IsBlank(Data()[length]))
                ++length;
            if (length < Size() || Fill(length + 1) == length)
                break;
        }
        token = std::string_view(Data(), length);
        Skip(length);
        return true;
    }

    static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

private:
    void NewLine() {
        ++m_line;
        m_lineStart = m_offset;
    }
    static constexpr std::size_t kBlock = 1 << 16;
    std::istream& m_in;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0, m_end = 0;
    bool m_ended = false;
    std::uint64_t m_offset = 0, m_lineStart = 0;
    long long m_line = 1;
};

/// Splits off the next blank-separated word of `line`.
inline std::string_view NextWord(std::string_view& line) {
    std::size_t at = 0;
    while (at < line.size() && ByteInput::IsBlank(line[at]))
        ++at;
    std::size_t end = at;
    while (end < line.size() && !ByteInput::IsBlank(line[end]))
        ++end;
    const std::string_view word = line.substr(at, end - at);
    line.remove_prefix(end);
    return word;
}

/// What a decimal number beyond the double range rounds to: ±infinity when its exponent is
/// large, ±0 when it is a large negative one.
inline double BeyondDouble(std::string_view text) {
    const double sign = text[0] == '-' ? -1.0 : 1.0;
    const std::size_t e = text.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
    return tiny ? sign * 0.0 : sign * HUGE_VAL;
}

/// The float written in `text` (an optional '+' or '-', then what from_chars reads), rounded
/// once to binary32; values beyond the range become ±infinity, tiny ones 0 or subnormal.
inline bool ParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text[0] == '+' && text.size() > 1 && text[1] != '-')
        text.remove_prefix(1);
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(text.data(), last, value);
    if (error == std::errc::result_out_of_range) {
        double wide = 0;
        auto [wideEnd, wideError] = std::from_chars(text.data(), last, wide);
        if (wideError == std::errc::result_out_of_range) // beyond even a double
            wide = BeyondDouble(text);
        value = static_cast<float>(wide);
        return wideEnd == last;
    }
    return error == std::errc() && end == last;
}

/// The double written in `text`, as ParseFloat reads a float.
inline bool ParseDouble(std::string_view text, double& value) {
    if (!text.empty() && text[0] == '+' && text.size() > 1 && text[1] != '-')
        text.remove_prefix(1);
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(text.data(), last, value);
    if (error == std::errc::result_out_of_range && end == last) {
        value = BeyondDouble(text);
        return true;
    }
    return error == std::errc() && end == last;
}

/// The integer written in `text` (an optional sign, then decimal digits).
inline bool ParseInteger(std::string_view text, long long& value) {
    if (!text.empty() && text[0] == '+' && text.size() > 1 && text[1] != '-')
        text.remove_prefix(1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

/// Writes text into a buffer that goes to the stream in large pieces.
class TextOutput {
public:
    explicit TextOutput(std::ostream& out) : m_out(out) {}
    ~TextOutput() { Flush(); }
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    TextOutput& Text(std::string_view text) {
        if (text.size() > Room())
            Flush();
        if (text.size() > Room()) {
            m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
            return *this;
        }
        std::memcpy(m_buffer + m_used, text.data(), text.size());
        m_used += text.size();
        return *this;
    }
    /// The shortest text that reads back as the same binary32 value.
    TextOutput& Number(float value) {
        Make(32);
        m_used = std::size_t(
            std::to_chars(m_buffer + m_used, m_buffer + sizeof m_buffer, value).ptr - m_buffer);
        return *this;
    }
    TextOutput& Number(long long value) {
        Make(24);
        m_used = std::size_t(
            std::to_chars(m_buffer + m_used, m_buffer + sizeof m_buffer, value).ptr - m_buffer);
        return *this;
    }
    TextOutput& Bytes(const void* data, std::size_t size) {
        return Text(std::string_view(static_cast<const char*>(data), size));
    }
    void Flush() {
        if (m_used > 0)
            m_out.write(m_buffer, static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    std::size_t Room() const { return sizeof m_buffer - m_used; }
    void Make(std::size_t room) {
        if (Room() < room)
            Flush();
    }
    std::ostream& m_out;
    char m_buffer[1 << 15];
    std::size_t m_used = 0;
};

/// How many bytes the stream holds after its position, when its buffer can tell without
/// reading (it seeks, and back); else 0. The stream's state and position stay as they were.
inline std::uint64_t BytesAhead(std::istream& in) {
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good())
        return 0;
    const std::streampos here = buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (here == std::streampos(-1))
        return 0;
    const std::streampos end = buffer->pubseekoff(0, std::ios_base::end, std::ios_base::in);
    buffer->pubseekpos(here, std::ios_base::in);
    return end > here ? std::uint64_t(end - here) : 0;
}

/// Little-endian binary32 and integers, byte by byte, so the host's byte order does not matter.
inline std::uint32_t LoadU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline float LoadF32(const unsigned char* p) {
    const std::uint32_t bits = LoadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline void StoreU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void StoreF32(unsigned char* p, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    StoreU32(p, bits);
}

} // namespace mgmesh::detail
