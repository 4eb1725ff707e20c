// mgmesh_whole: the goals judged on whole processes, as a user runs them, one fresh process per
// file. Every measurement is a child process (mgmesh_process, admesh, mgtool, the CGAL build);
// each run of a row is paired with its base, run just before it on the same sphere file, and
// the table at the end is judged on the medians of these paired ratios.
//
//   mgmesh_whole [--max-facets=N] [--repetitions=N]
//
// The sphere files are those of mgmesh_bench --write-spheres (run first when one is missing);
// mgmesh_process and mgmesh_cgal_build are found beside this program, mgtool in ../tools.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ProcStatus.h"
#include "Spawn.h"
#include "SpherePaths.h"
#include "WholeResults.h"

namespace {

using bench::SpherePath;

const long kSizes[] = {20480, 81920, 327680, 1310720};

// More runs where they are cheap: 5 at the largest size.
int Repetitions(long facets) {
    return facets >= 1310720 ? 5 : facets >= 327680 ? 7 : facets >= 81920 ? 9 : 11;
}

bool Executable(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        if (Executable(dirs.substr(start, end - start) + "/" + name))
            return true;
        start = end + 1;
    }
    return false;
}

// Reads a file once, so that every process finds it in the page cache.
void Warm(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    static char buffer[1 << 16];
    while (fd >= 0 && read(fd, buffer, sizeof buffer) > 0) {
    }
    if (fd >= 0)
        close(fd);
}

using Command = std::function<std::vector<std::string>(long facets)>;

struct Programs {
    std::string dir, process, cgal, mgtool;

    Command Process(const char* step, bool binary) const {
        const std::string program = process;
        return [=](long facets) {
            return std::vector<std::string>{program, step, SpherePath(facets, binary)};
        };
    }
    static Command Admesh(bool binary) {
        return [=](long facets) {
            return std::vector<std::string>{"admesh", "--exact", SpherePath(facets, binary)};
        };
    }
    Command Cgal() const {
        const std::string program = cgal;
        return [=](long facets) {
            return std::vector<std::string>{program, SpherePath(facets, true)};
        };
    }
    Command Mgtool() const {
        const std::string program = mgtool;
        return [=](long facets) {
            return std::vector<std::string>{program, "info", SpherePath(facets, false)};
        };
    }
};

struct Plan {
    const char* name;
    Command row, base;
    std::string missing; // why it cannot run here, or empty
};

bool EnsureSpheres(const Programs& programs, long largest) {
    bool present = true;
    struct stat info;
    for (long facets : kSizes)
        for (bool binary : {false, true})
            if (facets <= largest && stat(SpherePath(facets, binary).c_str(), &info) != 0)
                present = false;
    if (present)
        return true;
    std::fprintf(stderr, "writing the sphere files into %s\n", bench::SphereDirectory().c_str());
    return bench::RunProcess({programs.dir + "/mgmesh_bench", "--write-spheres"}).ok;
}

} // namespace

int main(int argc, char** argv) {
    long largest = kSizes[3];
    int repetitions = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--max-facets=", 13) == 0)
            largest = std::atol(argv[i] + 13);
        else if (std::strncmp(argv[i], "--repetitions=", 14) == 0)
            repetitions = std::atoi(argv[i] + 14);
        else {
            std::fprintf(stderr, "usage: mgmesh_whole [--max-facets=N] [--repetitions=N]\n");
            return 2;
        }
    }
    const std::string self = SelfPath();
    Programs programs;
    programs.dir = self.substr(0, self.rfind('/'));
    programs.process = programs.dir + "/mgmesh_process";
    programs.cgal = programs.dir + "/mgmesh_cgal_build";
    programs.mgtool = programs.dir + "/../tools/mgtool";
    if (!Executable(programs.process) || !EnsureSpheres(programs, largest)) {
        std::fprintf(stderr, "mgmesh_whole: needs %s and the sphere files\n",
                     programs.process.c_str());
        return 1;
    }
    const std::string noAdmesh = OnPath("admesh") ? "" : "admesh is not installed";
    const std::string noCgal =
        Executable(programs.cgal) ? "" : "CGAL was not found when the benchmarks were built";
    const std::string noMgtool = Executable(programs.mgtool) ? "" : "mgtool is not built";
    const std::vector<Plan> plans = {
        {"LoadSTL", programs.Process("load-stl", false), programs.Process("bare", false), ""},
        {"admesh ASCII", Programs::Admesh(false), programs.Process("load-stl", false), noAdmesh},
        {"LoadBinarySTL", programs.Process("load-binary-stl", true), Programs::Admesh(true),
         noAdmesh},
        {"binary / ASCII", programs.Process("load-binary-stl", true),
         programs.Process("load-stl", false), ""},
        {"RebuildEdges", programs.Process("rebuild-edges", false), programs.Cgal(), noCgal},
        {"mgtool info", programs.Mgtool(), programs.Process("info", false), noMgtool},
        {"mgtool peak", programs.Mgtool(), programs.Process("hold", false), noMgtool},
        {"FillFacesInObj", programs.Process("fill-faces", true), programs.Process("bare", false),
         ""},
        {"Draw", programs.Process("draw", false), programs.Process("raw-strips", true), ""},
    };

    bench::WholeResults results;
    for (const Plan& plan : plans)
        if (!plan.missing.empty())
            results.missing[plan.name] = plan.missing;
    double load[3] = {};
    const bool loadKnown = getloadavg(load, 3) == 3;
    const bench::Clock::time_point start = bench::Clock::now();
    for (long facets : kSizes) {
        if (facets > largest)
            continue;
        Warm(SpherePath(facets, false));
        Warm(SpherePath(facets, true));
        const int n = repetitions > 0 ? repetitions : Repetitions(facets);
        for (int r = 0; r < n; ++r) {
            std::fprintf(stderr, "\r%ld facets: run %d of %d (%.0f s)", facets, r + 1, n,
                         bench::Since(start));
            for (const Plan& plan : plans) {
                if (!plan.missing.empty())
                    continue;
                bench::Pair pair;
                pair.base = bench::RunProcess(plan.base(facets));
                pair.row = pair.base.ok ? bench::RunProcess(plan.row(facets)) : bench::ProcessRun();
                if (!pair.base.ok || !pair.row.ok) {
                    const std::string why = pair.base.ok ? pair.row.error : pair.base.error;
                    std::fprintf(stderr, "\n%s at %ld facets failed: %s\n", plan.name, facets,
                                 why.c_str());
                    results.missing[plan.name] = "failed: " + why;
                    continue;
                }
                results.pairs[plan.name][facets].push_back(pair);
            }
        }
        std::fprintf(stderr, "\n");
    }
    std::fflush(stderr);
    std::printf("Whole processes, %.0f s in all; load average at the start %.2f %.2f %.2f",
                bench::Since(start), load[0], load[1], load[2]);
    if (loadKnown && getloadavg(load, 3) == 3)
        std::printf(", at the end %.2f %.2f %.2f", load[0], load[1], load[2]);
    std::printf("\n");
    bench::PrintWholeTables(results);
    return 0;
}
