// mgmesh::ImportSTL: the lenient STL import.
#include "mgmesh/io/StlImport.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/io/detail/NumberScan.h"
#include "mgmesh/io/detail/ToleranceMerge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"

namespace mgmesh {
namespace {

constexpr std::size_t kHeader = 84;
constexpr std::size_t kFacetBytes = 50;
constexpr int kStepsPerFacet = 7;         // the lines of a facet's ASCII form, as LoadSTL counts
constexpr std::size_t kPrefetchAhead = 4; // facets
constexpr std::size_t kReleaseStep = std::size_t(2) << 20;

bool SameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) // keywords are lower-case ASCII letters
        if ((word[i] >= 'A' && word[i] <= 'Z' ? word[i] + ('a' - 'A') : word[i]) != keyword[i])
            return false;
    return true;
}

// Builds the facets of one import, face by face, and notes the normals it had to replace.
class Builder {
public:
    Builder(MgObject& object, const ImportOptions& options, MyProgressNotify* progress,
            ImportResult& result)
        : m_object(object), m_options(options), m_progress(progress), m_result(result) {}
    ~Builder() { NoteNormals(); }

    void NewFace() {
        m_merge.reset(); // the old face's index goes before the new face is made
        m_face = m_object.NewFace();
        m_face->SetGeoFaceId(m_faces++);
        m_merge = std::make_unique<detail::ToleranceMerge>(m_face, m_options.tolerance);
    }
    // Tells the caller, every few MiB, that the bytes before `position` are done with.
    void Passed(std::size_t position) {
        if (m_options.released && position - m_released >= kReleaseStep) {
            m_released = position;
            m_options.released(position);
        }
    }
    bool HasFace() const { return m_face != nullptr; }
    void Reserve(std::size_t vertices) { m_merge->Reserve(vertices); }
    void Prefetch(const CGeoVector& p) const { m_merge->Prefetch(p); }

    void Facet(CGeoVector normal, const CGeoVector (&corners)[3], const ImportIssue& place) {
        if (!detail::Finite(normal) || normal == CGeoVector()) {
            if (m_replaced++ == 0)
                m_firstReplaced = place;
            const CGeoVector winding = (corners[1] - corners[0]) * (corners[2] - corners[0]);
            normal = winding == CGeoVector() ? CGeoVector() : winding.Unit();
        }
        MgFacet* facet = m_face->NewFacet();
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = m_merge->Find(corners[i]);
            facet->SetVertex(i, v);
            v->AddNormal(normal);
        }
        if (m_progress)
            for (int k = 0; k < kStepsPerFacet; ++k)
                m_progress->Step();
    }

private:
    void NoteNormals() {
        if (m_replaced == 0)
            return;
        ImportIssue issue = m_firstReplaced;
        issue.reason = std::to_string(m_replaced) +
                       " facet normal(s) NaN, infinite or zero, replaced by the normal of the "
                       "winding";
        m_result.warnings.push_back(issue);
    }

    MgObject& m_object;
    const ImportOptions& m_options;
    std::size_t m_released = 0;
    MyProgressNotify* m_progress;
    ImportResult& m_result;
    MgFace* m_face = nullptr;
    std::unique_ptr<detail::ToleranceMerge> m_merge;
    std::intptr_t m_faces = 0;
    long long m_replaced = 0;
    ImportIssue m_firstReplaced;
};

// Whitespace-separated words of a text with their line and column.
class Words {
public:
    explicit Words(std::string_view text) : m_text(text) {}

