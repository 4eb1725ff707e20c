// The failures mgtool reports itself, beside the message texts the library throws.
#pragma once

#include <stdexcept>
#include <string>

namespace mgtool {

/// A bad command line: reported with the usage line, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A failure of one input or output file that the library did not throw (cannot open, unknown
/// format, cannot write): reported as "mgtool: FILE: message", exit status 1.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

} // namespace mgtool
