// The STL readers' memory of the corners they merged last (internal).
#pragma once

#include <cstddef>
#include <cstring>

#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

namespace mgmesh::detail {

/// Answers FindCloseVertex(p) for the corners of a file read in order, remembering the last few.
/// Neighbouring facets of a file share corners to the bit, and a corner met a moment ago needs
/// no search: its earlier answer stands unless a vertex added since lies within its box, and
/// then the newest such vertex is the answer, which is what FindCloseVertex would give, as the
/// face's vertices only ever grow meanwhile.
class RecentCorners {
public:
    explicit RecentCorners(MgFace* face) : m_face(face) {}

    MgVertex* Find(const CGeoVector& p) {
        if (!Finite(p)) // NaN merges with nothing, not even itself
            return Search(p);
        for (int k = 0; k < m_used; ++k) {
            const Entry& e = m_entries[(m_next + kEntries - 1 - k) % kEntries];
            if (std::memcmp(&e.position, &p, sizeof p) != 0)
                continue;
            MgVertex* found = e.vertex;
            for (std::size_t i = m_added; i-- > e.added;)
                if (WithinMergeBox(m_recent[i % kEntries]->Vertex(), p)) {
                    found = m_recent[i % kEntries];
                    break;
                }
            return Remember(p, found);
        }
        return Remember(p, Search(p));
    }

private:
    // An entry lives for kEntries answers, each of which adds at most one vertex, so the last
    // kEntries vertices added are all it may have to look at.
    static constexpr int kEntries = 8;
    struct Entry {
        CGeoVector position;
        MgVertex* vertex;
        std::size_t added; // vertices added before and by its search
    };

    MgVertex* Search(const CGeoVector& p) {
        const int before = m_face->NumVertices();
        const float noUV[2] = {0, 0};
        MgVertex* v = m_face->FindCloseVertex(p, CGeoVector(), noUV);
        if (m_face->NumVertices() != before)
            m_recent[m_added++ % kEntries] = v;
        return v;
    }
    MgVertex* Remember(const CGeoVector& p, MgVertex* v) {
        Entry& e = m_entries[m_next];
        e.position = p;
        e.vertex = v;
        e.added = m_added;
        m_next = (m_next + 1) % kEntries;
        m_used = m_used < kEntries ? m_used + 1 : kEntries;
        return v;
    }

    MgFace* m_face;
    Entry m_entries[kEntries];
    int m_next = 0, m_used = 0;
    MgVertex* m_recent[kEntries] = {};
    std::size_t m_added = 0; // vertices the searches added, the last kEntries in m_recent
};

} // namespace mgmesh::detail
