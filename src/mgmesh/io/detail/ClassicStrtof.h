// strtof in the classic "C" locale whatever locale the program has set (internal).
#pragma once

namespace mgmesh::detail {

/// What strtof makes of `text` in the "C" locale, with `*end` past the characters it used: the
/// routine the standard library's own float extraction calls, so both agree on every input.
float ClassicStrtof(const char* text, char** end);

} // namespace mgmesh::detail
