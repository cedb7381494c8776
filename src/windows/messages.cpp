// The Windows program's texts, put together from their parts.
#include "windows/messages.h"

#include "core/console.h"

namespace stampix::msg {

std::string_view LastPathField(std::string_view path) {
  std::size_t last = path.find_last_of("\\/");
  return last == path.npos ? path : path.substr(last + 1);
}

std::string_view WindowsUsage() {
  return R"usage(This utility adds a date stamp to a file or directory name.

The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the
last time the file was modified. If the name already has a date or any
8-digit number between parentheses, a new date is not added even if the
contents have changed.

Syntax:  STAMPIX [/Y] [drive:][path]<name>

The /Y option overwrites the destination file name if it already exists.

Example: STAMPIX C:\TEST\MYFILE.EXT

In this example MYFILE.TXT was last modified on December 31, 2004, so the
above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT.
)usage";
}

std::string FileNotFound(std::string_view search) {
  return Join({"File not found: ", Quoted(search)});
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

std::string Skipped(std::string_view source, std::string_view destination) {
  return Join({"Skipped: ", Quoted(LastPathField(source)), " (destination ",
               Quoted(LastPathField(destination)), " exists)"});
}

std::string SameFile(std::string_view source, std::string_view destination) {
  return Join({"Skipped: ", Quoted(LastPathField(source)), " (destination ",
               Quoted(LastPathField(destination)), " is the same file)"});
}

std::string CannotRemove(std::string_view destination) {
  return Join({"Error: Destination ", Quoted(LastPathField(destination)), " cannot be removed."});
}

std::string RenameFailed(std::string_view source) {
  return Join({"Error: Rename failed. Is ", Quoted(LastPathField(source)), " in use?"});
}

std::string NoDate(std::string_view source) {
  return Join({"Error: The date of ", Quoted(LastPathField(source)), " cannot be stamped."});
}

std::string NotAllMerged(std::string_view source) {
  return Join(
      {"Error: Not all of ", Quoted(LastPathField(source)), " could be merged; it was kept."});
}

std::string MergedNotRemoved(std::string_view source) {
  return Join(
      {"Error: ", Quoted(LastPathField(source)), " was merged, but it could not be removed."});
}

std::string Linked(std::string_view source, std::string_view destination) {
  return Join({"Error: ", Quoted(LastPathField(source)),
               " was kept: ", Quoted(LastPathField(destination)),
               " holds a link, or shares a file or folder with it."});
}

std::string ShortNameTaken(std::string_view source, std::string_view destination) {
  return Join({"Error: ", Quoted(LastPathField(source)),
               " was kept: a name in it is the short name of another entry in ",
               Quoted(LastPathField(destination)), "."});
}

std::string ToolNotFound(std::string_view tool) {
  return Join({tool, " not found for external call? Make sure this is in your path."});
}

std::string ToolNotStarted(std::string_view tool) {
  return Join({"Error: ", tool, " could not be started."});
}

std::string ToolStatus(std::string_view tool_path, std::int32_t status) {
  return Join({tool_path, " = ERRORLEVEL ", std::to_string(status)});
}

std::string CommandLineTooLong(std::string_view tool) {
  return Join({"Error: Command line too long for ", tool, "."});
}

}  // namespace stampix::msg
