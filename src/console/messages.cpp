// The texts of the message catalogue, put together from their parts.
#include "console/messages.h"

#include "console/console.h"

namespace stampix::msg {

namespace {

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text.append(part);
  return text;
}

}  // namespace

std::string FileNotFound(std::string_view search) {
  return Join({"File not found: ", Quoted(search)});
}

std::string Announce(std::string_view folder, std::string_view name, std::string_view new_name) {
  return Join({folder, name, " = ", new_name});
}

std::string RenamedCount(std::int32_t count) {
  return Join({"Renamed ", std::to_string(count), count == 1 ? " file" : " files"});
}

std::string PathTooLong(std::string_view path) {
  return Join({"Error: Path too long. (", path, ")"});
}

std::string FileToFolder(std::string_view destination) {
  return Join({"Error: Cannot rename file to folder. (", destination, ")"});
}

std::string FolderToFile(std::string_view destination) {
  return Join({"Error: Cannot rename folder to file. (", destination, ")"});
}

std::string Skipped(std::string_view source_name, std::string_view destination_name) {
  return Join(
      {"Skipped: ", Quoted(source_name), " (destination ", Quoted(destination_name), " exists)"});
}

std::string CannotRemove(std::string_view destination_name) {
  return Join({"Error: Destination ", Quoted(destination_name), " cannot be removed."});
}

std::string RenameFailed(std::string_view source_name) {
  return Join({"Error: Rename failed. Is ", Quoted(source_name), " in use?"});
}

std::string NotAllMerged(std::string_view source_name) {
  return Join({"Error: Not all of ", Quoted(source_name), " could be merged; it was kept."});
}

}  // namespace stampix::msg
