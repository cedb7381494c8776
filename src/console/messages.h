#pragma once
// Every line the program writes besides the usage text and the lines about the Windows
// build's external tools, in one place.
#include <cstdint>
#include <string>
#include <string_view>

namespace stampix::msg {

inline constexpr std::string_view kWildcardsInPath = "Error: Wildcards not allowed in path.";
inline constexpr std::string_view kNoCurrentFolder = "Error: The current folder cannot be read.";

std::string FileNotFound(std::string_view search);
std::string Announce(std::string_view folder, std::string_view name, std::string_view new_name);
std::string RenamedCount(std::int32_t count);
std::string PathTooLong(std::string_view path);

std::string FileToFolder(std::string_view destination);
std::string FolderToFile(std::string_view destination);
std::string Skipped(std::string_view source_name, std::string_view destination_name);
std::string CannotRemove(std::string_view destination_name);
std::string RenameFailed(std::string_view source_name);
std::string NotAllMerged(std::string_view source_name);

}  // namespace stampix::msg
