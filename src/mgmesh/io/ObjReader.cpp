// MgObject::LoadOBJ: the Wavefront OBJ reader, exact or lenient (for mgmesh::ImportOBJ).
#include <algorithm>
#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/io/detail/LenientReading.h"
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

// The kinds of warning a lenient read counts.
const char* const kNoSuchLine = "face(s) with a corner index of 0 or past the lines read, skipped";
const char* const kFewCorners = "face(s) of fewer than three corners, skipped";
const char* const kPolygons = "polygon(s) of more than three corners, read as fans";

// What the lenient read makes of an index that names no line.
constexpr long long kNoLine = -2;

// An optional sign and decimal digits: an index, if too large for a long long.
bool WholeNumber(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A facet corner as the file names it: v, vt and vn line numbers from 0, -1 for none.
struct Corner {
    long long v = -1, t = -1, n = -1;
    bool operator<(const Corner& o) const {
        return v != o.v ? v < o.v : (t != o.t ? t < o.t : n < o.n);
    }
    bool operator==(const Corner& o) const { return v == o.v && t == o.t && n == o.n; }
};

// Reads exactly, throwing the texts of LoadOBJ, without `warnings`; with them, leniently.
class ObjReader {
public:
    ObjReader(MgObject& object, MyProgressNotify* progress,
              mgmesh::detail::ImportWarnings* warnings)
        : m_object(object), m_progress(progress), m_warnings(warnings) {}

    void Read(std::istream& in) {
        ByteInput input(in);
        std::string_view line;
        try {
            for (;;) {
                const long long number = input.LineNumber();
                if (!input.Line(line))
                    break;
                m_pieces.assign(1, Piece{0, number});
                if (m_warnings && Continues(line))
                    line = Joined(input, line);
                m_statement = line;
                Handle(line);
                if (m_progress)
                    for (std::size_t k = 0; k < m_pieces.size(); ++k)
                        m_progress->Step();
            }
            if (input.Broken()) {
                if (!m_warnings)
                    throw "File problem";
                ImportIssue issue;
                issue.reason = "the stream failed while being read";
                throw ImportFailure{issue};
            }
        } catch (const char*) {
            Finish(); // the facets of the lines before stay
            throw;
        } catch (const ImportFailure&) {
            Finish();
            throw;
        }
        Finish();
    }

private:
    // A line of a statement: where it starts in the statement, and its number in the file.
    struct Piece {
        std::size_t start;
        long long line;
    };

    // A line that ends in a backslash goes on in the next, unless the backslash is in a comment.
    static bool Continues(std::string_view line) {
        return !line.empty() && line.back() == '\\' && line.find('#') == std::string_view::npos;
    }

    // The statement of `line` and the lines it continues in, each backslash read as a blank.
    std::string_view Joined(ByteInput& input, std::string_view line) {
        m_joined.assign(line.data(), line.size());
        while (Continues(std::string_view(m_joined).substr(m_pieces.back().start))) {
            m_joined.back() = ' ';
            const long long number = input.LineNumber();
            std::string_view next;
            if (!input.Line(next))
                break;
            m_pieces.push_back(Piece{m_joined.size(), number});
            m_joined.append(next.data(), next.size());
        }
        return m_joined;
    }

    // The line and column of `word`, a part of the statement being read.
    ImportIssue At(std::string_view word) const {
        const auto at = std::size_t(word.data() - m_statement.data());
        const auto piece =
            std::upper_bound(m_pieces.begin(), m_pieces.end(), at,
                             [](std::size_t a, const Piece& p) { return a < p.start; }) -
            1;
        ImportIssue issue;
        issue.line = piece->line;
        issue.column = static_cast<long long>(at - piece->start) + 1;
        return issue;
    }

    // Throws `text` when reading exactly, else the failure at `word` with `reason`.
    [[noreturn]] void Fail(const char* text, std::string_view word, std::string reason) const {
        if (!m_warnings)
            throw text;
        ImportIssue issue = At(word);
        issue.reason = std::move(reason);
        throw ImportFailure{issue};
    }

    void Handle(std::string_view line) {
        line = line.substr(0, line.find('#')); // a comment may end any line
        const std::string_view key = NextWord(line);
        if (key == "v")
            Numbers<3>(line, 3, m_positions);
        else if (key == "vt")
            Numbers<2>(line, 1, m_uvs);
        else if (key == "vn")
            Numbers<3>(line, 3, m_normals);
        else if (key == "f")
            Polygon(line, key);
        else if (key == "g" || key == "o")
            Build(); // the next facets start a new face
    }

    // At least `needed` numbers, of which the first N are kept (missing ones are 0).
    template <std::size_t N>
    void Numbers(std::string_view line, std::size_t needed, std::vector<std::array<float, N>>& to) {
        std::array<float, N> values{};
        for (std::size_t i = 0; i < N; ++i) {
            const std::string_view word = NextWord(line);
            if (word.empty() && i >= needed)
                break;
            if (!mgmesh::detail::ParseFloat(word, values[i]))
                Fail("Bad OBJ line", word, "expected a number, found " + Quoted(word));
        }
        to.push_back(values);
    }

    // A 1-based index, or one counted back from the end of the lines read so far; kNoLine
    // for one that names no line, in a lenient read.
    long long Index(std::string_view text, std::size_t count, const char* what) const {
        long long index = 0;
        if (!mgmesh::detail::ParseInteger(text, index)) {
            if (m_warnings && WholeNumber(text))
                return kNoLine;
            Fail("Bad OBJ line", text,
                 std::string("expected ") + what + ", found " + Quoted(text, "nothing"));
        }
        const long long size = static_cast<long long>(count);
        if (index > 0 && index <= size)
            return index - 1;
        if (index < 0 && -index <= size)
            return size + index;
        if (!m_warnings)
            throw "Bad OBJ index";
        return kNoLine;
    }

    // False for a corner with an index that names no line, in a lenient read.
    bool ReadCorner(std::string_view word, Corner& c) const {
        c = Corner();
        const std::size_t slash = word.find('/');
        c.v = Index(word.substr(0, slash), m_positions.size(), "a vertex index");
        if (slash != std::string_view::npos) {
            const std::string_view rest = word.substr(slash + 1);
            const std::size_t second = rest.find('/');
            const std::string_view t = rest.substr(0, second);
            if (!t.empty())
                c.t = Index(t, m_uvs.size(), "a texture coordinate index");
            if (second != std::string_view::npos)
                c.n = Index(rest.substr(second + 1), m_normals.size(), "a normal index");
        }
        return c.v != kNoLine && c.t != kNoLine && c.n != kNoLine;
    }

    // A polygon becomes a fan around its first corner; a lenient read skips and counts a
    // polygon it cannot make.
    void Polygon(std::string_view line, std::string_view key) {
        std::vector<Corner>& corners = m_polygon;
        corners.clear();
        std::string_view unnamed; // the first corner that names no line
        for (std::string_view word = NextWord(line); !word.empty(); word = NextWord(line)) {
            corners.emplace_back();
            if (!ReadCorner(word, corners.back()) && unnamed.empty())
                unnamed = word;
        }
        if (m_warnings) {
            const char* skipped = !unnamed.empty()     ? kNoSuchLine
                                  : corners.size() < 3 ? kFewCorners
                                                       : nullptr;
            if (skipped) {
                m_warnings->Count(At(unnamed.empty() ? key : unnamed), skipped);
                return;
            }
            if (corners.size() > 3)
                m_warnings->Count(At(key), kPolygons);
        }
        for (std::size_t i = 2; i < corners.size(); ++i) {
            m_triangles.push_back(corners[0]);
            m_triangles.push_back(corners[i - 1]);
            m_triangles.push_back(corners[i]);
        }
    }

    // Makes the face of the facets read since the last group line.
    void Build() {
        if (m_triangles.empty())
            return;
        MgFace* face = m_object.NewFace();
        face->SetGeoFaceId(0);
        m_made = true;
        std::vector<Corner> keys = m_triangles;
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        std::vector<MgVertex*> vertices;
        vertices.reserve(keys.size());
        for (const Corner& k : keys) {
            const auto& p = m_positions[std::size_t(k.v)];
            const CGeoVector normal =
                k.n < 0 ? CGeoVector() : CGeoVector(m_normals[std::size_t(k.n)].data());
            const float noUV[2] = {0, 0};
            const float* uv = k.t < 0 ? noUV : m_uvs[std::size_t(k.t)].data();
            vertices.push_back(face->AddVertex(CGeoVector(p.data()), normal, uv));
        }
        for (std::size_t i = 0; i < m_triangles.size(); i += 3) {
            MgFacet* facet = face->NewFacet();
            for (int j = 0; j < 3; ++j) {
                const auto at = std::lower_bound(keys.begin(), keys.end(), m_triangles[i + j]);
                facet->SetVertex(j, vertices[std::size_t(at - keys.begin())]);
            }
        }
        m_triangles.clear();
    }

    void Finish() {
        Build();
        if (!m_made) // a file without facets still gives its face
            m_object.NewFace()->SetGeoFaceId(0);
    }

    MgObject& m_object;
    MyProgressNotify* m_progress;
    mgmesh::detail::ImportWarnings* m_warnings;
    std::string_view m_statement; // the statement being read, in the input or in m_joined
    std::vector<Piece> m_pieces;  // its lines
    std::string m_joined;         // a statement of several lines
    std::vector<std::array<float, 3>> m_positions, m_normals;
    std::vector<std::array<float, 2>> m_uvs;
    std::vector<Corner> m_triangles; // three corners a facet, of the face being read
    std::vector<Corner> m_polygon;
    bool m_made = false;
};

} // namespace

void mgmesh::detail::ReadObj(MgObject& object, std::istream& in, MyProgressNotify* progress,
                             ImportWarnings* warnings) {
    ObjReader(object, progress, warnings).Read(in);
}

void MgObject::LoadOBJ(std::istream& in, MyProgressNotify* progress) {
    mgmesh::detail::ReadObj(*this, in, progress, nullptr);
}
