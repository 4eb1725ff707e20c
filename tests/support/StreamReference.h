// The streams' own reading and writing, the references for the library's token reader and
// SCB writer, which must give the same results, states and positions, and the same text.
#pragma once

#include <istream>
#include <ostream>
#include <string>

class MgObject;

namespace support {

/// Reads as the token reader does, by the stream's own extraction.
struct PlainReader {
    std::istream& in;
    bool Word(std::string& w) { return bool(in >> w); }
    bool Int(int& n) { return bool(in >> n); }
    bool Long(long& n) { return bool(in >> n); }
    bool Float(float& f) { return bool(in >> f); }
    void SkipLine(std::streamsize count) { in.ignore(count, '\n'); }
    void Clear() { in.clear(); }
};

/// The stream's state flags and its read position, e.g. "state 0 at 12".
std::string StreamState(std::istream& in);

/// The face blocks that MgObject::SaveToSCB writes, by plain insertion into `out`, so that the
/// precision, flags and locale of `out` apply to every number. Items are numbered by their
/// places in their face's lists, -1 for an empty slot or no neighbour.
void InsertScbFaces(std::ostream& out, const MgObject& object);

} // namespace support
