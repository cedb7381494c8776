// How the Linux program tells what happened: standard output is the record of what changed,
// one line for each entry after it was renamed (or, in a preview, would be) and the count;
// every skip and failure goes to standard error with the system's reason. The exit code says
// whether anything failed, and a run stops between two entries when a signal asks it to or when
// its record can no longer be written.
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "console/console.h"
#include "console/messages_posix.h"
#include "console/report.h"
#include "platform/platform_posix.h"

namespace stampix {

namespace {

// A name as one line can hold it: control characters, a line feed above all, as \n, \t or \xHH,
// so that every entry stays one line of the record and no name can steer a terminal.
std::string Shown(std::string_view text) {
  std::string shown;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    char escape[5] = {'\\', c == '\n' ? 'n' : c == '\t' ? 't' : 'x'};
    if (escape[1] == 'x') std::snprintf(escape + 2, 3, "%02X", byte);
    shown += escape;
  }
  return shown;
}

void PrintError(std::string_view text) {
  std::string line(text);
  platform::WriteError(line.append(platform::kLineEnd));
}

bool IsSkip(Outcome outcome, OverwriteMode overwrite) {
  if (outcome == Outcome::kTaken) return true;
  // Without "/Y" a name taken by an entry of the other kind is just a taken name.
  return overwrite == OverwriteMode::kOff &&
         (outcome == Outcome::kFileToFolder || outcome == Outcome::kFolderToFile);
}

std::string Reason(platform::Error why) { return platform::ErrorText(why); }

std::string Failure(const Names& n, Outcome outcome, platform::Error why) {
  switch (outcome) {
    case Outcome::kFileToFolder:
      return msg::IsAFolder(n.source, n.destination);
    case Outcome::kFolderToFile:
      return msg::IsNotAFolder(n.source, n.destination);
    case Outcome::kCannotReplace:
      return msg::MayNotReplace(n.source, n.destination);
    case Outcome::kTooDeep:
      return msg::TooDeep(n.source);
    case Outcome::kNotAllMerged:
      return msg::NotAllMergedInto(n.source, n.destination);
    case Outcome::kMergedNotRemoved:
      return msg::MergedButKept(n.source, n.destination, Reason(why));
    case Outcome::kGone:
      why = ENOENT;
      break;
    case Outcome::kCannotName:
      why = EINVAL;
      break;
    case Outcome::kSourceTooLong:
    case Outcome::kTooLong:
      why = ENAMETOOLONG;
      break;
    default:
      break;
  }
  return msg::CannotRename(n.source, n.destination, Reason(why));
}

}  // namespace

void Report::Usage() { PrintLines(msg::LinuxUsage()); }

void Report::Version() { PrintLine(msg::VersionLine()); }

int Report::NotUnderstood(std::string_view argument) {
  PrintError(msg::UnknownOption(Shown(argument)));
  return 2;
}

void Report::Refused(Refusal refusal, std::string_view operand) {
  PrintError(refusal == Refusal::kEmpty ? msg::EmptyOperand()
                                        : msg::NoNameOfItsOwn(Shown(operand)));
}

void Report::NotFound(std::string_view search, platform::Error why) {
  const std::string shown = Shown(search);
  PrintError(why ? msg::CannotStamp(shown, Reason(why)) : msg::NothingMatches(shown));
}

void Report::SearchTooLong(std::string_view search) {
  PrintError(msg::CannotStamp(Shown(search), Reason(ENAMETOOLONG)));
}

void Report::Planned(const Names&) {}

void Report::Told(const Names& given, Outcome outcome, platform::Error why) {
  const std::string new_name = Shown(given.new_name);
  const Names names{Shown(given.source), Shown(given.destination), new_name};
  if (outcome == Outcome::kRenamed) {
    Record(msg::Announce(names.source, names.new_name));
  } else if (outcome == Outcome::kSameFile) {
    PrintError(msg::SkippedSameFile(names.source, names.destination));
  } else if (IsSkip(outcome, choices_.overwrite)) {
    PrintError(msg::SkippedTaken(names.source, names.destination));
  } else {
    PrintError(Failure(names, outcome, why));
    failed_ = true;
  }
}

void Report::Count(std::int32_t renamed) { Record(msg::RenamedCount(renamed)); }

// After a line is lost, nothing more may change: the record would no longer be whole.
void Report::Record(std::string_view line) {
  if (!output_lost_) output_lost_ = PrintLine(line);
}

bool Report::ShouldStop() const { return output_lost_ || platform::StopSignal() != 0; }

int Report::Finish(int code) {
  if (int signal = platform::StopSignal()) {
    PrintError(msg::Interrupted());
    return 128 + signal;
  }
  if (output_lost_) PrintError(msg::OutputLost(Reason(output_lost_)));
  return output_lost_ || failed_ ? std::max(code, 1) : code;
}

}  // namespace stampix
