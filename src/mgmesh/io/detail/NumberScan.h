// Scanning words and numbers straight from buffered text, as the token reader's extractions
// read them (internal).
#pragma once

#include <cstddef>
#include <ios>

#include "mgmesh/Export.h"

namespace mgmesh::detail {

// PlainFloat and PlainLong are exported for the tests; the header is not installed.

/// Whether c is a space of the classic locale: ' ', \t, \n, \v, \f, \r.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
/// The first character at or after p that is not a space, or last.
inline const char* SkipSpaces(const char* p, const char* last) {
    while (p < last && IsSpace(*p))
        ++p;
    return p;
}
/// The end of the word that starts at p: the first space at or after p, or last.
inline const char* WordEnd(const char* p, const char* last) {
    while (p < last && !IsSpace(*p))
        ++p;
    return p;
}

/// The float that starts at p, if it is plain decimal text that the stream's extraction reads
/// as from_chars does and a space follows it before last: true, with its value and end.
MGMESH_API bool PlainFloat(const char* p, const char* last, float& value, const char*& end);
/// PlainFloat's quick case: a mantissa of at most 8 significant digits whose value is below
/// 2^24 and a power of ten within 10^-10 to 10^10 (zero with any exponent); false for any
/// other text, which PlainFloat then reads in general.
bool ShortFloat(const char* p, const char* last, float& value, const char*& end);
/// The integer that starts at p, if it is an optional sign and at most 18 digits with a space
/// after them before last, and within long's range (read alike by the reader's Long, and by
/// Int within its range): true, with its value and end.
MGMESH_API bool PlainLong(const char* p, const char* last, long& value, const char*& end);

/// What the stream's float extraction makes of the characters it collected (text[size] is a
/// NUL): the whole text must convert, and a value beyond the float range becomes ±FLT_MAX
/// with failbit set in `state`. An underflow keeps its rounded value and does not fail.
float ConvertFloat(const char* text, std::size_t size, std::ios_base::iostate& state);

} // namespace mgmesh::detail
