// The bytes of an input file, mapped rather than copied where the system allows.
#pragma once

#include <string>
#include <string_view>

namespace mgtool {

/// The whole content of `path` ("-" is standard input) for as long as the object lives. A
/// regular file is mapped read-only, so a large model costs no copy and no fresh memory;
/// standard input, pipes and devices are read into memory. Throws a ToolError: "is a
/// directory", "cannot open (reason)", "cannot read".
class FileBytes {
public:
    explicit FileBytes(const std::string& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view View() const { return m_view; }
    /// Gives back the memory of the first `bytes` of a mapped file, which a reader has passed
    /// and will not read again (reading them again still gives the file's bytes); does nothing
    /// for a copy.
    void Release(std::size_t bytes) const;

private:
    std::string m_copy;
    void* m_mapped = nullptr;
    std::size_t m_mappedSize = 0;
    mutable std::size_t m_released = 0; // the bytes already given back
    std::string_view m_view;
};

} // namespace mgtool
