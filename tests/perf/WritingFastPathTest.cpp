// The SCB writer's own number formatting and line buffer against the stream's insertions,
// written out here line by line as the format lays them out.
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

// The format with plain stream insertion, for faces whose items the writer numbers in order.
std::string Reference(const MgObject& object, int precision) {
    std::ostringstream out;
    out.precision(precision);
    out << "scb1\npart name\n";
    for (const MgFace* face : object.FaceList()) {
        out << "\tfaceBegin " << face->GeoFaceId() << "\n\t\ttolerance " << face->GeoTolerance()
            << "\n";
        int n = 0;
        for (const MgVertex* v : face->VertexList()) {
            const CGeoVector& p = v->Vertex();
            const CGeoVector& m = v->Normal();
            out << "\t\tvertex " << n++ << ' ' << v->GeoUV()[0] << ' ' << v->GeoUV()[1] << ' '
                << p.x << ' ' << p.y << ' ' << p.z << ' ' << m.x << ' ' << m.y << ' ' << m.z
                << "\n";
        }
        n = 0;
        for (const MgFacet* f : face->FacetList()) {
            out << "\t\tfacet " << n++ << '\t';
            for (int i = 0; i < 3; ++i)
                out << reinterpret_cast<std::intptr_t>(f->Vertex(i)->AuxData()) << ' ';
            out << '\t';
            for (int i = 0; i < 3; ++i)
                out << (f->Neighbor(i) ? reinterpret_cast<std::intptr_t>(f->Neighbor(i)->AuxData())
                                       : -1)
                    << ' ';
            out << "\n";
        }
        for (const MgEdge* e : face->EdgeList()) {
            out << "\t\tedge";
            for (const MgVertex* v : e->VertexList())
                out << ' ' << reinterpret_cast<std::intptr_t>(v->AuxData());
            out << "\n";
        }
        out << "\tfaceEnd\n";
    }
    return out.str();
}

} // namespace

TEST(ScbWriterFastPath, WritesWhatTheStreamsInsertionsWrite) {
    std::mt19937 random(9);
    for (int precision : {6, 1, 9, 17, 40}) {
        MgObject object;
        // a long open strip: its boundary is one edge line of thousands of numbers, longer
        // than the writer's buffer
        MgFace* face = shapes::Grid(object, 700 + precision, 1);
        face->SetGeoFaceId(-42);
        face->SetGeoTolerance(0.1f);
        face->RebuildEdges();
        for (MgVertex* v : face->VertexList()) {
            float values[6];
            for (float& value : values) {
                const std::uint32_t bits = std::uint32_t(random());
                std::memcpy(&value, &bits, sizeof value);
            }
            v->SetVertexValue(CGeoVector(values));
            v->SetNormal(CGeoVector(values + 3));
            v->SetGeoUV(values + 1);
        }
        std::ostringstream out;
        out.precision(precision);
        object.SaveSCB(out, "name");
        ASSERT_GT(face->EdgeList().front()->VertexList().size(), 1400u);
        EXPECT_EQ(out.str(), Reference(object, precision)) << "precision " << precision;
    }
}
