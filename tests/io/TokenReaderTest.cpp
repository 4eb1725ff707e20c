// The token reader against the stream's own extraction, step by step: every read leaves the
// same result, target value, state flags, position and exception.
#include "mgmesh/io/detail/TokenReader.h"
#include "IoSupport.h"
#include "support/ChunkBuffer.h"
#include "support/StreamReference.h"

using mgmesh::detail::TokenReader;

namespace {

// One read (0 word, 1 int, 2 long, 3 float, 4 skip line, 5 clear) and all it left behind.
template <class Reader> std::string Step(Reader& reader, std::istream& in, unsigned op) {
    bool result = false, threw = false;
    std::string word = "before";
    int n = 12345;
    long l = 12345;
    float f = 678.0f;
    const std::function<bool()> reads[] = {[&] { return reader.Word(word); },
                                           [&] { return reader.Int(n); },
                                           [&] { return reader.Long(l); },
                                           [&] { return reader.Float(f); },
                                           [&] { return reader.SkipLine(7), false; },
                                           [&] { return reader.Clear(), false; }};
    try {
        result = reads[op]();
    } catch (const std::ios_base::failure&) {
        threw = true;
    }
    std::ostringstream s;
    s << "result " << result << " threw " << threw << " word \"" << word << "\" int " << n
      << " long " << l << " float " << std::hexfloat << f << ' ' << support::StreamState(in);
    return s.str();
}

// Numbers and words of every shape the formats can meet, and many they should not; with
// the separators of RandomInput, also numbers glued to words.
std::string RandomToken(std::mt19937& random) {
    static const std::string kFixed =
        " inf -inf nan NaN infinity 0x1f 0X1 0x -0x10 + - . +. -. e e5 1e 1e+ 1e- 1E+-3 1.0f "
        "1.5.5 1e5.5 1e5e5 --1 +-1 1- 2147483647 2147483648 -2147483648 -2147483649 "
        "9223372036854775807 9223372036854775808 -9223372036854775808 -9223372036854775809 "
        "18446744073709551616 3.4028235e38 3.40282357e38 -3.4028236e38 1e39 1e-38 1.4e-45 7e-46 "
        "1e-46 2.5e-45 1e-99999999999999999999 1e99999999999999999999 0e999999 000 -000.000e-0 "
        "0. 00012 1,5 1'000 faceBegin END \xc3\xa9t\xc3\xa9 abc\x01 0.1 16777217 \xff "
        "0.30000001192092896 1.00000005960464477539 ";
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto digits = [&](int n) {
        std::string s;
        while (n-- > 0)
            s += char('0' + pick(10));
        return s;
    };
    const char* const signs[] = {"", "+", "-"};
    switch (pick(6)) {
    case 0: { // a word of the list above
        const std::size_t at = kFixed.rfind(' ', std::size_t(pick(int(kFixed.size()) - 1)));
        return kFixed.substr(at + 1, kFixed.find(' ', at + 1) - at - 1);
    }
    case 1:
        return signs[pick(3)] + digits(1 + pick(20));
    case 2: { // decimals of every length, with and without an exponent
        std::string s = signs[pick(3)] + digits(pick(12)) + (pick(4) ? "." : "") + digits(pick(12));
        return pick(2) ? s + (pick(2) ? "e" : "E") + signs[pick(3)] + digits(pick(4)) : s;
    }
    case 3: // thousands of digits
        return digits(1 + pick(3000)) + (pick(2) ? "." + digits(pick(3000)) : "") +
               (pick(2) ? "e-" + digits(1 + pick(3)) : "");
    default: { // any float at 6 to 19 digits, near halfway between two floats
        const std::uint32_t bits = std::uint32_t(random());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", 6 + pick(14), double(f));
        return text;
    }
    }
}

std::string RandomInput(std::mt19937& random) {
    static const char* const kSpaces[] = {" ", " ", "\t", "\n", "\r\n", "\v", "\f", "\r", ""};
    std::string text = random() % 4 ? "" : " \n";
    for (int i = random() % 3 ? int(random() % 12) : 1; i > 0; --i)
        text += RandomToken(random) + kSpaces[random() % 9];
    if (random() % 3 == 0 && !text.empty()) // cut inside a token
        text.resize(random() % text.size());
    if (random() % 3 == 0 && !text.empty()) // one byte changed, NUL included
        text[random() % text.size()] = char(random() % 2 ? random() : 33 + random() % 94);
    return text;
}

} // namespace

TEST(TokenReader, AgreesWithTheStreamsOwnExtraction) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 12000; ++round) {
        const std::string text = RandomInput(random);
        std::istringstream plainStream(text), fastString(text);
        support::ChunkBuffer trickle(text, 1);
        std::istream trickleStream(&trickle);
        std::istream& fastStream = round % 3 ? fastString : trickleStream;
        io::SyncCounter plainTie, fastTie;
        std::ostream plainOut(&plainTie), fastOut(&fastTie);
        const unsigned setup = random() % 12; // now and then a stream not in its default state
        for (std::istream* in : {static_cast<std::istream*>(&plainStream), &fastStream}) {
            if (setup < 2)
                in->setf(setup ? std::ios_base::hex : std::ios_base::fmtflags{},
                         setup ? std::ios_base::basefield : std::ios_base::skipws);
            in->width(setup == 2 ? 3 : 0);
            in->exceptions(setup == 3 ? std::ios_base::failbit : std::ios_base::goodbit);
            in->tie(setup != 4 ? nullptr : in == &plainStream ? &plainOut : &fastOut);
        }
        support::PlainReader plain{plainStream};
        TokenReader fast(fastStream);
        std::string ops;
        for (int i = 1 + int(random() % 16); i > 0; --i) {
            const unsigned op = random() % 6 == 5 ? 5 : random() % 5;
            ops += std::to_string(op);
            ASSERT_EQ(Step(fast, fastStream, op), Step(plain, plainStream, op))
                << "input \"" << text << "\" ops " << ops;
        }
        ASSERT_EQ(fastTie.syncs, plainTie.syncs); // a tied stream is flushed before each read
    }
}

TEST(TokenReader, ReadsPointDecimalsWhateverTheLocale) {
    std::istringstream in("1.5 1.234 2,5");
    in.imbue(io::CommaLocale());
    float f = 0;
    int n = 0;
    std::string rest;
    EXPECT_TRUE(TokenReader(in).Float(f) && TokenReader(in).Int(n) && TokenReader(in).Word(rest));
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(n, 1);                   // no digit grouping either
    EXPECT_TRUE(in >> f && f == 2.5f); // the stream has its own locale back
}
