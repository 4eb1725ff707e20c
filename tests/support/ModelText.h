// A model as text, item by item, so that two models (or one model before and after a change)
// compare as strings and a difference shows where they part.
#pragma once

#include <string>

class MgFace;
class MgObject;

namespace support {

/// What the text holds besides the items' numbers, links and reference counts.
struct TextOptions {
    bool header = true;   // a line per face: id, tolerance, true direction, corrupt flag
    bool values = true;   // positions, normals and UVs (to the bit), corner positions
    bool auxData = false; // each vertex's aux data
    bool corners = true;  // a line per corner: its edge and its place in the edge
};

/// A line per vertex, facet (vertex and neighbour numbers), edge (vertex numbers) and corner.
/// Items are numbered by their places in the face's lists; "-" stands for null and "?" for a
/// pointer that is not an item of the face, which is not followed. Linear in the face's items
/// (a corner's place, in its edge's length).
std::string FaceText(const MgFace* face, const TextOptions& options = {});

/// FaceText of every face, in list order.
std::string ModelText(const MgObject& object, const TextOptions& options = {});

} // namespace support