    // The next word, empty at the end; `place` gets where it starts.
    std::string_view Next(ImportIssue& place) {
        while (m_pos < m_text.size() && detail::IsSpace(m_text[m_pos]))
            Advance();
        place.line = m_line;
        place.column = static_cast<long long>(m_pos - m_lineStart) + 1;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !detail::IsSpace(m_text[m_pos]))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }
    // The number that comes next when it is in the usual short form, read in place: true, and
    // past it; false, and nothing but spaces passed, for any other text.
    bool NextShortFloat(float& value) {
        while (m_pos < m_text.size() && detail::IsSpace(m_text[m_pos]))
            Advance();
        const char* first = m_text.data() + m_pos;
        const char* end = nullptr;
        if (!detail::ShortFloat(first, m_text.data() + m_text.size(), value, end))
            return false;
        m_pos += static_cast<std::size_t>(end - first); // a space follows, as after a word
        return true;
    }
    std::size_t Position() const { return m_pos; }
    // Passes over the rest of the line (a solid's name).
    void SkipLine() {
        while (m_pos < m_text.size() && m_text[m_pos] != '\n')
            ++m_pos;
    }

private:
    void Advance() {
        if (m_text[m_pos++] == '\n') {
            ++m_line;
            m_lineStart = m_pos;
        }
    }
    std::string_view m_text;
    std::size_t m_pos = 0, m_lineStart = 0;
    long long m_line = 1;
};

struct Failure {
    ImportIssue issue;
};

std::string Quoted(std::string_view word) {
    return word.empty() ? "the end of the file" : "\"" + std::string(word.substr(0, 40)) + "\"";
}

void Expect(Words& words, std::string_view keyword) {
    ImportIssue place;
    const std::string_view word = words.Next(place);
    if (!SameWord(word, keyword)) {
        place.reason = "expected \"" + std::string(keyword) + "\", found " + Quoted(word);
        throw Failure{place};
    }
}

CGeoVector Vector(Words& words) {
    float v[3];
    for (float& value : v) {
        if (words.NextShortFloat(value))
            continue;
        ImportIssue place;
        const std::string_view word = words.Next(place);
        if (!detail::ParseFloat(word, value)) {
            place.reason = "expected a number, found " + Quoted(word);
            throw Failure{place};
        }
    }
    return CGeoVector(v[0], v[1], v[2]);
}

void ReadText(std::string_view text, Builder& builder, ImportResult& result) {
    Words words(text);
    bool inSolid = false;
    for (ImportIssue place;;) {
        const std::string_view word = words.Next(place);
        if (!inSolid && SameWord(word, "solid")) {
            words.SkipLine(); // the name
            builder.NewFace();
            inSolid = true;
        } else if (inSolid && SameWord(word, "facet")) {
            Expect(words, "normal");
            const CGeoVector normal = Vector(words);
            Expect(words, "outer");
            Expect(words, "loop");
            CGeoVector corners[3];
            for (CGeoVector& corner : corners) {
                Expect(words, "vertex");
                corner = Vector(words);
            }
            Expect(words, "endloop");
            Expect(words, "endfacet");
            builder.Facet(normal, corners, place);
            builder.Passed(words.Position());
        } else if (inSolid && SameWord(word, "endsolid")) {
            words.SkipLine();
            inSolid = false;
        } else if (word.empty() && builder.HasFace()) {
            if (inSolid) {
                place.reason = "no \"endsolid\" at the end";
                result.warnings.push_back(place);
            }
            return;
        } else {
            place.reason = std::string("expected ") +
                           (inSolid ? "\"facet\" or \"endsolid\"" : "\"solid\"") + ", found " +
                           Quoted(word);
            throw Failure{place};
        }
    }
}

