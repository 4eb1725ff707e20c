// The open-side list of edge building.
#include "mgmesh/algorithms/detail/OpenSideList.h"

#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace mgmesh::detail {
namespace {

// The most sides a group may hold for its waiting sides to be searched rather than queued.
constexpr std::uint32_t kSmallGroup = 16;

} // namespace

OpenSideList::OpenSideList(const MgVertexList& vertices, const MgFacetList& facets)
    : m_facets(facets) {
    m_vertices.reserve(vertices.size());
    for (MgVertex* v : vertices)
        Number(v);
    m_from.resize(3 * m_facets.Size());
    std::size_t side = 0;
    for (const MgFacet* f : facets)
        for (int i = 0; i < 3; ++i)
            m_from[side++] = Number(f->Vertex(i));
}

std::uint32_t OpenSideList::Number(MgVertex* v) {
    // a number is only trusted when it leads back to the vertex; a caller's value, a vertex
    // listed twice or one of another face are all sorted out by that
    const std::uintptr_t n = reinterpret_cast<std::uintptr_t>(v->AuxData());
    if (n < m_vertices.size() && m_vertices[n] == v)
        return std::uint32_t(n);
    m_vertices.push_back(v);
    v->SetAuxData(reinterpret_cast<void*>(m_vertices.size() - 1));
    return std::uint32_t(m_vertices.size() - 1);
}

std::uint32_t OpenSideList::NumberOf(const MgVertex* v) const {
    return std::uint32_t(reinterpret_cast<std::uintptr_t>(v->AuxData()));
}

template <class Key> void OpenSideList::Sort(Key key) {
    const std::uint32_t sides = NumSides();
    m_start.assign(m_vertices.size() + 1, 0);
    for (std::uint32_t s = 0; s < sides; ++s)
        if (!Gone(s))
            ++m_start[key(s) + 1];
    for (std::size_t n = 1; n < m_start.size(); ++n)
        m_start[n] += m_start[n - 1];
    m_sorted.resize(m_start.back());
    m_head.assign(m_start.begin(), m_start.end() - 1);
    for (std::uint32_t s = 0; s < sides; ++s)
        if (!Gone(s))
            m_sorted[m_head[key(s)]++] = s;
    m_head.assign(m_start.begin(), m_start.end() - 1);
}

void OpenSideList::MatchSides() {
    m_gone.assign(NumSides() / 64 + 1, 0);
    MatchPairs(); // its tables are gone before the open sides are sorted
    // the open sides by start vertex, in list order within each
    Sort([this](std::uint32_t s) { return From(s); });
    m_first = 0;
}

void OpenSideList::MatchPairs() {
    const std::uint32_t vertices = NumVertices(), sides = NumSides();
    // The sides grouped by their lower end vertex, in list order within a group: a counting
    // sort whose cursors, once every side is placed, are where the groups end.
    LargeArray<std::uint32_t> end(vertices, 0);
    for (std::uint32_t s = 0; s < sides; ++s)
        if (const std::uint32_t low = std::min(From(s), To(s)); low + 1 < vertices)
            ++end[low + 1];
    for (std::uint32_t n = 1; n < vertices; ++n)
        end[n] += end[n - 1];
    LargeArray<std::uint32_t> groups(sides);
    for (std::uint32_t s = 0; s < sides; ++s)
        groups[end[std::min(From(s), To(s))]++] = s;

    // Within a group, the sides of each pair wait for a partner oldest first; they all run the
    // same way, or a partner would have taken them. A small group keeps its waiting sides in a
    // short list that it searches; a large one queues them in a table by the other end vertex,
    // whose links are numbered within the group, as a queue only ever holds sides of the group
    // at hand.
    struct Waiting {
        std::uint32_t side, other;
        std::uint8_t fromLow;
    };
    Waiting small[kSmallGroup];
    LargeArray<std::uint32_t> head, tail;
    LargeArray<std::uint8_t> waiting; // whether the queued sides run from `low`
    std::vector<std::uint32_t> next;
    for (std::uint32_t low = 0, begin = 0; low < vertices; begin = end[low++]) {
        const bool isSmall = end[low] - begin <= kSmallGroup;
        if (!isSmall && head.empty()) { // the first large group
            head.assign(vertices, npos);
            tail.assign(vertices, npos);
            waiting.assign(vertices, 0);
        }
        if (!isSmall && next.size() < end[low] - begin)
            next.resize(end[low] - begin);
        std::uint32_t queued = 0;
        for (std::uint32_t k = begin; k < end[low]; ++k) {
            const std::uint32_t side = groups[k], a = From(side), b = To(side);
            const std::uint32_t other = a ^ b ^ low;
            // whether it runs from the group's vertex, and the direction of the sides it can
            // be matched with: a side from a vertex to itself is its own reverse
            const std::uint8_t fromLow = a == low;
            const std::uint8_t partner = a == b ? fromLow : !fromLow;
            std::uint32_t e = npos;
            if (isSmall) {
                std::uint32_t q = 0;
                while (q < queued && small[q].other != other)
                    ++q;
                if (q < queued && small[q].fromLow == partner) {
                    e = small[q].side;
                    std::copy(small + q + 1, small + queued, small + q);
                    --queued;
                } else {
                    small[queued++] = Waiting{side, other, fromLow};
                }
            } else if (head[other] != npos && waiting[other] == partner) {
                const std::uint32_t q = head[other];
                head[other] = q == tail[other] ? npos : next[q - begin];
                e = groups[q];
            } else if (head[other] == npos) {
                head[other] = tail[other] = k;
                waiting[other] = fromLow;
            } else {
                next[tail[other] - begin] = k;
                tail[other] = k;
            }
            if (e != npos) {
                // every side is matched at most once, so the order of the links is free
                m_facets[side / 3]->SetNeighbor(int(side % 3), m_facets[e / 3], int(e % 3));
                SetGone(side);
                SetGone(e);
            }
        }
        if (!isSmall)
            for (std::uint32_t k = begin; k < end[low]; ++k) {
                const std::uint32_t side = groups[k];
                head[From(side) ^ To(side) ^ low] = npos;
            }
    }
}

std::uint32_t OpenSideList::TakeFirst() {
    while (m_first < NumSides() && Gone(m_first))
        ++m_first;
    if (m_first == NumSides())
        return npos;
    const std::uint32_t s = m_first;
    SetGone(s);
    ++m_head[From(s)]; // the first open side overall is the first leaving its vertex
    return s;
}

std::uint32_t OpenSideList::TakeFrom(std::uint32_t n) {
    if (m_head[n] == m_start[n + 1])
        return npos;
    const std::uint32_t s = m_sorted[m_head[n]++];
    SetGone(s);
    return s;
}

} // namespace mgmesh::detail
