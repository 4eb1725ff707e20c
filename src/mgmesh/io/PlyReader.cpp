// MgObject::LoadPLY: the PLY reader (ASCII and both binary byte orders).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

using mgmesh::detail::ByteInput;
using mgmesh::detail::NextWord;

enum class Format { Ascii, Little, Big };

// The scalar types by their sizes in bytes; signedness and float-ness beside.
struct Type {
    int size = 0;
    bool isFloat = false, isSigned = false;
};

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

// Where a vertex property goes: x y z, nx ny nz, u v (s t), or nowhere.
enum Slot { X, Y, Z, NX, NY, NZ, U, V, kSlots, None = kSlots };

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

struct Property {
    Type type;
    bool list = false;
    Type countType;
    std::string name;
};

struct Element {
    std::string name;
    long long count = 0;
    std::vector<Property> properties;
};

class PlyReader {
public:
    PlyReader(MgFace* face, std::istream& in, MyProgressNotify* progress)
        : m_face(face), m_input(in), m_progress(progress) {}

    void Read() {
        ReadHeader();
        for (const Element& element : m_elements) {
            // an element without properties holds no bytes: its items are passed over at once
            if (element.properties.empty())
                continue;
            for (long long item = 0; item < element.count; ++item) {
                if (element.name == "vertex")
                    ReadVertex(element);
                else if (element.name == "face")
                    ReadFace(element);
                else
                    for (const Property& p : element.properties)
                        Skip(p);
                if (m_progress)
                    m_progress->Step();
            }
        }
    }

private:
    void ReadHeader() {
        std::string_view line;
        if (!m_input.Line(line) || line != "ply")
            throw "Bad PLY header";
        bool formatSeen = false;
        for (;;) {
            if (!m_input.Line(line))
                throw "Bad PLY header";
            const std::string_view key = NextWord(line);
            if (key == "end_header")
                break;
            if (key == "format") {
                const std::string_view name = NextWord(line);
                formatSeen = true;
                if (name == "ascii")
                    m_format = Format::Ascii;
                else if (name == "binary_little_endian")
                    m_format = Format::Little;
                else if (name == "binary_big_endian")
                    m_format = Format::Big;
                else
                    throw "Bad PLY header";
            } else if (key == "element") {
                Element element;
                element.name = std::string(NextWord(line));
                // the model counts its items in an int
                if (!mgmesh::detail::ParseInteger(NextWord(line), element.count) ||
                    element.count < 0 || element.count > 0x7fffffff)
                    throw "Bad PLY header";
                m_elements.push_back(element);
            } else if (key == "property") {
                if (m_elements.empty())
                    throw "Bad PLY header";
                Property p;
                std::string_view type = NextWord(line);
                if (type == "list") {
                    p.list = true;
                    if (!TypeNamed(NextWord(line), p.countType) || p.countType.isFloat)
                        throw "Bad PLY header";
                    type = NextWord(line);
                }
                if (!TypeNamed(type, p.type))
                    throw "Bad PLY header";
                p.name = std::string(NextWord(line));
                m_elements.back().properties.push_back(p);
            } // "comment", "obj_info" and other lines say nothing the model holds
        }
        if (!formatSeen)
            throw "Bad PLY header";
        for (const Element& element : m_elements) {
            bool has[kSlots] = {}, indices = false;
            for (const Property& p : element.properties) {
                const Slot slot = SlotNamed(p.name);
                if (!p.list && slot != None)
                    has[slot] = true;
                indices = indices || (p.list && !p.type.isFloat &&
                                      (p.name == "vertex_indices" || p.name == "vertex_index"));
            }
            if ((element.name == "vertex" && !(has[X] && has[Y] && has[Z])) ||
                (element.name == "face" && !indices))
                throw "Bad PLY header";
        }
    }

    // The next scalar: a float kept to its bits where the file holds one, else converted.
    double Scalar(const Type& type, float* asFloat = nullptr) {
        if (m_format == Format::Ascii) {
            std::string_view token;
            if (!m_input.Token(token))
                throw "Bad PLY data";
            if (type.isFloat) {
                float value = 0;
                if (!mgmesh::detail::ParseFloat(token, value)) {
                    throw "Bad PLY data";
                }
                double wide = value;
                if (type.size == 8 && !mgmesh::detail::ParseDouble(token, wide))
                    throw "Bad PLY data";
                if (asFloat)
                    *asFloat = type.size == 8 ? float(wide) : value;
                return wide;
            }
            long long value = 0;
            if (!mgmesh::detail::ParseInteger(token, value))
                throw "Bad PLY data";
            if (asFloat)
                *asFloat = float(value);
            return double(value);
        }
        if (m_input.Fill(std::size_t(type.size)) < std::size_t(type.size))
            throw "Bad PLY data";
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
            throw "Bad PLY data";
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

    MgVertex* VertexAt(double index) const {
        if (!(index >= 0 && index < double(m_vertices.size())))
            throw "Bad PLY index";
        return m_vertices[std::size_t(index)];
    }

    // A polygon becomes a fan around its first corner, built as its indices are read.
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
            MgVertex* first = nullptr;
            MgVertex* previous = nullptr;
            for (long long i = 0; i < count; ++i) {
                MgVertex* v = VertexAt(Scalar(p.type));
                if (i >= 2) {
                    MgFacet* facet = m_face->NewFacet();
                    facet->SetVertex(0, first);
                    facet->SetVertex(1, previous);
                    facet->SetVertex(2, v);
                }
                first = i == 0 ? v : first;
                previous = v;
            }
        }
    }

    MgFace* m_face;
    ByteInput m_input;
    MyProgressNotify* m_progress;
    Format m_format = Format::Ascii;
    std::vector<Element> m_elements;
    std::vector<MgVertex*> m_vertices; // in file order, for the index lists
};

} // namespace

void MgObject::LoadPLY(std::istream& in, MyProgressNotify* progress) {
    MgFace* face = NewFace();
    face->SetGeoFaceId(0);
    PlyReader(face, in, progress).Read();
}
