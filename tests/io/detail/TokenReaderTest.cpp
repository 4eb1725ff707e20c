// The token reader against the stream's own extraction, step by step: every read leaves the
// same result, target value, state flags, position and exception.
#include "mgmesh/io/detail/TokenReader.h"
#include "io/IoSupport.h"

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

std::string RandomInput(std::mt19937& random) {
    static const char* const kSpaces[] = {" ", " ", "\t", "\n", "\r\n", "\v", "\f", "\r", ""};
    std::string text = random() % 4 ? "" : " \n";
    for (int i = random() % 3 ? int(random() % 12) : 1; i > 0; --i)
        text += io::RandomToken(random) + kSpaces[random() % 9];
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

TEST(TokenReader, BoundedWordsAreReadAsTheStreamReadsWords) {
    std::mt19937 random(5);
    static const char* const kSpaces[] = {" ", "\n", "\t ", "\r\n      ", ""};
    for (int round = 0; round < 3000; ++round) {
        std::string text = random() % 2 ? "  " : "";
        for (int i = int(random() % 8); i > 0; --i) {
            std::string word(1 + random() % 30, 'a');
            for (char& c : word)
                c = char(33 + random() % 94);
            text += word + kSpaces[random() % 5];
        }
        std::istringstream plain(text);
        support::ChunkBuffer chunks(text, 1 + random() % 12, unsigned(round + 1));
        std::istream fast(&chunks);
        if (round % 7 == 0)
            for (std::istream* in : {static_cast<std::istream*>(&plain), &fast})
                in->width(4);
        TokenReader reader(fast);
        for (int i = 0; i < 10; ++i) {
            const std::size_t capacity = random() % 25;
            std::string expected;
            const bool read = support::PlainReader{plain}.Word(expected);
            char kept[32];
            std::size_t length = 99;
            ASSERT_EQ(reader.Word(kept, capacity, length), read) << text;
            ASSERT_EQ(std::string(kept, length), read ? expected.substr(0, capacity) : "");
            ASSERT_EQ(support::StreamState(fast), support::StreamState(plain)) << text;
        }
    }
}
