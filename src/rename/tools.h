#pragma once
// Folder merges by the external copy and tree-delete tools.
#include <string>

namespace stampix {

inline constexpr const char* kCopyTool = "XCOPY.EXE";
inline constexpr const char* kDeleteTool = "DELTREE.EXE";

// The tool's full path from the system's executable search, or empty when it is not found.
std::string FindOnPath(const std::string& file_name);

// The command line that copies the source tree into the destination folder.
std::string CopyCommandLine(const std::string& tool, const std::string& source,
                            const std::string& destination);

// The command line that removes the source tree.
std::string DeleteCommandLine(const std::string& tool, const std::string& source);

// Copies the source folder's tree into the existing destination folder, then removes the
// source tree. Writes a line for each failure. Returns true when both tools ran and neither
// reported a failure; the source may still exist even then.
bool MergeFolder(const std::string& source, const std::string& destination);

}  // namespace stampix
