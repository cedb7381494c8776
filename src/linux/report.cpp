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
#include "core/messages.h"
#include "linux/platform_linux.h"
#include "linux/utf8.h"

namespace stampix {

namespace {

// ---- The texts ----

namespace text {

using msg::Join;

namespace {

// The program's name first, as the lines of every tool sharing a terminal begin.
std::string Say(std::initializer_list<std::string_view> parts) { return "stampix: " + Join(parts); }

}  // namespace

std::string_view LinuxUsage() {
  return R"usage(Usage: stampix [OPTION]... PATH...
Adds to the name of each file or folder the date it was last written, in local time:
MYFILE.TXT last written on 31 December 2004 becomes MYFILE(20041231).TXT. A name that
already holds "(", eight digits and ")" is left alone.

  -n, --dry-run         show what would be renamed, and change nothing
  -0, --null            list each renamed entry as its old and new path, each ended
                        by a NUL instead of a line end, and no count
  -r, --recursive       stamp a folder with everything below it, each entry by its own
                        date, entries before their folder; dot-names are left alone
      --date=SOURCE,... date each entry by the first source in the list that has a
                        date for it: modified (its last write, the default), taken
                        (when a photo or video was taken, by its own metadata) or
                        created (when it was made, where the file system keeps that)
      --no-groups       stamp each entry alone, by its own date: not a photo or video
                        with the entries that go with it (see below)
      --overwrite, /Y   when the new name is taken, replace that file, or merge the
                        folder into that folder
      --undo[=JOURNAL]  put back what the latest run not yet undone renamed (or the
                        run of that journal), as far as each entry is still as it left it
      --runs            list the runs the journals keep, the latest first
      --no-journal      keep no journal of this run (it cannot be undone)
  -h, --help, /?        show this help
      --version         show the version
      --                take every argument after it as a PATH

A PATH that names an entry is that entry; DIR/ is the folder DIR itself. Otherwise
"*" and "?" in its last part select entries of its folder, letter case ignored, and
names that start with a dot only when the pattern does; "*/" selects folders only.
Renamed entries are listed on standard output, skips and failures on standard error.
A folder renamed inside keeps its own last-write date. A photo's EXIF date is used as
written, the day where it was taken; a video's, kept in UTC, becomes the local date.
Each run keeps a journal in $XDG_STATE_HOME/stampix (~/.local/state/stampix).

Examples:
  stampix --date=taken,modified -r DCIM
                                stamps a camera card's photos and videos by the day
                                they were taken, anything else by its last write
  stampix REPORT.TXT            renames it REPORT(20041231).TXT
  stampix -n '*.txt'            shows what stamping this folder's .txt files would do
  stampix -rn Projects          shows what stamping Projects and everything below it
                                by last write would do

In one folder, a photo or video and the entries named by its stem and an extension
below (IMG_1.XMP, the IMG_1.JPG beside IMG_1.CR2) or by its whole name and one
(IMG_1.CR2.xmp) are stamped as one, all or none, by the date of the raw, else the
still, else the movie: IMG_1(20170914).XMP, IMG_1(20170914).CR2.xmp. Naming one names
them all. Raws: dng cr2 cr3 nef arw orf rw2 raf; stills: jpg jpeg heic heif tif tiff
png webp; movies: mp4 mov m4v 3gp avi; sidecars: xmp aae thm, and all of these.
A run that dates photos or videos by their last write, --date not given, says so at
its end on standard error.

Exit status: 0 when every entry was stamped, was stamped already or was skipped because
its new name is taken; 1 when a PATH or an entry failed; 2 for a command line that is
not understood; 128+N when signal N stopped the run between two entries.
)usage";
}

std::string UnknownOption(std::string_view argument) {
  return Say({"unknown option ", Quoted(argument), "; see \"stampix --help\""});
}

std::string NotDateSources(std::string_view argument) {
  return Say({Quoted(argument), " is not a list of date sources (modified, taken, created);",
              " see \"stampix --help\""});
}

std::string NoPath() { return Say({"no PATH given; see \"stampix --help\""}); }

std::string EmptyOperand() { return Say({"an empty PATH names no entry"}); }

std::string NoNameOfItsOwn(std::string_view operand) {
  return Say({"refusing to stamp ", Quoted(operand), ": give the folder by its own name"});
}

std::string CannotStamp(std::string_view operand, std::string_view reason) {
  return Say({"cannot stamp ", Quoted(operand), ": ", reason});
}

std::string NothingMatches(std::string_view pattern) {
  return Say({"nothing matches ", Quoted(pattern)});
}

std::string SkippedTaken(std::string_view source, std::string_view destination) {
  return Say({"skipped ", Quoted(source), ": ", Quoted(destination), " exists"});
}

std::string SkippedSameFile(std::string_view source, std::string_view destination) {
  return Say({"skipped ", Quoted(source), ": ", Quoted(destination), " is the same file"});
}

std::string SkippedMeanwhile(std::string_view source, std::string_view destination) {
  return Say({"skipped ", Quoted(source), ": ", Quoted(destination),
              " was taken by another program meanwhile"});
}

std::string SkippedOwnOutput(std::string_view source) {
  return Say({"skipped ", Quoted(source), ": this run writes its output there"});
}

std::string AnotherUsers(std::string_view source, std::string_view destination) {
  return Say({"cannot put ", Quoted(source), " in place of ", Quoted(destination),
              ": it belongs to another user"});
}

std::string IsAFolder(std::string_view source, std::string_view destination) {
  return Say({"cannot replace ", Quoted(destination), " by ", Quoted(source), ": it is a folder"});
}

std::string IsNotAFolder(std::string_view source, std::string_view destination) {
  return Say(
      {"cannot merge ", Quoted(source), " into ", Quoted(destination), ": it is not a folder"});
}

std::string MayNotReplace(std::string_view source, std::string_view destination) {
  return Say({"cannot replace ", Quoted(destination), " by ", Quoted(source),
              ": it is read-only, hidden or not a file"});
}

std::string CannotRename(std::string_view source, std::string_view destination,
                         std::string_view reason) {
  return Say({"cannot rename ", Quoted(source), " to ", Quoted(destination), ": ", reason});
}

std::string TooDeep(std::string_view source) {
  return Say({"cannot merge ", Quoted(source), ": folders nested too deep"});
}

std::string NotAllMergedInto(std::string_view source, std::string_view destination) {
  return Say({"not all of ", Quoted(source), " could be merged into ", Quoted(destination),
              "; it was kept"});
}

std::string MergedButKept(std::string_view source, std::string_view destination,
                          std::string_view reason) {
  return Say({Quoted(source), " was merged into ", Quoted(destination),
              ", but the emptied folder could not be removed: ", reason});
}

std::string NotEntered(std::string_view folder) {
  return Say({"not going into ", Quoted(folder), ": another file system is mounted there"});
}

std::string TimeNotKept(std::string_view folder, std::string_view reason) {
  return Say({"cannot put back the last-write time of ", Quoted(folder), ": ", reason});
}

std::string JournalLost(std::string_view reason) {
  return Say({"cannot keep the journal that --undo reads (", reason,
              "); nothing more is renamed (--no-journal runs without it)"});
}

std::string NotBack(std::string_view now, std::string_view was, std::string_view reason) {
  return Say({"cannot put back ", Quoted(now), " as ", Quoted(was), ": ", reason});
}

std::string ReplacedGone(std::string_view name) {
  return Say({"what ", Quoted(name), " held before the run is gone: /Y replaced it"});
}

std::string HoldsJournal(std::string_view source) {
  return Say({"skipped ", Quoted(source), ": it holds the journal of this run"});
}

std::string NotYours(std::string_view path) {
  return Say({"refusing ", Quoted(path), ": it is another user's, or others may write to it"});
}

std::string StillGoing(std::string_view journal) {
  return Say({"cannot undo ", Quoted(journal), ": its run is still going, or being undone"});
}

std::string NotMarked(std::string_view journal, std::string_view reason) {
  return Say({"cannot write what was put back to ", Quoted(journal), ": ", reason});
}

std::string Undoing(std::string_view run, bool dry_run) {
  return Say({dry_run ? "would put back the run of " : "putting back the run of ", run});
}

std::string NotRead(std::string_view folder, std::string_view reason) {
  return Say({"cannot read ", Quoted(folder), " (", reason, "); what it holds is left as it is"});
}

std::string CannotUndo(std::string_view journal, std::string_view reason) {
  return Say({"cannot undo ", Quoted(journal), ": ", reason});
}

std::string DatedByLastWrite(std::int32_t photos, bool preview) {
  const bool one = photos == 1;
  const std::string_view verb = preview ? " would be" : one ? " was" : " were";
  return Say({one ? "1 photo or video" : std::to_string(photos) + " photos and videos", verb,
              " dated by ", one ? "its" : "their", " last write; --date=taken,modified dates",
              " photos and videos by the day they were taken"});
}

std::string Interrupted() { return Say({"stopped between two entries; the rest is as it was"}); }

std::string NotRecorded(std::string_view line) {
  return Say({"stopped while writing; this change was made but is not in the list: ", line});
}

std::string OutputLost(std::string_view reason) {
  return Say({"cannot write the list of renamed entries (", reason, "); stopped"});
}

}  // namespace text

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
    n = Utf8Sequence(text, c);
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

std::string Reason(platform::Error why) { return platform::ErrorText(why); }

std::string_view SourceName(DateSource source) {
  return source == DateSource::kTaken     ? "taken"
         : source == DateSource::kCreated ? "created"
                                          : "modified";
}

// The sources a run tried, as "--date=" names them.
std::string SourcesTried(const std::vector<DateSource>& dates) {
  std::string names;
  for (DateSource source : dates)
    names.append(names.empty() ? "" : ", ").append(SourceName(source));
  return names;
}

std::string Amount(std::int32_t count, std::string_view what) {
  return msg::Join({std::to_string(count), " ", what, count == 1 ? "" : "s"});
}

// "Renamed 3 files", as the Windows program counts, while no folder was renamed, else files and
// folders apart ("Renamed 1996 files and 13 folders"); with more than one source, how many each
// dated ("(2 by taken, 1 by modified)").
std::string CountLine(const Tally& tally, const std::vector<DateSource>& dates, bool preview) {
  const std::int32_t files = tally.renamed - tally.folders;
  std::string line = msg::RenamedCount(files, preview);
  if (tally.folders) {
    line.resize(line.size() - Amount(files, "file").size());
    if (files) line.append(Amount(files, "file")).append(" and ");
    line.append(Amount(tally.folders, "folder"));
  }
  const std::int32_t dated = tally.by_source[0] + tally.by_source[1] + tally.by_source[2];
  // An undo's tally dates none.
  if (dates.size() < 2 || !tally.renamed || dated != tally.renamed) return line;
  for (std::size_t i = 0; i < dates.size(); ++i)
    line.append(i ? ", " : " (")
        .append(std::to_string(tally.by_source[static_cast<int>(dates[i])]))
        .append(" by ")
        .append(SourceName(dates[i]));
  return line.append(")");
}

// A date past 9999 is the only way a last write alone fails to date an entry.
std::string NoDate(const std::vector<DateSource>& dates) {
  if (dates == std::vector{DateSource::kModified}) return "its date has no stamp of eight digits";
  return "no date by " + SourcesTried(dates);
}

std::string Failure(const Names& n, Outcome outcome, platform::Error why,
                    const std::vector<DateSource>& dates) {
  switch (outcome) {
    case Outcome::kFileToFolder:
      return text::IsAFolder(n.source, n.destination);
    case Outcome::kFolderToFile:
      return text::IsNotAFolder(n.source, n.destination);
    case Outcome::kCannotReplace:
      return text::MayNotReplace(n.source, n.destination);
    case Outcome::kForeign:
      return text::AnotherUsers(n.source, n.destination);
    case Outcome::kNoDate:
      return text::CannotStamp(n.source, NoDate(dates));
    case Outcome::kGone:
      return text::CannotStamp(n.source, Reason(ENOENT));
    case Outcome::kTooDeep:
      return text::TooDeep(n.source);
    case Outcome::kTooDeepToWalk:
      return text::CannotStamp(n.source, "folders nested too deep");
    case Outcome::kNotListed:
      return text::NotRead(n.source, Reason(why));
    case Outcome::kNotYours:
      return text::NotYours(n.source);
    case Outcome::kStillGoing:
      return text::StillGoing(n.source);
    case Outcome::kNotMarked:
      return text::NotMarked(n.source, Reason(why));
    case Outcome::kJournalLost:
      return text::JournalLost(Reason(why));
    case Outcome::kNotUndone:
      return text::NotBack(n.source, n.destination, "it was renamed or removed since");
    case Outcome::kOldNameTaken:
      return text::NotBack(n.source, n.destination, Quoted(n.destination) + " is taken");
    case Outcome::kReplacedGone:
      return text::ReplacedGone(n.source);
    case Outcome::kNoJournal:
      return text::CannotUndo(n.source, why == ENOENT ? "no run there left to undo" : Reason(why));
    case Outcome::kNotAJournal:
      return text::CannotUndo(n.source, "not a journal of this version, or undone already");
    case Outcome::kTimeNotKept:
      return text::TimeNotKept(n.source, Reason(why));
    case Outcome::kNotAllMerged:
      return text::NotAllMergedInto(n.source, n.destination);
    case Outcome::kMergedNotRemoved:
      return text::MergedButKept(n.source, n.destination, Reason(why));
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
  return text::CannotRename(n.source, n.destination, Reason(why));
}

}  // namespace

// What the Linux report keeps from line to line.
struct Report::State {
  explicit State(const Choices& given)
      : choices(given),
        output_lost(platform::OutputError()),
        progress(!platform::IsTerminal(false) && platform::IsTerminal(true)) {}

