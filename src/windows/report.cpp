// How the Windows program tells what happened: its own texts, every line on standard output,
// each rename announced before it is tried. A line that cannot be written is let go, and the
// exit code speaks only of the command line and of names that match nothing.
#include "core/report.h"

#include "core/console.h"
#include "windows/messages.h"

namespace stampix {

namespace {

// The line for an outcome, or empty for one that the announcement and the tools said enough of.
std::string Line(const Names& n, Outcome outcome) {
  switch (outcome) {
    case Outcome::kTaken:
      return msg::Skipped(n.source, n.destination);
    case Outcome::kSameFile:
      return msg::SameFile(n.source, n.destination);
    case Outcome::kFileToFolder:
      return msg::FileToFolder(n.destination);
    case Outcome::kFolderToFile:
      return msg::FolderToFile(n.destination);
    case Outcome::kCannotReplace:
      return msg::CannotRemove(n.destination);
    case Outcome::kCannotName:
    case Outcome::kCannotRename:
      return msg::RenameFailed(n.source);
    case Outcome::kSourceTooLong:
      return msg::PathTooLong(n.source);
    case Outcome::kTooLong:
      return msg::PathTooLong(n.destination);
    case Outcome::kTooDeep:
    case Outcome::kNotAllMerged:
      return msg::NotAllMerged(n.source);
    case Outcome::kMergedNotRemoved:
      return msg::MergedNotRemoved(n.source);
    case Outcome::kNoDate:
      return msg::NoDate(n.source);
    default:
      return {};
  }
}

}  // namespace

void Report::Usage() {
  PrintLine(msg::VersionLine());
  PrintLines(msg::WindowsUsage());
}

void Report::Version() { PrintLine(msg::VersionLine()); }

// The tail is one operand, an empty one being the current folder's entries.
int Report::NoPath() { return 1; }

int Report::NotUnderstood(std::string_view) {
  PrintLine(msg::kNotInCodePage);
  return 1;
}

void Report::Refused(Refusal refusal, std::string_view) {
  PrintLine(refusal == Refusal::kWildcardsInPath ? msg::kWildcardsInPath : msg::kNoCurrentFolder);
}

void Report::NotFound(std::string_view search, platform::Error) {
  PrintLine(msg::FileNotFound(search));
}

void Report::SearchTooLong(std::string_view search) { PrintLine(msg::PathTooLong(search)); }

void Report::Planned(const Names& names) { PrintLine(msg::Announce(names.source, names.new_name)); }

void Report::Told(const Names& names, Outcome outcome, platform::Error) {
  std::string line = Line(names, outcome);
  if (!line.empty()) PrintLine(line);
}

void Report::Count(std::int32_t renamed) { Record(msg::RenamedCount(renamed, false)); }

void Report::Record(std::string_view line, bool) { PrintLine(line); }

// Ctrl+C does not stop the Windows program, and its output is not its record.
bool Report::ShouldStop() const { return false; }

int Report::Finish(int code) { return code; }

}  // namespace stampix
