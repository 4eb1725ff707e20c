// The token reader against the standard library's own extraction, step by step.
#include <cfloat>
#include <climits>
#include <cstring>
#include <locale>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/detail/TokenReader.h"

using mgmesh::detail::TokenReader;

namespace {

enum class Op { Word, Int, Long, Float, SkipLine, Clear };

// A buffer that hands out one character at a time, so that every character crosses a refill.
class TrickleBuffer : public std::streambuf {
public:
    explicit TrickleBuffer(std::string text) : m_text(std::move(text)) {}

protected:
    int_type underflow() override {
        if (gptr() && gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const std::size_t at = gptr() ? static_cast<std::size_t>(gptr() - m_text.data()) : 0;
        if (at >= m_text.size())
            return traits_type::eof();
        char* p = &m_text[at];
        setg(m_text.data(), p, p + 1);
        return traits_type::to_int_type(*p);
    }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        if (off != 0 || dir != std::ios_base::cur)
            return pos_type(off_type(-1));
        return pos_type(gptr() ? off_type(gptr() - m_text.data()) : 0);
    }

private:
    std::string m_text;
};

// What one step left behind, for comparison.
struct Outcome {
    bool result = false;
    bool threw = false;
    std::string word;
    long number = 0;
    std::uint32_t floatBits = 0;
    std::ios_base::iostate state{};
    long long position = 0;

