// MgObject::LoadBinarySTL: the binary STL reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <vector>

#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/io/detail/RecentCorners.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

namespace {

using mgmesh::detail::BytesAhead;
using mgmesh::detail::LoadF32;

constexpr std::size_t kHeader = 84;     // 80 bytes of text, then the facet count
constexpr std::size_t kFacetBytes = 50; // normal, three corners, a 16-bit attribute
// A block of facets read at once; the count in the header only bounds what is asked of the
// stream, so a count the input cannot hold costs no memory.
constexpr std::size_t kBlockFacets = 4096;
// How far ahead of the facet being built its corners' cells are asked from memory.
constexpr std::size_t kPrefetchAhead = 4;
// Progress counts the lines of the ASCII form: a facet spans seven of them.
constexpr int kLinesPerFacet = 7;

CGeoVector VectorAt(const unsigned char* p) {
    return CGeoVector(LoadF32(p), LoadF32(p + 4), LoadF32(p + 8));
}

} // namespace

void MgObject::LoadBinarySTL(std::istream& in, MyProgressNotify* progress) {
    MgFace* face = NewFace();
    face->SetGeoFaceId(0);

    unsigned char header[kHeader];
    in.read(reinterpret_cast<char*>(header), kHeader);
    if (static_cast<std::size_t>(in.gcount()) != kHeader)
        throw "File problem";
    std::uint32_t left = mgmesh::detail::LoadU32(header + 80);

    mgmesh::detail::VertexLookup lookup(face, mgmesh::detail::VertexLookup::Close);
    // a closed mesh has about half as many vertices as facets
    lookup.ReserveClose(std::min<std::uint64_t>(left, BytesAhead(in) / kFacetBytes) / 2);
    mgmesh::detail::RecentCorners corners(face);
    std::vector<unsigned char> block;
    while (left > 0) {
        // bytes after the last counted facet stay in the stream
        const std::size_t want = left < kBlockFacets ? left : kBlockFacets;
        block.resize(want * kFacetBytes);
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount()) / kFacetBytes;
        for (std::size_t k = 0; k < got; ++k) {
            const unsigned char* p = block.data() + k * kFacetBytes;
            if (k + kPrefetchAhead < got)
                for (int i = 0; i < 3; ++i)
                    lookup.Prefetch(VectorAt(p + kPrefetchAhead * kFacetBytes + 12 + 12 * i));
            const CGeoVector normal = VectorAt(p);
            MgFacet* facet = face->NewFacet();
            for (int i = 0; i < 3; ++i) {
                MgVertex* v = corners.Find(VectorAt(p + 12 + 12 * i));
                facet->SetVertex(i, v);
                v->AddNormal(normal);
            }
            if (progress)
                for (int line = 0; line < kLinesPerFacet; ++line)
                    progress->Step();
        }
        if (got < want) // the facets read stay, as a text load keeps its blocks
            throw "File problem";
        left -= static_cast<std::uint32_t>(want);
    }
}
