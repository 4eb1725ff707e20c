// The SCB writer's own number formatting and line buffer against the stream's insertions
// (support::InsertScbFaces), on lines longer than the writer's buffer.
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"
#include "support/StreamReference.h"

namespace {

// The whole file by plain stream insertion.
std::string Reference(const MgObject& object, int precision) {
    std::ostringstream out;
    out.precision(precision);
    out << "scb1\npart name\n";
    support::InsertScbFaces(out, object);
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
