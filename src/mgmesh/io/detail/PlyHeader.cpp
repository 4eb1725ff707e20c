// The PLY header reader, exact or lenient.
#include "mgmesh/io/detail/PlyHeader.h"

#include <utility>

#include "mgmesh/io/detail/LenientReading.h"

namespace mgmesh::detail::ply {
namespace {

[[noreturn]] void Fail(bool lenient, ImportIssue place, std::string reason) {
    if (!lenient)
        throw "Bad PLY header";
    place.reason = std::move(reason);
    throw ImportFailure{place};
}

// Where the input ended.
ImportIssue End(const ByteInput& input) {
    ImportIssue issue;
    issue.line = input.LineNumber();
    issue.column = input.Column();
    return issue;
}

} // namespace

bool TypeNamed(std::string_view name, Type& type) {
    struct Named {
        const char* names[2];
        Type type;
    };
    static const Named kTypes[] = {
        {{"char", "int8"}, {1, false, true}},    {{"uchar", "uint8"}, {1, false, false}},
        {{"short", "int16"}, {2, false, true}},  {{"ushort", "uint16"}, {2, false, false}},
        {{"int", "int32"}, {4, false, true}},    {{"uint", "uint32"}, {4, false, false}},
        {{"float", "float32"}, {4, true, true}}, {{"double", "float64"}, {8, true, true}},
    };
    for (const Named& t : kTypes)
        if (name == t.names[0] || name == t.names[1]) {
            type = t.type;
            return true;
        }
    return false;
}

Slot SlotNamed(std::string_view name) {
    static const char* const kNames[] = {"x", "y", "z", "nx", "ny", "nz", "u", "v"};
    for (int i = 0; i < kSlots; ++i)
        if (name == kNames[i])
            return Slot(i);
    if (name == "s" || name == "texture_u")
        return U;
    if (name == "t" || name == "texture_v")
        return V;
    return None;
}

Header ReadHeader(ByteInput& input, bool lenient) {
    Header header;
    std::string_view line;
    long long number = input.LineNumber();
    auto at = [&](std::string_view word) {
        ImportIssue issue;
        issue.line = number;
        issue.column = static_cast<long long>(word.data() - line.data()) + 1;
        return issue;
    };
    if (!input.Line(line) || line != "ply")
        Fail(lenient, at(line), "the file does not start with a \"ply\" line");
    bool formatSeen = false;
    for (;;) {
        number = input.LineNumber();
        if (!input.Line(line))
            Fail(lenient, End(input), "the header has no \"end_header\" line");
        std::string_view rest = line; // `line` stays whole, for the places of its words
        const std::string_view key = NextWord(rest);
        if (key == "end_header")
            break;
        if (key == "format") {
            const std::string_view name = NextWord(rest);
            formatSeen = true;
            if (name == "ascii")
                header.format = Format::Ascii;
            else if (name == "binary_little_endian")
                header.format = Format::Little;
            else if (name == "binary_big_endian")
                header.format = Format::Big;
            else
                Fail(lenient, at(name), "unknown format " + Quoted(name));
        } else if (key == "element") {
            Element element;
            element.name = std::string(NextWord(rest));
            element.line = number;
            const std::string_view count = NextWord(rest);
            // the model counts its items in an int
            if (!mgmesh::detail::ParseInteger(count, element.count) || element.count < 0 ||
                element.count > 0x7fffffff)
                Fail(lenient, at(count),
                     "expected an item count from 0 to 2147483647, found " + Quoted(count));
            header.elements.push_back(element);
        } else if (key == "property") {
            if (header.elements.empty())
                Fail(lenient, at(key), "a property before any element");
            Property p;
            std::string_view type = NextWord(rest);
            if (type == "list") {
                p.list = true;
                const std::string_view countType = NextWord(rest);
                if (!TypeNamed(countType, p.countType) || p.countType.isFloat)
                    Fail(lenient, at(countType),
                         "expected an integer type for the list's length, found " +
                             Quoted(countType));
                type = NextWord(rest);
            }
            if (!TypeNamed(type, p.type))
                Fail(lenient, at(type), "unknown type " + Quoted(type));
            p.name = std::string(NextWord(rest));
            header.elements.back().properties.push_back(p);
        } // "comment", "obj_info" and other lines say nothing the model holds
    }
    if (!formatSeen)
        Fail(lenient, at(line), "no \"format\" line before \"end_header\"");
    for (const Element& element : header.elements) {
        bool has[kSlots] = {}, indices = false;
        for (const Property& p : element.properties) {
            const Slot slot = SlotNamed(p.name);
            if (!p.list && slot != None)
                has[slot] = true;
            indices = indices || (p.list && !p.type.isFloat &&
                                  (p.name == "vertex_indices" || p.name == "vertex_index"));
        }
        ImportIssue place;
        place.line = element.line;
        place.column = 1;
        if (element.name == "vertex" && !(has[X] && has[Y] && has[Z]))
            Fail(lenient, place, "the vertex element has no x, y or z");
        if (element.name == "face" && !indices)
            Fail(lenient, place, "the face element has no integer vertex_indices list");
    }
    return header;
}

} // namespace mgmesh::detail::ply