    bool operator==(const Outcome& o) const {
        return result == o.result && threw == o.threw && word == o.word && number == o.number &&
               floatBits == o.floatBits && state == o.state && position == o.position;
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{result " << o.result << ", threw " << o.threw << ", word \"" << o.word
               << "\", number " << o.number << ", float bits " << std::hex << o.floatBits
               << std::dec << ", state " << o.state << ", position " << o.position << "}";
}

long long PositionOf(std::istream& in) {
    return static_cast<long long>(in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in));
}

std::uint32_t BitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// One step done with plain extraction (reference) or with the token reader.
template <class Reader>
Outcome RunStep(Reader& reader, std::istream& in, Op op, std::streamsize count) {
    Outcome o;
    o.word = "before";
    o.number = 12345;
    float value = 678.0f;
    try {
        switch (op) {
        case Op::Word:
            o.result = reader.Word(o.word);
            break;
        case Op::Int: {
            int n = 12345;
            o.result = reader.Int(n);
            o.number = n;
            break;
        }
        case Op::Long:
            o.result = reader.Long(o.number);
            break;
        case Op::Float:
            o.result = reader.Float(value);
            break;
        case Op::SkipLine:
            reader.SkipLine(count);
            break;
        case Op::Clear:
            reader.Clear();
            break;
        }
    } catch (const std::ios_base::failure&) {
        o.threw = true;
    }
    o.floatBits = BitsOf(value);
    o.state = in.rdstate();
    o.position = PositionOf(in);
    return o;
}

// The reference: the stream's own extraction in the classic locale.
struct PlainReader {
    std::istream& in;
    bool Word(std::string& w) { return static_cast<bool>(in >> w); }
    bool Int(int& n) { return static_cast<bool>(in >> n); }
    bool Long(long& n) { return static_cast<bool>(in >> n); }
    bool Float(float& f) { return static_cast<bool>(in >> f); }
    void SkipLine(std::streamsize count) { in.ignore(count, '\n'); }
    void Clear() { in.clear(); }
};

// Numbers and words of every shape the formats can meet, and many they should not.
std::string RandomToken(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto digits = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += static_cast<char>('0' + pick(10));
        return s;
    };
    static const char* const kFixed[] = {"inf",
                                         "-inf",
                                         "nan",
                                         "NaN",
                                         "infinity",
                                         "0x1f",
                                         "0X1",
                                         "0x",
                                         "-0x10",
                                         "+",
                                         "-",
                                         ".",
                                         "+.",
                                         "-.",
                                         "e",
                                         "e5",
                                         "1e",
                                         "1e+",
                                         "1e-",
                                         "1E+-3",
                                         "1.0f",
                                         "1.5.5",
                                         "1e5.5",
                                         "1e5e5",
                                         "--1",
                                         "+-1",
                                         "1-",
                                         "2147483647",
                                         "2147483648",
                                         "-2147483648",
                                         "-2147483649",
                                         "9223372036854775807",
                                         "9223372036854775808",
                                         "-9223372036854775808",
                                         "-9223372036854775809",
                                         "18446744073709551616",
                                         "3.4028235e38",
                                         "3.40282357e38",
                                         "-3.4028236e38",
                                         "1e39",
                                         "1e-38",
                                         "1.4e-45",
                                         "7e-46",
                                         "1e-46",
                                         "2.5e-45",
                                         "1e-99999999999999999999",
                                         "1e99999999999999999999",
                                         "0e999999",
                                         "000",
                                         "-000.000e-0",
                                         "0.",
                                         "00012",
                                         "1,5",
                                         "1'000",
                                         "faceBegin",
                                         "vertex",
                                         "END",
                                         "\xc3\xa9t\xc3\xa9",
                                         "abc\x01",
                                         "0.1",
                                         "16777217",
                                         "0.30000001192092896",
                                         "1.00000005960464477539"};
    switch (pick(12)) {
    case 0:
        return kFixed[pick(sizeof kFixed / sizeof kFixed[0])];
    case 1:
        return (pick(2) ? "-" : "") + digits(1 + pick(12));
    case 2: { // decimal numbers of every length and exponent
        std::string s = pick(3) == 0 ? "+" : (pick(2) ? "-" : "");
        s += digits(pick(12)) + (pick(4) ? "." : "") + digits(pick(12));
        if (pick(2))
            s += std::string(pick(2) ? "e" : "E") + (pick(2) ? "-" : (pick(2) ? "+" : "")) +
                 digits(pick(4));
        return s;
    }
    case 3: // overlong numbers: thousands of digits, sometimes with a point or exponent
        return digits(1 + pick(3000)) + (pick(2) ? "." + digits(pick(3000)) : "") +
               (pick(2) ? "e-" + digits(1 + pick(3)) : "");
    case 4: { // close to halfway between two floats
        char text[64];
        float f;
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        std::memcpy(&f, &bits, sizeof f);
        if (f != f || f - f != 0)
            f = 1.0f;
        std::snprintf(text, sizeof text, "%.*g", 8 + pick(12), static_cast<double>(f));
        return text;
    }
    case 5: { // a random word of printable and odd characters, NUL included
        std::string s;
        const int n = 1 + pick(8);
        for (int i = 0; i < n; ++i) {
            const int c = pick(5) ? 33 + pick(94) : pick(256);
            s += static_cast<char>(c);
        }
        return s;
    }
    case 6:
        return std::string(1, '\0') + digits(2);
    case 7:
        return std::to_string(static_cast<int>(random()) >> pick(31));
    default: { // numbers glued to words
        static const char* const kTails[] = {"x", "f",  "e", "E",       "e+",
                                             ".", "..", "-", "faceEnd", "\xff"};
        return digits(1 + pick(5)) + (pick(2) ? "." + digits(pick(4)) : "") +
               kTails[pick(sizeof kTails / sizeof kTails[0])];
    }
    }
}

std::string RandomSpace(std::mt19937& random) {
    static const char* const kSpaces[] = {" ",  " ",  " ",  "\t",     "\n", "\r\n",
                                          "\v", "\f", "\r", "  \n\t", ""};
    return kSpaces[random() % (sizeof kSpaces / sizeof kSpaces[0])];
}

std::string RandomInput(std::mt19937& random) {
    std::string text = random() % 4 == 0 ? RandomSpace(random) : "";
    const int tokens = static_cast<int>(random() % 12);
    for (int i = 0; i < tokens; ++i)
        text += RandomToken(random) + RandomSpace(random);
    if (random() % 3 == 0 && !text.empty()) // end in the middle of a token, or mutate one byte
        text.resize(random() % text.size());
    if (random() % 4 == 0 && !text.empty())
        text[random() % text.size()] = static_cast<char>(random());
    return text;
}

// Runs the same random steps on a plain stream and through the reader; every outcome agrees.
void Compare(const std::string& text, std::mt19937& random, bool trickle, std::string& log) {
    std::istringstream plainStream(text);
    plainStream.imbue(std::locale::classic());
    TrickleBuffer trickleBuffer(text);
    std::istringstream fastString(text);
    std::istream trickleStream(&trickleBuffer);
    std::istream& fastStream = trickle ? trickleStream : fastString;

    // now and then a stream that is not in its default state
    const unsigned setup = random() % 16;
    for (std::istream* in : {static_cast<std::istream*>(&plainStream), &fastStream}) {
        if (setup == 0)
            in->unsetf(std::ios_base::skipws);
        else if (setup == 1)
            in->width(3);
        else if (setup == 2)
            in->setf(std::ios_base::hex, std::ios_base::basefield);
        else if (setup == 3)
            in->exceptions(std::ios_base::failbit);
    }
    PlainReader plain{plainStream};
    TokenReader fast(fastStream);
    const int steps = 1 + static_cast<int>(random() % 16);
    for (int i = 0; i < steps; ++i) {
        const Op op = static_cast<Op>(random() % 6 == 5 ? 5 : random() % 5);
        const std::streamsize count = 1 + static_cast<std::streamsize>(random() % 20);
        const Outcome expected = RunStep(plain, plainStream, op, count);
        const Outcome actual = RunStep(fast, fastStream, op, count);
        log += " op" + std::to_string(static_cast<int>(op));
        ASSERT_EQ(actual, expected) << "input \"" << text << "\" steps" << log;
    }
}

} // namespace

