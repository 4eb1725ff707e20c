// MgObject::LoadAnySTL: binary or ASCII STL, told apart by the bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <streambuf>
#include <string>

#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/model/MgObject.h"

namespace {

constexpr std::size_t kHeader = 84;

// A read-only stream buffer over text already in memory, which can seek as LoadAnySTL needs.
class TextView : public std::streambuf {
public:
    explicit TextView(std::string& text) {
        setg(text.data(), text.data(), text.data() + text.size());
    }
};

// The remaining length decides first: a binary file's length is fixed by its count, which a
// text file starting with "solid" can match only by chance.
bool IsBinary(const char* head, std::size_t size, std::uint64_t remaining) {
    if (remaining >= kHeader && size >= kHeader) {
        const std::uint64_t count =
            mgmesh::detail::LoadU32(reinterpret_cast<const unsigned char*>(head) + 80);
        if (remaining == kHeader + 50 * count)
            return true;
    }
    // text editors and some exporters put spaces before the first word
    std::size_t at = 0;
    while (at < size && mgmesh::detail::ByteInput::IsBlank(head[at]))
        ++at;
    return !(size - at >= 5 && std::memcmp(head + at, "solid", 5) == 0);
}

// One face for each solid: after a solid's "endsolid" line, another may begin with "solid".
void LoadSolids(MgObject& object, std::istream& in, MyProgressNotify* progress) {
    for (;;) {
        object.LoadSTL(in, progress);
        in.ignore(1 << 20, '\n'); // the rest of the "endsolid" line: its name
        in >> std::ws;
        char word[5];
        in.read(word, 5);
        if (in.gcount() != 5 || std::memcmp(word, "solid", 5) != 0)
            return;
        // the next LoadSTL skips the rest of the "solid" line, which "solid" began
    }
}

void LoadDecided(MgObject& object, std::istream& in, MyProgressNotify* progress, const char* head,
                 std::size_t size, std::uint64_t remaining) {
    if (IsBinary(head, size, remaining))
        object.LoadBinarySTL(in, progress);
    else
        LoadSolids(object, in, progress);
}

} // namespace

void MgObject::LoadAnySTL(std::istream& in, MyProgressNotify* progress) {
    if (!in.good()) { // nothing can be read: the binary reader says so
        LoadBinarySTL(in, progress);
        return;
    }
    std::string text;
    const std::istream::pos_type start = in.tellg();
    if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios_base::end)) {
        const std::istream::pos_type end = in.tellg();
        in.seekg(start);
        if (end != std::istream::pos_type(-1) && in) {
            char head[kHeader];
            in.read(head, kHeader);
            const auto size = static_cast<std::size_t>(in.gcount());
            in.clear();
            if (in.seekg(start)) {
                LoadDecided(*this, in, progress, head, size,
                            static_cast<std::uint64_t>(end - start));
                return;
            }
            text.assign(head, size); // read already, and the stream cannot go back
        }
    }
    // A stream that cannot tell its length is read whole: memory as large as the input.
    in.clear();
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    TextView view(text);
    std::istream buffered(&view);
    const std::size_t size = text.size() < kHeader ? text.size() : kHeader;
    LoadDecided(*this, buffered, progress, text.data(), size, text.size());
}
