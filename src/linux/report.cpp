// How the Linux program tells what happened: standard output is the record of what changed,
// one line for each entry after it was renamed (or, in a preview, would be) and the count;
// every skip and failure goes to standard error with the system's reason. The exit code says
// whether anything failed, and a run stops between two entries when a signal asks it to or when
// its record can no longer be written.
#include "core/report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/console.h"
#include "linux/messages.h"
#include "linux/platform_linux.h"

namespace stampix {

namespace {

// The code point of the UTF-8 sequence at the front of `text` and its length, or 0 for a byte
// that starts no valid sequence (it then stands for itself).
std::size_t Utf8Length(std::string_view text, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const std::size_t n = byte(0) >= 0xF0 ? 4 : byte(0) >= 0xE0 ? 3 : byte(0) >= 0xC2 ? 2 : 0;
  if (n == 0 || n > 4 || text.size() < n) return 0;
  c = byte(0) & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  return c >= least[n] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) ? n : 0;
}

// Characters that steer a terminal or turn the text around: C1 controls and the bidirectional
// marks, embeddings, overrides and isolates.
bool IsHidden(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x61C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// A name as one line can show it: the backslash as \\, control characters as \n, \t, \xHH
// or \uHHHH, so that each entry stays one line that reads back one way, and no name can steer
// a terminal or reverse the line around it. Bytes that are no UTF-8 pass as they are, but for
// those a terminal could take for C1 controls.
std::string Shown(std::string_view text) {
  std::string shown;
  char escape[16];
  for (std::size_t n; !text.empty(); text.remove_prefix(n)) {
    const unsigned char byte = static_cast<unsigned char>(text[0]);
    char32_t c = byte;
    n = byte < 0x80 ? 1 : Utf8Length(text, c);
    if (n == 0) n = 1, c = byte;  // not UTF-8: the byte itself
    if (c == '\\' || c == '\n' || c == '\t') {
      shown += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : "\\t";
    } else if (c < 0x20 || c == 0x7F || (n == 1 && byte >= 0x80 && byte <= 0x9F)) {
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    } else if (n > 1 && IsHidden(c)) {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      shown += escape;
    } else {
      shown.append(text.substr(0, n));
    }
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
    case Outcome::kForeign:
      return msg::AnotherUsers(n.source, n.destination);
    case Outcome::kNoDate:
      return msg::CannotStamp(n.source, "its date has no stamp of eight digits");
    case Outcome::kGone:
      return msg::CannotStamp(n.source, Reason(ENOENT));
    case Outcome::kTooDeep:
      return msg::TooDeep(n.source);
    case Outcome::kNotAllMerged:
      return msg::NotAllMergedInto(n.source, n.destination);
    case Outcome::kMergedNotRemoved:
      return msg::MergedButKept(n.source, n.destination, Reason(why));
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

int Report::NoPath() {
  PrintError(msg::NoPath());
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
  if (outcome == Outcome::kRenamed || outcome == Outcome::kMoved) {
    // A merge's entries are named by whole paths, a rename by its path and new name.
    std::string_view to = outcome == Outcome::kMoved ? given.destination : given.new_name;
    if (!choices_.null_record) return Record(msg::Announce(Shown(given.source), Shown(to)));
    return Record(msg::Join({given.source, {"", 1}, given.destination, {"", 1}}), false);
  }
  const Names names{Shown(given.source), Shown(given.destination), {}};
  if (outcome == Outcome::kSameFile) {
    PrintError(msg::SkippedSameFile(names.source, names.destination));
  } else if (outcome == Outcome::kTakenMeanwhile) {
    PrintError(msg::SkippedMeanwhile(names.source, names.destination));
  } else if (outcome == Outcome::kOwnOutput) {
    PrintError(msg::SkippedOwnOutput(names.source));
  } else if (IsSkip(outcome, choices_.overwrite)) {
    PrintError(msg::SkippedTaken(names.source, names.destination));
  } else {
    PrintError(Failure(names, outcome, why));
    failed_ = true;
  }
}

// A NUL-separated record has pairs only: its reader counts them itself.
void Report::Count(std::int32_t renamed) {
  if (!choices_.null_record) Record(msg::RenamedCount(renamed, choices_.dry_run));
}

// After a line is lost, nothing more may change: the record would no longer be whole.
void Report::Record(std::string_view line, bool line_end) {
  if (output_lost_) return;
  output_lost_ = line_end ? PrintLine(line) : platform::WriteOutput(line);
  if (output_lost_) unwritten_ = line;
}

bool Report::ShouldStop() const { return output_lost_ || platform::StopSignal() != 0; }

int Report::Finish(int code) {
  // The entry whose line a signal broke into was changed all the same.
  if (output_lost_ && !unwritten_.empty()) PrintError(msg::NotRecorded(Shown(unwritten_)));
  if (int signal = platform::StopSignal()) {
    PrintError(msg::Interrupted());
    return 128 + signal;
  }
  if (output_lost_) PrintError(msg::OutputLost(Reason(output_lost_)));
  return output_lost_ || failed_ ? std::max(code, 1) : code;
}

}  // namespace stampix