void ReadBinary(std::string_view bytes, Builder& builder, ImportResult& result) {
    if (bytes.size() < kHeader) {
        ImportIssue issue;
        issue.offset = 0;
        issue.reason = "a binary STL needs 84 bytes of header and count, the file has " +
                       std::to_string(bytes.size());
        throw Failure{issue};
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t count = detail::LoadU32(data + 80);
    const std::uint64_t whole = (bytes.size() - kHeader) / kFacetBytes;
    const std::uint64_t read = count < whole ? count : whole;
    const std::uint64_t end = kHeader + read * kFacetBytes;
    if (count != whole || end != bytes.size()) {
        ImportIssue issue;
        issue.offset = static_cast<long long>(end);
        issue.facet = static_cast<long long>(read);
        issue.reason =
            "the header counts " + std::to_string(count) + " facets, the file holds " +
            std::to_string(whole) +
            (end != bytes.size() ? " and " + std::to_string(bytes.size() - end) + " bytes more"
                                 : "") +
            ": read " + std::to_string(read);
        result.warnings.push_back(issue);
    }
    builder.NewFace();
    builder.Reserve(std::size_t(read / 2)); // a closed mesh has about half as many vertices
    auto at = [](const unsigned char* p, int i) {
        return CGeoVector(detail::LoadF32(p + 12 * i), detail::LoadF32(p + 12 * i + 4),
                          detail::LoadF32(p + 12 * i + 8));
    };
    for (std::uint64_t k = 0; k < read; ++k) {
        const unsigned char* p = data + kHeader + k * kFacetBytes;
        if (k + kPrefetchAhead < read) // the cells of a facet a few ahead, asked from memory
            for (int i = 1; i <= 3; ++i)
                builder.Prefetch(at(p + kPrefetchAhead * kFacetBytes, i));
        const CGeoVector corners[3] = {at(p, 1), at(p, 2), at(p, 3)};
        ImportIssue place;
        place.offset = static_cast<long long>(p - data);
        place.facet = static_cast<long long>(k);
        builder.Facet(at(p, 0), corners, place);
        builder.Passed(std::size_t(p - data));
    }
}

// As LoadAnySTL decides: the size of a binary STL makes it binary; else a start of "solid"
// (in any case, after blanks) makes it text.
bool IsText(std::string_view bytes) {
    if (bytes.size() >= kHeader) {
        const std::uint64_t count =
            detail::LoadU32(reinterpret_cast<const unsigned char*>(bytes.data()) + 80);
        if (kHeader + count * kFacetBytes == bytes.size())
            return false;
    }
    return StartsWithSolid(bytes);
}

void WarnIfSmall(const MgObject& object, float tolerance, ImportResult& result) {
    if (!(tolerance > 0) || object.NumVertices() == 0)
        return;
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const MgFace* face : object.FaceList())
        for (const MgVertex* v : face->VertexList())
            for (int axis = 0; axis < 3; ++axis) {
                low[axis] = std::fmin(low[axis], v->Vertex()[axis]);
                high[axis] = std::fmax(high[axis], v->Vertex()[axis]);
            }
    for (int axis = 0; axis < 3; ++axis)
        if (!(high[axis] - low[axis] < 100 * tolerance))
            return;
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", static_cast<double>(tolerance));
    ImportIssue issue;
    issue.reason = std::string("the model is under 100 times the merge tolerance of ") + shown +
                   " across: corners may have been merged wrongly";
    result.warnings.push_back(issue);
}

} // namespace

bool StartsWithSolid(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size() && detail::IsSpace(bytes[start]))
        ++start;
    return SameWord(bytes.substr(start, 5), "solid");
}

ImportResult ImportSTL(MgObject& object, std::string_view bytes, const ImportOptions& options,
                       MyProgressNotify* progress) {
    ImportResult result;
    {
        Builder builder(object, options, progress, result);
        try {
            if (options.form == ImportOptions::Text ||
                (options.form == ImportOptions::Decide && IsText(bytes)))
                ReadText(bytes, builder, result);
            else
                ReadBinary(bytes, builder, result);
        } catch (const Failure& failure) {
            result.failed = true;
            result.error = failure.issue;
        }
    }
    WarnIfSmall(object, options.tolerance, result);
    return result;
}

ImportResult ImportSTL(MgObject& object, std::istream& in, const ImportOptions& options,
                       MyProgressNotify* progress) {
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ImportSTL(object, std::string_view(bytes), options, progress);
}

} // namespace mgmesh
