// MgRenderMode: the one-byte record that says what a Draw call draws.
#pragma once

/// Passed by value to every Draw. `fill` draws the filled facets, `edges` the boundary edges;
/// the other six bits mean nothing here and operations that change one flag keep them.
struct MgRenderMode {
    unsigned char fill : 1;  // bit 0
    unsigned char edges : 1; // bit 1
    unsigned char : 6;
};

static_assert(sizeof(MgRenderMode) == 1, "MgRenderMode is one byte");
