#pragma once
// The Windows program's texts. Paths come whole; a text names an entry by LastPathField, the
// whole destination path only in a kind conflict. Only Windows code includes this header.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/messages.h"

namespace stampix::msg {

// The text after the last "\" or "/" of the path, or the whole path when it holds none.
std::string_view LastPathField(std::string_view path);

// The usage text after its first line, a line feed after each row.
std::string_view WindowsUsage();

inline constexpr std::string_view kWildcardsInPath = "Error: Wildcards not allowed in path.";
inline constexpr std::string_view kNoCurrentFolder = "Error: The current folder cannot be read.";
inline constexpr std::string_view kNotInCodePage =
    "Error: The command line holds a character that this system's code page cannot hold.";

std::string FileNotFound(std::string_view search);
std::string PathTooLong(std::string_view path);

std::string FileToFolder(std::string_view destination);
std::string FolderToFile(std::string_view destination);
std::string Skipped(std::string_view source, std::string_view destination);
std::string SameFile(std::string_view source, std::string_view destination);
std::string CannotRemove(std::string_view destination);
std::string RenameFailed(std::string_view source);
std::string NoDate(std::string_view source);
std::string NotAllMerged(std::string_view source);
std::string MergedNotRemoved(std::string_view source);
std::string Linked(std::string_view source, std::string_view destination);
std::string ShortNameTaken(std::string_view source, std::string_view destination);

std::string ToolNotFound(std::string_view tool);
std::string ToolNotStarted(std::string_view tool);
std::string ToolStatus(std::string_view tool_path, std::int32_t status);
std::string CommandLineTooLong(std::string_view tool);

}  // namespace stampix::msg
