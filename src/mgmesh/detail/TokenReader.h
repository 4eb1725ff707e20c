// Reads the words and numbers of the library's text formats from a stream (internal).
#pragma once

#include <istream>
#include <locale>
#include <string>

namespace mgmesh::detail {

/// Formatted extraction of words, integers and floats, exactly as `in >> x` does in the
/// classic locale, whatever locale the stream carries. Every call leaves the stream's state
/// flags and position as the matching extraction would. Lives for one reader call.
class TokenReader {
public:
    explicit TokenReader(std::istream& in) : m_in(in), m_saved(in.imbue(std::locale::classic())) {}
    ~TokenReader() { m_in.imbue(m_saved); }
    TokenReader(const TokenReader&) = delete;
    TokenReader& operator=(const TokenReader&) = delete;

    /// As `in >> word`; false when it failed.
    bool Word(std::string& word) { return static_cast<bool>(m_in >> word); }
    /// As `in >> value` for an int; false when it failed.
    bool Int(int& value) { return static_cast<bool>(m_in >> value); }
    /// As `in >> value` for a float; false when it failed.
    bool Float(float& value) { return static_cast<bool>(m_in >> value); }
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
    std::istream& m_in;
    std::locale m_saved;
};

} // namespace mgmesh::detail
