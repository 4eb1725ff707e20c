// What mgtool says about itself: the usage, each command's help and the view keys.
#pragma once

#include <string>

namespace mgtool {

/// The short usage of every command, ending in where to read more.
extern const char kUsage[];

/// The help of one command ("info", "convert", "repair", "render", "view"): what it does,
/// every option with what it takes, and an example; null for a name that is no command.
const char* CommandHelp(const std::string& command);

/// "mgtool 0.1.0 (mgmesh 0.1.0)".
std::string VersionText();

} // namespace mgtool
