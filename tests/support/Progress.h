// A progress receiver that counts the steps it is given.
#pragma once

#include "mgmesh/io/MyProgressNotify.h"

namespace support {

/// Counts the progress steps; the readers and the writer call nothing else.
struct CountingProgress : MyProgressNotify {
    int steps = 0;
    void Step() override { ++steps; }
};

} // namespace support