  void Record(std::string_view line, bool line_end = true);
  void Warn(std::string_view line);
  std::string Trouble(const Names& given, Outcome outcome, platform::Error why);

  Choices choices;
  bool failed = false;              // an entry failed (an operand's failure is in the code)
  platform::Error output_lost = 0;  // why a line of the record could not be written
  std::string unwritten;            // that line
  bool progress = false;            // progress is shown on standard error
  std::int64_t progress_at = -1;    // when it was last drawn; -1: it is not on the screen
};

// A standard output closed by the caller cannot take the record: nothing may change. Progress
// is for a person watching a terminal while the record goes to a file or another program.
Report::Report(const Choices& choices) : state_(std::make_unique<State>(choices)) {}

Report::~Report() = default;

void Report::Usage() { PrintLines(text::LinuxUsage()); }

void Report::Version() { PrintLine(msg::VersionLine()); }

int Report::NotUnderstood(std::string_view argument) {
  if (argument.empty()) {
    state_->Warn(text::NoPath());
    return 2;
  }
  const bool dates = argument == "--date" || argument.starts_with("--date=");
  state_->Warn(dates ? text::NotDateSources(Shown(argument))
                     : text::UnknownOption(Shown(argument)));
  return 2;
}

void Report::Refused(Refusal refusal, std::string_view operand) {
  state_->Warn(refusal == Refusal::kEmpty ? text::EmptyOperand()
                                          : text::NoNameOfItsOwn(Shown(operand)));
}

void Report::NotFound(std::string_view search, platform::Error why) {
  const std::string shown = Shown(search);
  state_->Warn(why ? text::CannotStamp(shown, Reason(why)) : text::NothingMatches(shown));
}

void Report::SearchTooLong(std::string_view search) {
  state_->Warn(text::CannotStamp(Shown(search), Reason(ENAMETOOLONG)));
}

void Report::Planned(const Names&) {}

void Report::Told(const Names& given, Outcome outcome, platform::Error why) {
  if (outcome == Outcome::kRenamed || outcome == Outcome::kMoved) {
    // A merge's entries are named by whole paths, a rename by its path and new name.
    std::string_view to = outcome == Outcome::kMoved ? given.destination : given.new_name;
    if (!state_->choices.null_record)
      return state_->Record(msg::Announce(Shown(given.source), Shown(to)));
    return state_->Record(msg::Join({given.source, {"", 1}, given.destination, {"", 1}}), false);
  }
  if (outcome == Outcome::kListed) return state_->Record(Shown(given.source));
  state_->Warn(state_->Trouble(given, outcome, why));
}

void Report::Held(const Names& names, Outcome outcome, platform::Error why,
                  const std::vector<std::string>& others) {
  std::string line = state_->Trouble(names, outcome, why);
  line.append("; the entries that go with it stay as they are: ");
  for (const std::string& name : others)
    line.append(&name == &others.front() ? "" : ", ").append(Shown(name));
  state_->Warn(line);
}

// The line on standard error for an entry that was not renamed; a failure, not a skip, marks the
// run as failed.
std::string Report::State::Trouble(const Names& given, Outcome outcome, platform::Error why) {
  const Names names{Shown(given.source), Shown(given.destination), {}};
  if (outcome == Outcome::kUndoing) return text::Undoing(names.source, choices.dry_run);
  if (outcome == Outcome::kHoldsJournal) return text::HoldsJournal(names.source);
  if (outcome == Outcome::kSameFile) return text::SkippedSameFile(names.source, names.destination);
  if (outcome == Outcome::kTakenMeanwhile)
    return text::SkippedMeanwhile(names.source, names.destination);
  if (outcome == Outcome::kOtherFileSystem) return text::NotEntered(names.source);
  if (outcome == Outcome::kOwnOutput) return text::SkippedOwnOutput(names.source);
  if (IsSkip(outcome, choices.overwrite))
    return text::SkippedTaken(names.source, names.destination);
  failed = true;
  return Failure(names, outcome, why, choices.dates);
}

// The clock is read only every so many entries, and the line drawn a few times a second at most:
// "12800 entries, in DCIM/100CANON", the folder's end where it is long.
void Report::Progress(const platform::Folder& folder, std::int32_t done) {
  constexpr std::int32_t kEvery = 128;
  constexpr std::int64_t kPause = 250;  // milliseconds
  constexpr std::size_t kWidth = 50;    // bytes of the folder shown, so that the line fits
  if (!state_->progress || done % kEvery) return;
  const std::int64_t now = platform::Milliseconds();
  if (state_->progress_at >= 0 && now - state_->progress_at < kPause) return;
  state_->progress_at = now;
  std::string path = folder.path();  // as lines name it, without the separator at its end
  if (path.size() > 1) path.pop_back();
  std::string shown = Shown(path.empty() ? "." : path);
  if (shown.size() > kWidth) {
    std::size_t cut = shown.size() - kWidth;
    while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) ++cut;
    shown = "..." + shown.substr(cut);
  }
  platform::WriteError(msg::Join({"\r", std::to_string(done), " entries, in ", shown, "\x1B[K"}));
}

