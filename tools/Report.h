// The info report of a loaded model, as readable text or as JSON.
#pragma once

#include <string>

#include "Load.h"

namespace mgtool {

/// Per face: id, vertices, facets, boundary loops, corners, corrupt flag, area and how its
/// edges came about; per object: totals, bounds, centre, radius and area; and the load time.
std::string ReportText(const Model& model);

/// The same report as one JSON object (numbers with 9 significant digits; a number that is not
/// finite is null).
std::string ReportJson(const Model& model);

/// {"file": path, "error": message}: a file that could not be loaded.
std::string ErrorJson(const std::string& path, const std::string& message);

/// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

} // namespace mgtool
