// How the Windows program tells what happened: its own texts, every line on standard output,
// each rename announced before it is tried. A line that cannot be written is let go, and the
// exit code speaks only of the command line and of names that match nothing.
#include "core/report.h"

#include "core/console.h"
#include "core/messages.h"
#include "windows/tools_report.h"

namespace stampix {

namespace {

// ---- The texts ----

namespace text {

using msg::Join;

inline constexpr std::string_view kWildcardsInPath = "Error: Wildcards not allowed in path.";
inline constexpr std::string_view kNoCurrentFolder = "Error: The current folder cannot be read.";
inline constexpr std::string_view kNotInCodePage =
    "Error: The command line holds a character that this system's code page cannot hold.";
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

std::string RefusesPath(std::string_view tool) {
  return Join({"Error: ", tool, " would refuse the path of the folder; nothing was copied."});
}

}  // namespace text

// The line for an outcome, or empty for one that the announcement and the tools said enough of.
std::string Line(const Names& n, Outcome outcome) {
  switch (outcome) {
    case Outcome::kTaken:
      return text::Skipped(n.source, n.destination);
    case Outcome::kSameFile:
      return text::SameFile(n.source, n.destination);
    case Outcome::kFileToFolder:
      return text::FileToFolder(n.destination);
    case Outcome::kFolderToFile:
      return text::FolderToFile(n.destination);
    case Outcome::kCannotReplace:
      return text::CannotRemove(n.destination);
    case Outcome::kCannotName:
    case Outcome::kCannotRename:
      return text::RenameFailed(n.source);
    case Outcome::kSourceTooLong:
      return text::PathTooLong(n.source);
    case Outcome::kTooLong:
      return text::PathTooLong(n.destination);
    case Outcome::kTooDeep:
    case Outcome::kNotAllMerged:
      return text::NotAllMerged(n.source);
    case Outcome::kMergedNotRemoved:
      return text::MergedNotRemoved(n.source);
    case Outcome::kLinkedTrees:
      return text::Linked(n.source, n.destination);
    case Outcome::kShortName:
      return text::ShortNameTaken(n.source, n.destination);
    case Outcome::kNoDate:
      return text::NoDate(n.source);
    default:
      return {};
  }
}

}  // namespace

// The Windows report keeps nothing from line to line.
struct Report::State {};

Report::Report(const Choices&) {}

Report::~Report() = default;

void Report::Usage() {
  PrintLine(msg::VersionLine());
  PrintLines(text::WindowsUsage());
}

void Report::Version() { PrintLine(msg::VersionLine()); }

int Report::NotUnderstood(std::string_view) {
  PrintLine(text::kNotInCodePage);
  return 1;
}

void Report::Refused(Refusal refusal, std::string_view) {
  PrintLine(refusal == Refusal::kWildcardsInPath ? text::kWildcardsInPath : text::kNoCurrentFolder);
}

void Report::NotFound(std::string_view search, platform::Error) {
  PrintLine(text::FileNotFound(search));
}

void Report::SearchTooLong(std::string_view search) { PrintLine(text::PathTooLong(search)); }

void Report::Planned(const Names& names) { PrintLine(msg::Announce(names.source, names.new_name)); }

void Report::Told(const Names& names, Outcome outcome, platform::Error) {
  std::string line = Line(names, outcome);
  if (!line.empty()) PrintLine(line);
}

// The Windows program stamps every entry alone (platform::GroupsPhotos): no group is held, and
// were one, the entry's own line would say why.
void Report::Held(const Names& names, Outcome outcome, platform::Error why,
                  const std::vector<std::string>&) {
  Told(names, outcome, why);
}

// Each entry's own lines show how far the run is.
void Report::Progress(const platform::Folder&, std::int32_t) {}

void Report::Count(const Tally& tally) {
  if (tally.found > 1) PrintLine(msg::RenamedCount(tally.renamed, false));
}

void TellTool(Tool what, std::string_view tool, std::int32_t status) {
  switch (what) {
    case Tool::kNotFound:
      PrintLine(text::ToolNotFound(tool));
      break;
    case Tool::kNotStarted:
      PrintLine(text::ToolNotStarted(tool));
      break;
    case Tool::kFailed:
      PrintLine(text::ToolStatus(tool, status));
      break;
    case Tool::kCommandLineTooLong:
      PrintLine(text::CommandLineTooLong(tool));
      break;
    case Tool::kRefusesPath:
      PrintLine(text::RefusesPath(tool));
      break;
  }
}

// Ctrl+C does not stop the Windows program, and its output is not its record.
bool Report::ShouldStop() const { return false; }

int Report::Finish(int code) { return code; }

}  // namespace stampix
