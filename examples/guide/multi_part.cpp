// The guide's multi-part example: a model that arrives in parts, read from a multi-part SCB file
// and extended by the host.
#include <cstdio>
#include <fstream>

#include <mgmesh/mgmesh.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: multi_part ASSEMBLY.scb\n");
        return 2;
    }
    try {
        //! [multi-part]
        CMgMultiObject model;
        model.Init(); // before anything else: makes the unprocessed and original objects

        std::ifstream in(argv[1]);
        model.LoadSCB(in); // "scb1" or "scb2"; rebuilds the original object at the end
        std::printf("unprocessed: %d facets\n", model.UnprocessedObject()->NumFacets());
        for (int i = 0; MgObject* part = model.PartObject(i); ++i)
            std::printf("part %d: %zu faces, %d facets\n", i + 1, part->FaceList().size(),
                        part->NumFacets());

        // a part the host adds: made by the model's factory, owned by the model once added
        MgObject* extra = model.NewObject();
        extra->CopyObject(model.PartObject(0));
        model.AddObject(extra);
        model.ResetOriginal(); // the original is a merged copy of everything, made again
        std::printf("original: %d facets, size %g\n", model.OriginalObject()->NumFacets(),
                    model.Size());
        //! [multi-part]

        int facets = model.UnprocessedObject()->NumFacets();
        for (const MgObject* part : model.ProcessedList())
            facets += part->NumFacets();
        return facets == model.OriginalObject()->NumFacets() && model.ProcessedList().size() >= 2
                   ? 0
                   : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
