// MgObject::LoadPLY: the PLY reader (ASCII and both binary byte orders), exact or lenient (for
// mgmesh::ImportPLY).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/io/detail/LenientReading.h"
#include "mgmesh/io/detail/PlyHeader.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

using mgmesh::ImportIssue;
using mgmesh::detail::ByteInput;
using mgmesh::detail::ImportFailure;
using mgmesh::detail::NextWord;
using mgmesh::detail::Quoted;
using namespace mgmesh::detail::ply;

// The kinds of warning a lenient read counts.
const char* const kNoSuchVertex = "face(s) with an index of no vertex read before, skipped";
const char* const kFewCorners = "face(s) of fewer than three indices, skipped";
const char* const kPolygons = "polygon(s) of more than three corners, read as fans";

// Where a lenient read finds the data cut short.
struct EndOfData {};

// Reads exactly, throwing the texts of LoadPLY, without `warnings`; with them, leniently.
class PlyReader {
public:
    PlyReader(MgFace* face, std::istream& in, MyProgressNotify* progress,
              mgmesh::detail::ImportWarnings* warnings)
        : m_face(face), m_input(in), m_progress(progress), m_warnings(warnings) {}

    void Read() {
        Header header = ReadHeader(m_input, m_warnings != nullptr);
        m_format = header.format;
        m_elements = std::move(header.elements);
        for (const Element& element : m_elements) {
            // an element without properties holds no bytes: its items are passed over at once
            if (element.properties.empty())
                continue;
            for (long long item = 0; item < element.count; ++item) {
                m_element = &element;
                m_item = item;
                m_itemOffset = m_input.Offset();
                try {
                    if (element.name == "vertex")
                        ReadVertex(element);
                    else if (element.name == "face")
                        ReadFace(element);
                    else
                        for (const Property& p : element.properties)
                            Skip(p);
                } catch (const EndOfData&) {
                    ImportIssue issue = m_format == Format::Ascii ? TextPlace(0) : ItemPlace();
                    issue.reason = "the data ends after " + std::to_string(item) + " of the " +
                                   std::to_string(element.count) + " " + element.name +
                                   " items: the items before are read";
                    m_warnings->Once(issue);
                    return;
                }
                if (m_progress)
                    m_progress->Step();
            }
        }
        if (m_warnings)
            NoteTrailing();
    }

private:
    // Throws `text` when reading exactly, else the failure at `place` with `reason`.
    [[noreturn]] void Fail(const char* text, ImportIssue place, std::string reason) const {
        if (!m_warnings)
            throw text;
        place.reason = std::move(reason);
        throw ImportFailure{place};
    }
    [[noreturn]] void Ended() const {
        if (!m_warnings)
            throw "Bad PLY data";
        throw EndOfData{};
    }

    // The place of the input `back` bytes before where it is, in a text.
    ImportIssue TextPlace(std::size_t back) const {
        ImportIssue issue;
        issue.line = m_input.LineNumber();
        issue.column = m_input.Column() - static_cast<long long>(back);
        return issue;
    }
    // The start of the binary item being read.
    ImportIssue ItemPlace() const {
        ImportIssue issue;
        issue.offset = static_cast<long long>(m_itemOffset);
        issue.facet = m_item;
        issue.element = m_element->name;
        return issue;
    }
    // The place of the last scalar read: its token in a text, its item in binary.
    ImportIssue DataPlace() const {
        return m_format == Format::Ascii ? TextPlace(m_token) : ItemPlace();
    }

    // The next scalar: a float kept to its bits where the file holds one, else converted.
    double Scalar(const Type& type, float* asFloat = nullptr) {
        if (m_format == Format::Ascii) {
            std::string_view token;
            if (!m_input.Token(token))
                Ended();
            m_token = token.size();
            if (type.isFloat) {
                float value = 0;
                double wide = value;
                if (!mgmesh::detail::ParseFloat(token, value) ||
                    (type.size == 8 && !mgmesh::detail::ParseDouble(token, wide)))
                    Fail("Bad PLY data", DataPlace(), "expected a number, found " + Quoted(token));
                if (type.size == 4)
                    wide = value;
                if (asFloat)
                    *asFloat = type.size == 8 ? float(wide) : value;
                return wide;
            }
            long long value = 0;
            if (!mgmesh::detail::ParseInteger(token, value))
                Fail("Bad PLY data", DataPlace(), "expected an integer, found " + Quoted(token));
            if (asFloat)
                *asFloat = float(value);
            return double(value);
        }
        if (m_input.Fill(std::size_t(type.size)) < std::size_t(type.size))
            Ended();
        unsigned char bytes[8];
        std::memcpy(bytes, m_input.Data(), std::size_t(type.size));
        m_input.Skip(std::size_t(type.size));
        std::uint64_t bits = 0;
        for (int i = 0; i < type.size; ++i) {
            const int at = m_format == Format::Little ? type.size - 1 - i : i;
            bits = bits << 8 | bytes[at];
        }
        double value;
        if (type.isFloat && type.size == 4) {
            float f;
            const auto narrow = std::uint32_t(bits);
            std::memcpy(&f, &narrow, 4);
            value = f;
        } else if (type.isFloat) {
            std::memcpy(&value, &bits, 8);
        } else if (type.isSigned) {
            const int shift = 64 - 8 * type.size; // sign-extends
            value = double(static_cast<std::int64_t>(bits << shift) >> shift);
        } else {
            value = double(bits);
        }
        if (asFloat)
            *asFloat = float(value);
        return value;
    }