TEST(TokenReader, AgreesWithTheStreamsOwnExtractionOnRandomInput) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 6000; ++round) {
        const std::string text = RandomInput(random);
        std::string log;
        Compare(text, random, round % 3 == 0, log);
        if (HasFatalFailure())
            return;
    }
}

TEST(TokenReader, AgreesOnTheHardCasesOneByOne) {
    // every fixed case alone, followed by nothing, a space and a word, read by each kind
    std::mt19937 random(7);
    const std::vector<std::string> endings = {"", " ", " x", "\n7"};
    for (int i = 0; i < 400; ++i) {
        const std::string token = RandomToken(random);
        for (const std::string& ending : endings) {
            for (int op = 0; op < 4; ++op) {
                std::istringstream plainStream(token + ending);
                std::istringstream fastStream(token + ending);
                PlainReader plain{plainStream};
                TokenReader fast(fastStream);
                for (int step = 0; step < 3; ++step) {
                    const Op kind = static_cast<Op>(step == 0 ? op : 0);
                    ASSERT_EQ(RunStep(fast, fastStream, kind, 1),
                              RunStep(plain, plainStream, kind, 1))
                        << "input \"" << token + ending << "\" op " << op << " step " << step;
                }
            }
        }
    }
}

TEST(TokenReader, ConvertsEveryFloatBackExactly) {
    // the shortest text of a float and a longer one read back to the same bits
    std::mt19937 random(99);
    for (int i = 0; i < 20000; ++i) {
        float f;
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        std::memcpy(&f, &bits, sizeof f);
        if (f != f || f - f != 0)
            continue;
        for (int digits : {6, 9, 17}) {
            char text[64];
            std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(f));
            std::istringstream plainStream(text), fastStream(text);
            float expected = 0, actual = 0;
            plainStream >> expected;
            TokenReader(fastStream).Float(actual);
            ASSERT_EQ(BitsOf(actual), BitsOf(expected)) << text;
            ASSERT_EQ(fastStream.rdstate(), plainStream.rdstate()) << text;
        }
    }
}

