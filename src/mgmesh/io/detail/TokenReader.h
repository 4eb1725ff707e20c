// Reads the words and numbers of the library's text formats from a stream (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <locale>
#include <string>

#include "mgmesh/Export.h"

namespace mgmesh::detail {

/// Formatted extraction of words, integers and floats, exactly as `in >> x` does in the
/// classic locale, whatever locale the stream carries. Every call leaves the stream's state
/// flags, position and the target value as the matching extraction would (so a word or
/// number asked of a stream that is not good leaves its target as it was). Characters are
/// taken from the stream buffer's own get area where they are already there, and one by one
/// through the buffer's interface where a token reaches the end of that area; the reader
/// never takes more characters than the extraction would, so the stream can be handed on to
/// another reader at any time. Lives for one reader call; the stream carries the classic
/// locale meanwhile.
class MGMESH_API TokenReader { // exported for the tests; the header is not installed
public:
    explicit TokenReader(std::istream& in);
    ~TokenReader();
    TokenReader(const TokenReader&) = delete;
    TokenReader& operator=(const TokenReader&) = delete;

    /// As `in >> word`; false when it failed.
    bool Word(std::string& word);
    /// As `in >> word` into a string of which only the first `capacity` characters are kept:
    /// the word's first characters go to `text` (not terminated) and their count to
    /// `length`; the rest of a longer word is read and dropped. `length` is 0 when it failed.
    bool Word(char* text, std::size_t capacity, std::size_t& length);
    /// As `in >> value` for an int; false when it failed.
    bool Int(int& value);
    /// As `in >> value` for a long; false when it failed.
    bool Long(long& value);
    /// As `in >> value` for a std::intptr_t (a face id, wider than long on 64-bit Windows);
    /// false when it failed.
    bool Id(std::intptr_t& value);
    /// As `in >> value` for a float; false when it failed.
    bool Float(float& value);
    /// As `in.ignore(count, '\n')`.
    void SkipLine(std::streamsize count) { m_in.ignore(count, '\n'); }
    /// As `in.clear()`.
    void Clear() { m_in.clear(); }
    /// As `in.good()`, `in.eof()`, `in.fail()`.
    bool Good() const { return m_in.good(); }
    bool Eof() const { return m_in.eof(); }
    bool Fail() const { return m_in.fail(); }
    std::istream& Stream() { return m_in; }

    // Direct reading, for readers that take many tokens at a time. While the stream is in the
    // state in which formatted extraction does no more than scan characters (good, skipping
    // spaces, no tied stream, no field width), the characters already in its buffer can be
    // scanned in place with the helpers below, and what was scanned is then taken with Consume.
    // Tokens read so are what the reads above give for the same characters.

    /// The characters in the buffer's get area, [first, last); empty unless the stream is in
    /// that state.
    void BufferedText(const char*& first, const char*& last);
    /// Takes the buffered characters up to `end` (from BufferedText's range).
    void Consume(const char* end);

private:
    bool Start();
    template <class Integer> bool Integral(Integer& value);
    template <class Integer> void ExtractInteger(Integer& value, std::ios_base::iostate& state);
    void ExtractFloat(float& value, std::ios_base::iostate& state);

    std::istream& m_in;
    std::locale m_saved;
    std::string m_number; // the characters of a long float as collected, kept for its capacity
};

} // namespace mgmesh::detail
