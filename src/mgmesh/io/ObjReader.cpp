// MgObject::LoadOBJ: the Wavefront OBJ reader.
#include <algorithm>
#include <array>
#include <cstddef>
#include <istream>
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

// A facet corner as the file names it: v, vt and vn line numbers from 0, -1 for none.
struct Corner {
    long long v = -1, t = -1, n = -1;
    bool operator<(const Corner& o) const {
        return v != o.v ? v < o.v : (t != o.t ? t < o.t : n < o.n);
    }
    bool operator==(const Corner& o) const { return v == o.v && t == o.t && n == o.n; }
};

class ObjReader {
public:
    ObjReader(MgObject& object, MyProgressNotify* progress)
        : m_object(object), m_progress(progress) {}

    void Read(std::istream& in) {
        ByteInput input(in);
        std::string_view line;
        try {
            while (input.Line(line)) {
                Handle(line);
                if (m_progress)
                    m_progress->Step();
            }
            if (input.Broken())
                throw "File problem";
        } catch (const char*) {
            Finish(); // the facets of the lines before stay
            throw;
        }
        Finish();
    }

private:
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
            Polygon(line);
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
                throw "Bad OBJ line";
        }
        to.push_back(values);
    }

    // A 1-based index, or one counted back from the end of the lines read so far.
    static long long Index(std::string_view text, std::size_t count) {
        long long index = 0;
        if (!mgmesh::detail::ParseInteger(text, index))
            throw "Bad OBJ line";
        const long long size = static_cast<long long>(count);
        if (index > 0 && index <= size)
            return index - 1;
        if (index < 0 && -index <= size)
            return size + index;
        throw "Bad OBJ index";
    }

    Corner ReadCorner(std::string_view word) const {
        Corner c;
        const std::size_t slash = word.find('/');
        c.v = Index(word.substr(0, slash), m_positions.size());
        if (slash == std::string_view::npos)
            return c;
        const std::string_view rest = word.substr(slash + 1);
        const std::size_t second = rest.find('/');
        const std::string_view t = rest.substr(0, second);
        if (!t.empty())
            c.t = Index(t, m_uvs.size());
        if (second != std::string_view::npos)
            c.n = Index(rest.substr(second + 1), m_normals.size());
        return c;
    }

    // A polygon becomes a fan around its first corner.
    void Polygon(std::string_view line) {
        std::vector<Corner>& corners = m_polygon;
        corners.clear();
        for (std::string_view word = NextWord(line); !word.empty(); word = NextWord(line))
            corners.push_back(ReadCorner(word));
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
    std::vector<std::array<float, 3>> m_positions, m_normals;
    std::vector<std::array<float, 2>> m_uvs;
    std::vector<Corner> m_triangles; // three corners a facet, of the face being read
    std::vector<Corner> m_polygon;
    bool m_made = false;
};

} // namespace

void MgObject::LoadOBJ(std::istream& in, MyProgressNotify* progress) {
    ObjReader(*this, progress).Read(in);
}