TEST(TokenReader, KnownValuesAndFlags) {
    std::istringstream in("0x1 -2147483649 1.0f 1e39 7e-46 inf - 1e-");
    TokenReader reader(in);
    int n = 5;
    EXPECT_TRUE(reader.Int(n));
    EXPECT_EQ(n, 0); // the x stays
    std::string word;
    EXPECT_TRUE(reader.Word(word));
    EXPECT_EQ(word, "x1");
    EXPECT_FALSE(reader.Int(n));
    EXPECT_EQ(n, INT_MIN);
    reader.Clear();
    float f = 5;
    EXPECT_TRUE(reader.Float(f));
    EXPECT_EQ(f, 1.0f);
    EXPECT_TRUE(reader.Word(word));
    EXPECT_EQ(word, "f");
    EXPECT_FALSE(reader.Float(f));
    EXPECT_EQ(f, FLT_MAX);
    reader.Clear();
    EXPECT_TRUE(reader.Float(f)); // underflow keeps the rounded value and does not fail
    EXPECT_EQ(f, 0.0f);
    EXPECT_FALSE(reader.Float(f));
    EXPECT_EQ(f, 0.0f);
    reader.Clear();
    EXPECT_TRUE(reader.Word(word));
    EXPECT_EQ(word, "inf");
    EXPECT_FALSE(reader.Float(f)); // the sign alone is taken
    reader.Clear();
    EXPECT_FALSE(reader.Float(f)); // an exponent without digits fails at the end of the input
    EXPECT_TRUE(reader.Eof());
    word = "kept";
    reader.Clear();
    EXPECT_FALSE(reader.Word(word));
    EXPECT_EQ(word, "kept"); // nothing to extract: the string is left alone
}

namespace {

// A numeric punctuation with a decimal comma and grouping by thousands with a point.
class CommaPunct : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(TokenReader, ReadsPointDecimalsWhateverTheLocale) {
    const std::locale comma(std::locale::classic(), new CommaPunct);
    const std::locale previous = std::locale::global(comma);
    {
        std::istringstream probe("1,5");
        float f = 0;
        probe >> f;
        EXPECT_EQ(f, 1.5f); // the stream really reads with a decimal comma
    }
    std::istringstream in("1.5 1.234 2,5");
    in.imbue(comma);
    {
        TokenReader reader(in);
        float f = 0;
        EXPECT_TRUE(reader.Float(f));
        EXPECT_EQ(f, 1.5f);
        int n = 0;
        EXPECT_TRUE(reader.Int(n));
        EXPECT_EQ(n, 1); // no grouping: the point ends the integer
        EXPECT_TRUE(reader.Float(f));
        EXPECT_EQ(f, 0.234f);
        EXPECT_TRUE(reader.Float(f));
        EXPECT_EQ(f, 2.0f);
    }
    // the stream has its own locale back
    EXPECT_EQ(std::use_facet<std::numpunct<char>>(in.getloc()).decimal_point(), ',');
    std::locale::global(previous);
}

TEST(TokenReader, LeavesTheStreamWhereAnotherReaderContinues) {
    std::istringstream in("word 12 3.5 rest of line\nnext");
    {
        TokenReader reader(in);
        std::string word;
        int n;
        float f;
        reader.Word(word);
        reader.Int(n);
        reader.Float(f);
    }
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, " rest of line");
    in >> rest;
    EXPECT_EQ(rest, "next");
}

namespace {

// Counts the flushes that reading asks of a tied output stream.
class SyncCounter : public std::stringbuf {
public:
    int syncs = 0;

protected:
    int sync() override {
        ++syncs;
        return 0;
    }
};

} // namespace

TEST(TokenReader, FlushesATiedStreamBeforeEachExtraction) {
    SyncCounter counter;
    std::ostream prompt(&counter);
    std::istringstream in("a 1 2.5");
    in.tie(&prompt);
    TokenReader reader(in);
    std::string word;
    int n;
    float f;
    reader.Word(word);
    reader.Int(n);
    reader.Float(f);
    EXPECT_EQ(counter.syncs, 3);
}
