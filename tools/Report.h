// The info report of a loaded model, as readable text or as JSON.
#pragma once

#include <string>

#include "Load.h"

namespace mgtool {

/// Per face: id, vertices, facets, boundary loops, corners, corrupt flag, area, how its edges
/// came about and the mesh report; per object: totals, bounds, centre, radius, area and the
/// mesh report; with `time`, the load time. An object without vertices has no bounds.
std::string ReportText(const Model& model, bool time = false);

/// The same report as one JSON object (numbers with 9 significant digits; a number that is not
/// finite is null; "load_seconds" only with `time`; bounds, centre and radius null where the
/// object has no vertices).
std::string ReportJson(const Model& model, bool time = false);

/// {"file": path, "error": message}: a file that could not be loaded.
std::string ErrorJson(const std::string& path, const std::string& message);

/// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

} // namespace mgtool
