// The guide's progress example: a receiver that counts the library's steps while a file loads.
#include <cstdio>
#include <fstream>

#include <mgmesh/mgmesh.h>

//! [progress]
// The library calls Step() once per line (or record) it reads or writes. A host turns the steps
// into a progress bar, here a dot every 1000 steps.
class DotProgress : public MyProgressNotify {
public:
    void Step() override {
        if (++m_steps % 1000 == 0)
            std::fputc('.', stdout);
    }
    long Steps() const { return m_steps; }

private:
    long m_steps = 0;
};

bool LoadWithProgress(const char* path, MgObject& object) {
    DotProgress progress;
    std::ifstream in(path);
    object.LoadSTL(in, &progress); // the receiver is only used during the call
    std::printf("\n%ld steps for %d facets\n", progress.Steps(), object.NumFacets());
    return progress.Steps() > 0;
}
//! [progress]

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: progress MODEL.stl\n");
        return 2;
    }
    try {
        MgObject object;
        return LoadWithProgress(argv[1], object) && object.NumFacets() > 0 ? 0 : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