// A NUL-separated record has pairs only: its reader counts them itself. A camera card stamped
// by the default source gets the day of its copy, or of a camera clock's wrong year: said once.
void Report::Count(const Tally& tally) {
  if (tally.found > 1 && !state_->choices.null_record)
    state_->Record(CountLine(tally, state_->choices.dates, state_->choices.dry_run));
  if (!state_->choices.dates_chosen && tally.photos_by_modified)
    state_->Warn(text::DatedByLastWrite(tally.photos_by_modified, state_->choices.dry_run));
}

// After a line is lost, nothing more may change: the record would no longer be whole.
void Report::State::Record(std::string_view line, bool line_end) {
  if (output_lost) return;
  output_lost = line_end ? PrintLine(line) : platform::WriteOutput(line);
  if (output_lost) unwritten = line;
}

bool Report::ShouldStop() const { return state_->output_lost || platform::StopSignal() != 0; }

void Report::State::Warn(std::string_view line) {
  if (progress_at >= 0) platform::WriteError("\r\x1B[K");
  progress_at = -1;
  PrintError(line);
}

int Report::Finish(int code) {
  if (state_->progress_at >= 0) platform::WriteError("\r\x1B[K");
  state_->progress_at = -1;
  // The entry whose line a signal broke into was changed all the same; in a preview, nothing was.
  if (state_->output_lost && !state_->unwritten.empty() && !state_->choices.dry_run)
    state_->Warn(text::NotRecorded(Shown(state_->unwritten)));
  if (int signal = platform::StopSignal()) {
    state_->Warn(text::Interrupted());
    return 128 + signal;
  }
  if (state_->output_lost) state_->Warn(text::OutputLost(Reason(state_->output_lost)));
  return state_->output_lost || state_->failed ? std::max(code, 1) : code;
}

}  // namespace stampix