    // A list's length: a whole number that an int can hold.
    long long Count(const Property& p) {
        const double count = Scalar(p.countType);
        if (!(count >= 0 && count <= 0x7fffffff))
            Fail("Bad PLY data", DataPlace(),
                 "a list length of " + std::to_string(static_cast<long long>(count)) +
                     ", not from 0 to 2147483647");
        return static_cast<long long>(count);
    }

    void Skip(const Property& p) {
        const long long count = p.list ? Count(p) : 1;
        for (long long i = 0; i < count; ++i)
            Scalar(p.type);
    }

    void ReadVertex(const Element& element) {
        float values[kSlots] = {};
        for (const Property& p : element.properties) {
            const Slot slot = p.list ? None : SlotNamed(p.name);
            if (slot == None)
                Skip(p);
            else
                Scalar(p.type, &values[slot]);
        }
        m_vertices.push_back(
            m_face->AddVertex(CGeoVector(values), CGeoVector(values + NX), values + U));
    }

    // The vertex of an index; null for one that names none, in a lenient read.
    MgVertex* VertexAt(double index) const {
        if (!(index >= 0 && index < double(m_vertices.size()))) {
            if (!m_warnings)
                throw "Bad PLY index";
            return nullptr;
        }
        return m_vertices[std::size_t(index)];
    }

    void Fan(MgVertex* first, MgVertex* previous, MgVertex* v) {
        MgFacet* facet = m_face->NewFacet();
        facet->SetVertex(0, first);
        facet->SetVertex(1, previous);
        facet->SetVertex(2, v);
    }

    // A polygon becomes a fan around its first corner: built as its indices are read when
    // reading exactly, after the whole list in a lenient read, which skips and counts a
    // polygon it cannot make.
    void ReadFace(const Element& element) {
        bool done = false; // only the first index list makes facets
        for (const Property& p : element.properties) {
            if (done || !p.list || p.type.isFloat ||
                (p.name != "vertex_indices" && p.name != "vertex_index")) {
                Skip(p);
                continue;
            }
            done = true;
            const long long count = Count(p);
            const ImportIssue place = m_warnings ? DataPlace() : ImportIssue();
            MgVertex* first = nullptr;
            MgVertex* previous = nullptr;
            bool named = true; // whether every index names a vertex
            m_corners.clear();
            for (long long i = 0; i < count; ++i) {
                MgVertex* v = VertexAt(Scalar(p.type));
                named = named && v;
                if (m_warnings)
                    m_corners.push_back(v);
                else if (i >= 2)
                    Fan(first, previous, v);
                first = i == 0 ? v : first;
                previous = v;
            }
            if (!m_warnings)
                continue;
            const char* skipped = !named ? kNoSuchVertex : count < 3 ? kFewCorners : nullptr;
            if (skipped) {
                m_warnings->Count(place, skipped);
                continue;
            }
            if (count > 3)
                m_warnings->Count(place, kPolygons);
            for (std::size_t i = 2; i < m_corners.size(); ++i)
                Fan(m_corners[0], m_corners[i - 1], m_corners[i]);
        }
    }

    // What follows the last element, in a lenient read: a word of text, or bytes.
    void NoteTrailing() {
        if (m_format == Format::Ascii) {
            std::string_view token;
            if (!m_input.Token(token))
                return;
            ImportIssue issue = TextPlace(token.size());
            issue.reason = "text after the last element: " + Quoted(token);
            m_warnings->Once(issue);
            return;
        }
        ImportIssue issue;
        issue.offset = static_cast<long long>(m_input.Offset());
        std::uint64_t bytes = 0;
        for (std::size_t n; (n = m_input.Fill(kTrailingBlock)) > 0; m_input.Skip(n))
            bytes += n;
        if (bytes == 0)
            return;
        issue.reason = std::to_string(bytes) + " bytes after the last element";
        m_warnings->Once(issue);
    }

    static constexpr std::size_t kTrailingBlock = 1 << 16;
    MgFace* m_face;
    ByteInput m_input;
    MyProgressNotify* m_progress;
    mgmesh::detail::ImportWarnings* m_warnings;
    Format m_format = Format::Ascii;
    std::vector<Element> m_elements;
    std::vector<MgVertex*> m_vertices; // in file order, for the index lists
    std::vector<MgVertex*> m_corners;  // of the polygon being read leniently
    // the item being read and the length of the last token read, for the places of warnings
    const Element* m_element = nullptr;
    long long m_item = 0;
    std::uint64_t m_itemOffset = 0;
    std::size_t m_token = 0;
};

} // namespace

void mgmesh::detail::ReadPly(MgObject& object, std::istream& in, MyProgressNotify* progress,
                             ImportWarnings* warnings) {
    MgFace* face = object.NewFace();
    face->SetGeoFaceId(0);
    PlyReader(face, in, progress, warnings).Read();
}

void MgObject::LoadPLY(std::istream& in, MyProgressNotify* progress) {
    mgmesh::detail::ReadPly(*this, in, progress, nullptr);
}
