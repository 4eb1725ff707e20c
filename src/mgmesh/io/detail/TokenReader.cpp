// The token reader: formatted extraction straight from the stream buffer.
//
// Each token is first read from the characters already in the buffer's get area, with plain
// pointer steps; only a token that runs into the end of that area is read (again, from its
// start, for a number) through sgetc and snextc, which refill the buffer. Both ways run the
// same scanning code, so they agree character for character.
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/io/detail/NumberScan.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>
#include <system_error>
#include <type_traits>

namespace mgmesh::detail {

namespace {

using Traits = std::char_traits<char>;
constexpr int kEof = Traits::eof();
constexpr std::ios_base::iostate kGood = std::ios_base::goodbit;
constexpr std::ios_base::iostate kEofBit = std::ios_base::eofbit;
constexpr std::ios_base::iostate kFailBit = std::ios_base::failbit;
constexpr std::ios_base::iostate kBadBit = std::ios_base::badbit;

// isspace of the classic locale: space, \t, \n, \v, \f, \r; nothing above 127
inline bool IsSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The get area of any stream buffer. Its pointers are protected members; naming them through
// a class derived from the buffer's type gives pointers to members that apply to every buffer.
struct GetArea : std::streambuf {
    static const char* Next(std::streambuf* b) { return (b->*&GetArea::gptr)(); }
    static const char* End(std::streambuf* b) { return (b->*&GetArea::egptr)(); }
    static void Advance(std::streambuf* b, std::ptrdiff_t n) {
        for (; n > INT_MAX; n -= INT_MAX)
            (b->*&GetArea::gbump)(INT_MAX);
        (b->*&GetArea::gbump)(static_cast<int>(n));
    }
};

// Characters through the buffer's interface, one at a time.
struct BufferSource {
    std::streambuf* buffer;
    int Get() { return buffer->sgetc(); }
    int Next() { return buffer->snextc(); }
};

// The characters of the get area only. Running into its end reads as the end of input and
// marks the read as unfinished, to be done again through BufferSource.
struct AreaSource {
    const char* p;
    const char* end;
    bool ranOut = false;
    int Get() {
        if (p < end)
            return Traits::to_int_type(*p);
        ranOut = true;
        return kEof;
    }
    int Next() {
        ++p;
        return Get();
    }
};

// The characters of a float as collected: in a small array on the fast way (too long a
// number is done again the slow way), in a string otherwise.
struct ShortText {
    char data[64];
    std::size_t size = 0;
    bool overflow = false;
    void Add(char c) {
        if (size + 1 < sizeof data)
            data[size++] = c;
        else
            overflow = true;
    }
    const char* CStr() {
        data[size] = '\0';
        return data;
    }
};

struct LongText {
    std::string& text;
    void Add(char c) { text += c; }
    const char* CStr() { return text.c_str(); }
    std::size_t Size() const { return text.size(); }
};

// The standard library's float collection: sign, leading zeros folded into one, digits, one
// point before any exponent, and an exponent mark (only after a digit) with an optional sign.
// Returns whether the input ended.
template <class Source, class Text> bool CollectFloat(Source& source, Text& text) {
    int c = source.Get();
    bool atEnd = c == kEof;
    if (!atEnd && (c == '+' || c == '-')) {
        text.Add(static_cast<char>(c));
        c = source.Next();
        atEnd = c == kEof;
    }
    bool foundMantissa = false;
    while (!atEnd && c == '0') {
        if (!foundMantissa) {
            text.Add('0');
            foundMantissa = true;
        }
        c = source.Next();
        atEnd = c == kEof;
    }
    bool foundPoint = false;
    bool foundExponent = false;
    while (!atEnd) {
        if (IsDigit(c)) {
            text.Add(static_cast<char>(c));
            foundMantissa = true;
        } else if (c == '.' && !foundPoint && !foundExponent) {
            text.Add('.');
            foundPoint = true;
        } else if ((c == 'e' || c == 'E') && !foundExponent && foundMantissa) {
            text.Add('e');
            foundExponent = true;
            c = source.Next();
            if (c == kEof) {
                atEnd = true;
                break;
            }
            if (c == '+' || c == '-')
                text.Add(static_cast<char>(c));
            else
                continue; // look at this character again as a digit
        } else {
            break;
        }
        c = source.Next();
        atEnd = c == kEof;
    }
    return atEnd;
}

// The standard library's base-10 integer parse: optional sign, leading zeros (a following x
// ends the number in base 10), digits accumulated unsigned with overflow detection.
template <class Integer, class Source>
void ParseInteger(Source& source, Integer& value, std::ios_base::iostate& state) {
    using Unsigned = std::make_unsigned_t<Integer>;
    constexpr Integer kMin = std::numeric_limits<Integer>::min();
    constexpr Integer kMax = std::numeric_limits<Integer>::max();
    int c = source.Get();
    bool atEnd = c == kEof;
    bool negative = false;
    if (!atEnd && (c == '-' || c == '+')) {
        negative = c == '-';
        c = source.Next();
        atEnd = c == kEof;
    }
    bool foundZero = false;
    while (!atEnd && c == '0') {
        foundZero = true;
        c = source.Next();
        atEnd = c == kEof;
    }
    const Unsigned max =
        negative ? Unsigned(0) - static_cast<Unsigned>(kMin) : static_cast<Unsigned>(kMax);
    const Unsigned maxBeforeDigit = max / 10;
    Unsigned result = 0;
    bool foundDigit = false;
    bool overflow = false;
    while (!atEnd && IsDigit(c)) {
        const Unsigned digit = static_cast<Unsigned>(c - '0');
        if (result > maxBeforeDigit) {
            overflow = true;
        } else {
            result *= 10;
            overflow |= result > max - digit;
            result += digit;
            foundDigit = true;
        }
        c = source.Next();
        atEnd = c == kEof;
    }
    if (!foundDigit && !foundZero) {
        value = 0;
        state = kFailBit;
    } else if (overflow) {
        value = negative ? kMin : kMax;
        state = kFailBit;
    } else if (negative) {
        value = result == 0 ? 0 : -static_cast<Integer>(result - 1) - 1;
    } else {
        value = static_cast<Integer>(result);
    }
    if (atEnd)
        state |= kEofBit;
}

// Reads the characters of a word: a run of non-space characters, each handed to `keep`.
// Returns the count and sets the end-of-input flag in `state` when the input ended.
template <class Keep>
std::size_t ScanWord(std::streambuf* buffer, std::ios_base::iostate& state, Keep keep) {
    std::size_t extracted = 0;
    const char* first = GetArea::Next(buffer);
    const char* end = GetArea::End(buffer);
    const char* p = first;
    while (p < end && !IsSpace(Traits::to_int_type(*p)))
        ++p;
    if (p != first) {
        keep(first, static_cast<std::size_t>(p - first));
        GetArea::Advance(buffer, p - first);
        extracted = static_cast<std::size_t>(p - first);
    }
    if (p < end)
        return extracted; // ended by a space in the get area
    // the word may go on past the get area: one character at a time, through the buffer
    char chunk[128];
    std::size_t length = 0;
    int c = buffer->sgetc();
    while (c != kEof && !IsSpace(c)) {
        if (length == sizeof chunk) {
            keep(chunk, length);
            length = 0;
        }
        chunk[length++] = Traits::to_char_type(c);
        ++extracted;
        c = buffer->snextc();
    }
    keep(chunk, length);
    if (c == kEof)
        state |= kEofBit;
    return extracted;
}

} // namespace

TokenReader::TokenReader(std::istream& in) : m_in(in), m_saved(in.imbue(std::locale::classic())) {}

TokenReader::~TokenReader() {
    m_in.imbue(m_saved);
}

// Marks the stream bad after an exception from its buffer and passes that exception on when
// the stream's exception mask asks for it, as the library's own extractions do.
#define MGMESH_SET_BAD_AND_MAYBE_RETHROW()                                                         \
    do {                                                                                           \
        try {                                                                                      \
            m_in.setstate(kBadBit);                                                                \
        } catch (const std::ios_base::failure&) {                                                  \
        }                                                                                          \
        if (m_in.exceptions() & kBadBit)                                                           \
            throw;                                                                                 \
    } while (0)

// The sentry of a formatted extraction: flushes the tied stream and skips whitespace.
bool TokenReader::Start() {
    std::ios_base::iostate state = kGood;
    if (m_in.good()) {
        try {
            if (m_in.tie())
                m_in.tie()->flush();
            if (m_in.flags() & std::ios_base::skipws) {
                std::streambuf* buffer = m_in.rdbuf();
                const char* first = GetArea::Next(buffer);
                const char* end = GetArea::End(buffer);
                const char* p = first;
                while (p < end && IsSpace(Traits::to_int_type(*p)))
                    ++p;
                if (p != first)
                    GetArea::Advance(buffer, p - first);
                if (p == end) { // the spaces may go on past the get area
                    int c = buffer->sgetc();
                    while (c != kEof && IsSpace(c))
                        c = buffer->snextc();
                    if (c == kEof)
                        state |= kEofBit;
                }
            }
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
    }
    if (m_in.good() && state == kGood)
        return true;
    m_in.setstate(state | kFailBit);
    return false;
}

bool TokenReader::Word(std::string& word) {
    if (m_in.width() > 0) // a field width limits the word: the library's own extraction
        return static_cast<bool>(m_in >> word);
    std::ios_base::iostate state = kGood;
    std::size_t extracted = 0;
    if (Start()) {
        try {
            word.clear();
            extracted = ScanWord(m_in.rdbuf(), state, [&word](const char* text, std::size_t n) {
                word.append(text, n);
            });
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
    }
    if (!extracted)
        state |= kFailBit;
    if (state)
        m_in.setstate(state);
    return !m_in.fail();
}

bool TokenReader::Word(char* text, std::size_t capacity, std::size_t& length) {
    length = 0;
    if (m_in.width() > 0) {
        std::string word;
        const bool read = static_cast<bool>(m_in >> word);
        length = word.copy(text, capacity);
        return read;
    }
    std::ios_base::iostate state = kGood;
    std::size_t extracted = 0;
    if (Start()) {
        try {
            extracted = ScanWord(m_in.rdbuf(), state, [&](const char* part, std::size_t n) {
                const std::size_t kept = length + n > capacity ? capacity - length : n;
                Traits::copy(text + length, part, kept);
                length += kept;
            });
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
    }
    if (!extracted)
        state |= kFailBit;
    if (state)
        m_in.setstate(state);
    return !m_in.fail();
}

template <class Integer>
void TokenReader::ExtractInteger(Integer& value, std::ios_base::iostate& state) {
    std::streambuf* buffer = m_in.rdbuf();
    AreaSource area{GetArea::Next(buffer), GetArea::End(buffer)};
    const char* first = area.p;
    Integer fast = 0;
    std::ios_base::iostate fastState = kGood;
    ParseInteger(area, fast, fastState);
    if (!area.ranOut) {
        GetArea::Advance(buffer, area.p - first);
        value = fast;
        state = fastState;
        return;
    }
    BufferSource source{buffer};
    ParseInteger(source, value, state);
}

template <class Integer> bool TokenReader::Integral(Integer& value) {
    if ((m_in.flags() & std::ios_base::basefield) != std::ios_base::dec)
        return static_cast<bool>(m_in >> value);
    if (Start()) {
        std::ios_base::iostate state = kGood;
        try {
            ExtractInteger(value, state);
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
        if (state)
            m_in.setstate(state);
    }
    return !m_in.fail();
}

bool TokenReader::Long(long& value) {
    return Integral(value);
}

bool TokenReader::Id(std::intptr_t& value) {
    return Integral(value);
}

bool TokenReader::Int(int& value) {
    if ((m_in.flags() & std::ios_base::basefield) != std::ios_base::dec)
        return static_cast<bool>(m_in >> value);
    if (Start()) {
        std::ios_base::iostate state = kGood;
        try {
            long wide = 0;
            ExtractInteger(wide, state);
            // read as a long, then brought into range
            if (wide < INT_MIN) {
                state |= kFailBit;
                value = INT_MIN;
            } else if (wide > INT_MAX) {
                state |= kFailBit;
                value = INT_MAX;
            } else {
                value = static_cast<int>(wide);
            }
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
        if (state)
            m_in.setstate(state);
    }
    return !m_in.fail();
}

void TokenReader::ExtractFloat(float& value, std::ios_base::iostate& state) {
    std::streambuf* buffer = m_in.rdbuf();
    AreaSource area{GetArea::Next(buffer), GetArea::End(buffer)};
    const char* first = area.p;
    const char* end = nullptr;
    float fast = 0.0f;
    if (PlainFloat(first, area.end, fast, end)) {
        GetArea::Advance(buffer, end - first);
        value = fast;
        return;
    }
    ShortText shortText;
    CollectFloat(area, shortText);
    if (!area.ranOut && !shortText.overflow) {
        GetArea::Advance(buffer, area.p - first);
        value = ConvertFloat(shortText.CStr(), shortText.size, state);
        return;
    }
    m_number.clear();
    LongText text{m_number};
    BufferSource source{buffer};
    const bool atEnd = CollectFloat(source, text);
    value = ConvertFloat(text.CStr(), text.Size(), state);
    if (atEnd)
        state |= kEofBit;
}

bool TokenReader::Float(float& value) {
    if (Start()) {
        std::ios_base::iostate state = kGood;
        try {
            ExtractFloat(value, state);
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
        if (state)
            m_in.setstate(state);
    }
    return !m_in.fail();
}

#undef MGMESH_SET_BAD_AND_MAYBE_RETHROW

void TokenReader::BufferedText(const char*& first, const char*& last) {
    std::streambuf* buffer = m_in.rdbuf();
    if (!m_in.good() || !(m_in.flags() & std::ios_base::skipws) || m_in.tie() || m_in.width() > 0 ||
        !buffer) {
        first = last = nullptr;
        return;
    }
    first = GetArea::Next(buffer);
    last = GetArea::End(buffer);
    if (!first)
        last = nullptr;
}

void TokenReader::Consume(const char* end) {
    std::streambuf* buffer = m_in.rdbuf();
    GetArea::Advance(buffer, end - GetArea::Next(buffer));
}

} // namespace mgmesh::detail
