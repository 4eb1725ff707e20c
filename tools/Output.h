// Output files that are replaced only by a complete write.
#pragma once

#include <string>

namespace mgtool {

/// Where an output goes while it is written. A regular file (or a path that does not exist yet)
/// is written to a temporary file beside it, renamed over it by Commit(); until then, and on any
/// failure, the target is untouched and only the temporary file is removed. "-" is standard
/// output, and an existing target that is not a regular file (a device, a pipe) is written in
/// place: neither is ever replaced or removed. A directory is refused with a ToolError.
class OutputFile {
public:
    explicit OutputFile(const std::string& target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The path to open for writing and to truncate.
    const std::string& WritePath() const { return m_writePath; }
    /// Moves a complete write into place. Throws a ToolError when that fails.
    void Commit();

private:
    std::string m_target;
    std::string m_writePath;
    bool m_temporary = false; // whether m_writePath is ours, to rename or remove
};

} // namespace mgtool
