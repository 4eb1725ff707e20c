// The libFuzzer entry of one target, chosen when it is built (MGFUZZ_TARGET, the target's name).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "Targets.h"

namespace {

const mgfuzz::Target& Chosen() {
    static const mgfuzz::Target* const chosen = [] {
        for (const mgfuzz::Target& target : mgfuzz::AllTargets())
            if (std::strcmp(target.name, MGFUZZ_TARGET) == 0)
                return &target;
        std::fprintf(stderr, "no fuzz target named %s\n", MGFUZZ_TARGET);
        std::abort();
    }();
    return *chosen;
}

[[noreturn]] void Report(const char* kind, const char* what) {
    std::fprintf(stderr, "==mgfuzz== %s in %s: %s\n", kind, MGFUZZ_TARGET, what);
    std::fflush(stderr);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Chosen().run(data, size);
    } catch (const mgfuzz::Finding& finding) {
        Report("broken invariant", finding.what.c_str());
    } catch (const char* message) {
        Report("message text escaped its call", message);
    } catch (const std::exception& e) {
        Report("exception", e.what());
    } catch (...) {
        Report("exception", "of an unknown type");
    }
    return 0;
}
