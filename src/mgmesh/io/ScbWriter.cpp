// MgObject::SaveSCB and SaveToSCB: writing the library's own text format.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <locale>
#include <ostream>
#include <sstream>
#include <string>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

// Writes the format's lines: literal text as it stands, numbers as the stream's own insertion
// writes them, a line feed and a flush at each line's end. A stream in its default state has
// its numbers formatted here, into a buffer that goes out in one piece at each line's end (or
// before, for a line too long for it): the same characters as the insertion makes (%g-style
// with the stream's precision). Any other stream gets the insertions themselves, with the
// classic locale for the time of the save, so the decimal point is always '.' and digits are
// never grouped.
class LineWriter {
public:
    explicit LineWriter(std::ostream& out) : m_out(out) {
        const std::ios_base::fmtflags special = std::ios_base::showpos | std::ios_base::showpoint |
                                                std::ios_base::uppercase | std::ios_base::showbase |
                                                std::ios_base::floatfield | std::ios_base::unitbuf;
        m_fast = (out.flags() & special) == 0 &&
                 (out.flags() & std::ios_base::basefield) == std::ios_base::dec && out.width() == 0;
        if (m_fast) {
            const std::streamsize precision = out.precision();
            m_precision = precision < 0 ? 6 : (precision > 1000 ? 1000 : int(precision));
        } else {
            m_saved = out.imbue(std::locale::classic());
        }
    }
    ~LineWriter() {
        if (!m_fast)
            m_out.imbue(m_saved);
    }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    LineWriter& Text(const char* text, std::size_t length) {
        if (!m_fast) {
            m_out.write(text, static_cast<std::streamsize>(length));
            return *this;
        }
        if (length > Room()) {
            Pass();
            if (length > Room()) { // longer than the whole buffer
                m_out.write(text, static_cast<std::streamsize>(length));
                return *this;
            }
        }
        std::memcpy(m_end, text, length);
        m_end += length;
        return *this;
    }
    template <std::size_t N> LineWriter& Text(const char (&text)[N]) { return Text(text, N - 1); }
    LineWriter& Text(const std::string& text) { return Text(text.data(), text.size()); }

    LineWriter& Number(int value) { return Integer(value); }
    LineWriter& Number(long value) { return Integer(value); }
    LineWriter& Number(long long value) { return Integer(value); }
    LineWriter& Number(float value) {
        if (!m_fast) {
            m_out << value;
            return *this;
        }
        // the sign of a NaN is the C library's to show or not
        if (value != value)
            return AppendInserted(value);
        if (Room() < kNumberRoom)
            Pass();
        // %g drops trailing zeros, so no float needs more than this at any precision; should
        // one not fit all the same, the stream's insertion gives its characters
        const std::to_chars_result result = std::to_chars(m_end, m_end + kNumberRoom, value,
                                                          std::chars_format::general, m_precision);
        if (result.ec == std::errc())
            m_end = result.ptr;
        else
            AppendInserted(value);
        return *this;
    }

    void EndLine() {
        if (m_fast) {
            Text("\n", 1);
            Pass();
            m_out.flush();
        } else {
            m_out << std::endl;
        }
    }

private:
    static constexpr std::size_t kNumberRoom = 128;

    std::size_t Room() const {
        return static_cast<std::size_t>(m_buffer + sizeof m_buffer - m_end);
    }
    // Hands the buffered characters to the stream.
    void Pass() {
        if (m_end != m_buffer)
            m_out.write(m_buffer, m_end - m_buffer);
        m_end = m_buffer;
    }
    template <class T> LineWriter& Integer(T value) {
        if (!m_fast) {
            m_out << value;
            return *this;
        }
        if (Room() < 24)
            Pass();
        m_end = std::to_chars(m_end, m_end + 24, value).ptr;
        return *this;
    }
    // formats with a scratch stream configured as the real one
    LineWriter& AppendInserted(float value) {
        std::ostringstream scratch;
        scratch.imbue(std::locale::classic());
        scratch.precision(m_precision);
        scratch << value;
        return Text(scratch.str());
    }

    std::ostream& m_out;
    bool m_fast = false;
    int m_precision = 6;
    char m_buffer[4096];
    char* m_end = m_buffer;
    std::locale m_saved;
};

// Item numbers live in the aux data while a face is written.
void* AsAux(int number) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(number));
}
int NumberOf(const void* aux) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(aux));
}

void WriteFace(const MgFace* face, LineWriter& out, MyProgressNotify* progress) {
    out.Text("\tfaceBegin ").Number(face->GeoFaceId()).EndLine();
    out.Text("\t\ttolerance ").Number(face->GeoTolerance()).EndLine();
    if (face->TrueDirection()) {
        out.Text("\t\ttrueDirection");
        out.EndLine();
    }
    int number = 0;
    for (const MgVertex* v : face->VertexList()) {
        v->SetAuxData(AsAux(number));
        const CGeoVector& p = v->Vertex();
        const CGeoVector& n = v->Normal();
        out.Text("\t\tvertex ").Number(number).Text(" ");
        out.Number(v->GeoUV()[0]).Text(" ").Number(v->GeoUV()[1]).Text(" ");
        out.Number(p.x).Text(" ").Number(p.y).Text(" ").Number(p.z).Text(" ");
        out.Number(n.x).Text(" ").Number(n.y).Text(" ").Number(n.z).EndLine();
        if (progress)
            progress->Step();
        ++number;
    }
    number = 0;
    for (const MgFacet* f : face->FacetList())
        f->SetAuxData(AsAux(number++));
    // an empty slot (possible in a file read back) is written as -1, which reads back empty
    auto vertexNumber = [](const MgVertex* v) { return v ? NumberOf(v->AuxData()) : -1; };
    auto facetNumber = [](const MgFacet* f) { return f ? NumberOf(f->AuxData()) : -1; };
    for (const MgFacet* f : face->FacetList()) {
        out.Text("\t\tfacet ").Number(NumberOf(f->AuxData())).Text("\t");
        out.Number(vertexNumber(f->Vertex(0))).Text(" ").Number(vertexNumber(f->Vertex(1)));
        out.Text(" ").Number(vertexNumber(f->Vertex(2))).Text(" \t");
        out.Number(facetNumber(f->Neighbor(0))).Text(" ").Number(facetNumber(f->Neighbor(1)));
        out.Text(" ").Number(facetNumber(f->Neighbor(2))).Text(" ").EndLine();
        if (progress)
            progress->Step();
    }
    for (const MgEdge* e : face->EdgeList()) {
        out.Text("\t\tedge");
        for (const MgVertex* v : e->VertexList())
            out.Text(" ").Number(vertexNumber(v));
        out.EndLine();
        if (progress)
            progress->Step();
    }
    for (const MgCorner* c : face->CornerList()) {
        const CGeoVector& p = c->Position();
        out.Text("\t\tcorner ").Number(p.x).Text(" ").Number(p.y).Text(" ").Number(p.z).EndLine();
    }
    out.Text("\tfaceEnd");
    out.EndLine();
}

} // namespace

void MgObject::SaveToSCB(std::ostream& out, MyProgressNotify* progress) const {
    LineWriter writer(out);
    for (const MgFace* face : m_faces)
        WriteFace(face, writer, progress);
}

void MgObject::SaveSCB(std::ostream& out, const std::string& name,
                       MyProgressNotify* progress) const {
    {
        LineWriter writer(out);
        writer.Text("scb1");
        writer.EndLine();
        writer.Text("part ").Text(name);
        writer.EndLine();
    }
    SaveToSCB(out, progress);
}
