// Reads the words and numbers of the library's text formats from a stream (internal).
#pragma once

#include <istream>
#include <locale>
#include <string>

#include "mgmesh/Export.h"

namespace mgmesh::detail {

/// Formatted extraction of words, integers and floats, exactly as `in >> x` does in the
/// classic locale, whatever locale the stream carries. Every call leaves the stream's state
/// flags, position and the target value as the matching extraction would (so a word or
/// number asked of a stream that is not good leaves its target as it was). The characters are
/// taken one by one from the stream's buffer, with no buffering of its own, so the stream
/// can be handed on to another reader at any time. Lives for one reader call; the stream
/// carries the classic locale meanwhile.
class MGMESH_API TokenReader { // exported for the tests; the header is not installed
public:
    explicit TokenReader(std::istream& in);
    ~TokenReader();
    TokenReader(const TokenReader&) = delete;
    TokenReader& operator=(const TokenReader&) = delete;

    /// As `in >> word`; false when it failed.
    bool Word(std::string& word);
    /// As `in >> value` for an int; false when it failed.
    bool Int(int& value);
    /// As `in >> value` for a long; false when it failed.
    bool Long(long& value);
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

private:
    bool Start();
    void ExtractLong(long& value, std::ios_base::iostate& state);
    void ExtractFloat(float& value, std::ios_base::iostate& state);

    std::istream& m_in;
    std::locale m_saved;
    std::string m_number; // the characters of a float as collected, kept for its capacity
};

} // namespace mgmesh::detail
