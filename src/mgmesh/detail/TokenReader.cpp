// The token reader: formatted extraction straight from the stream buffer.
#include "mgmesh/detail/TokenReader.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <system_error>

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
inline bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// The C locale for strtof_l, made once. The standard library converts floats with it, so the
// rare inputs that from_chars does not settle are converted by the very same routine.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// What the standard library's float extraction makes of the characters it collected: the
// whole text must convert, and a value beyond the float range becomes ±FLT_MAX with failure.
// An underflow keeps its rounded value (zero or a denormal) and does not fail.
float ConvertFloat(const std::string& text, std::ios_base::iostate& state) {
    if (text.empty()) {
        state = kFailBit;
        return 0.0f;
    }
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') // from_chars takes no plus sign
        ++first;
    float value = 0.0f;
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec == std::errc() && result.ptr == last)
        return value;
    // incomplete text, overflow and underflow: ask strtof_l itself
    char* end = nullptr;
    value = strtof_l(text.c_str(), &end, CLocale());
    if (end == text.c_str() || *end != '\0') {
        state = kFailBit;
        return 0.0f;
    }
    if (value > FLT_MAX) {
        state = kFailBit;
        return FLT_MAX;
    }
    if (value < -FLT_MAX) {
        state = kFailBit;
        return -FLT_MAX;
    }
    return value;
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
                int c = buffer->sgetc();
                while (c != kEof && IsSpace(c))
                    c = buffer->snextc();
                if (c == kEof)
                    state |= kEofBit;
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
            std::streambuf* buffer = m_in.rdbuf();
            char chunk[128];
            std::size_t length = 0;
            int c = buffer->sgetc();
            while (c != kEof && !IsSpace(c)) {
                if (length == sizeof(chunk)) {
                    word.append(chunk, length);
                    length = 0;
                }
                chunk[length++] = Traits::to_char_type(c);
                ++extracted;
                c = buffer->snextc();
            }
            word.append(chunk, length);
            if (c == kEof)
                state |= kEofBit;
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

// The standard library's base-10 integer parse: optional sign, leading zeros (a following x
// ends the number in base 10), digits accumulated unsigned with overflow detection.
void TokenReader::ExtractLong(long& value, std::ios_base::iostate& state) {
    std::streambuf* buffer = m_in.rdbuf();
    int c = buffer->sgetc();
    bool atEnd = c == kEof;
    bool negative = false;
    if (!atEnd && (c == '-' || c == '+')) {
        negative = c == '-';
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    bool foundZero = false;
    while (!atEnd && c == '0') {
        foundZero = true;
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    const unsigned long max = negative ? 0UL - static_cast<unsigned long>(LONG_MIN)
                                       : static_cast<unsigned long>(LONG_MAX);
    const unsigned long maxBeforeDigit = max / 10;
    unsigned long result = 0;
    bool foundDigit = false;
    bool overflow = false;
    while (!atEnd && IsDigit(c)) {
        const unsigned long digit = static_cast<unsigned long>(c - '0');
        if (result > maxBeforeDigit) {
            overflow = true;
        } else {
            result *= 10;
            overflow |= result > max - digit;
            result += digit;
            foundDigit = true;
        }
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    if (!foundDigit && !foundZero) {
        value = 0;
        state = kFailBit;
    } else if (overflow) {
        value = negative ? LONG_MIN : LONG_MAX;
        state = kFailBit;
    } else if (negative) {
        value = result == 0 ? 0 : -static_cast<long>(result - 1) - 1;
    } else {
        value = static_cast<long>(result);
    }
    if (atEnd)
        state |= kEofBit;
}

bool TokenReader::Long(long& value) {
    if ((m_in.flags() & std::ios_base::basefield) != std::ios_base::dec)
        return static_cast<bool>(m_in >> value);
    if (Start()) {
        std::ios_base::iostate state = kGood;
        try {
            ExtractLong(value, state);
        } catch (...) {
            MGMESH_SET_BAD_AND_MAYBE_RETHROW();
        }
        if (state)
            m_in.setstate(state);
    }
    return !m_in.fail();
}

bool TokenReader::Int(int& value) {
    if ((m_in.flags() & std::ios_base::basefield) != std::ios_base::dec)
        return static_cast<bool>(m_in >> value);
    if (Start()) {
        std::ios_base::iostate state = kGood;
        try {
            long wide = 0;
            ExtractLong(wide, state);
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

// The standard library's float collection: sign, leading zeros folded into one, digits, one
// point before any exponent, and an exponent mark (only after a digit) with an optional sign.
// The collected text is converted as a whole.
void TokenReader::ExtractFloat(float& value, std::ios_base::iostate& state) {
    std::string& text = m_number;
    text.clear();
    std::streambuf* buffer = m_in.rdbuf();
    int c = buffer->sgetc();
    bool atEnd = c == kEof;
    if (!atEnd && (c == '+' || c == '-')) {
        text += static_cast<char>(c);
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    bool foundMantissa = false;
    while (!atEnd && c == '0') {
        if (!foundMantissa) {
            text += '0';
            foundMantissa = true;
        }
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    bool foundPoint = false;
    bool foundExponent = false;
    while (!atEnd) {
        if (IsDigit(c)) {
            text += static_cast<char>(c);
            foundMantissa = true;
        } else if (c == '.' && !foundPoint && !foundExponent) {
            text += '.';
            foundPoint = true;
        } else if ((c == 'e' || c == 'E') && !foundExponent && foundMantissa) {
            text += 'e';
            foundExponent = true;
            c = buffer->snextc();
            if (c == kEof) {
                atEnd = true;
                break;
            }
            if (c == '+' || c == '-')
                text += static_cast<char>(c);
            else
                continue; // look at this character again as a digit
        } else {
            break;
        }
        c = buffer->snextc();
        atEnd = c == kEof;
    }
    value = ConvertFloat(text, state);
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

} // namespace mgmesh::detail
