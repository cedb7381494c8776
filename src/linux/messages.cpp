// The Linux program's texts, put together from their parts.
#include "linux/messages.h"

#include "core/console.h"

namespace stampix::msg {

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
      --overwrite, /Y   when the new name is taken, replace that file, or merge the
                        folder into that folder
  -h, --help, /?        show this help
      --version         show the version
      --                take every argument after it as a PATH

A PATH that names an entry is that entry; DIR/ is the folder DIR itself. Otherwise
"*" and "?" in its last part select entries of its folder, letter case ignored, and
names that start with a dot only when the pattern does; "*/" selects folders only.
Renamed entries are listed on standard output, skips and failures on standard error.

Examples:
  stampix IMG_0001.JPG          renames it IMG_0001(20041231).JPG
  stampix -n '*.jpg'            shows what stamping this folder's .jpg files would do
  find . -depth -name '*.jpg' -exec stampix {} +

Exit status: 0 when every entry was stamped, was stamped already or was skipped because
its new name is taken; 1 when a PATH or an entry failed; 2 for a command line that is
not understood; 128+N when signal N stopped the run between two entries.
)usage";
}

std::string UnknownOption(std::string_view argument) {
  return Say({"unknown option ", Quoted(argument), "; see \"stampix --help\""});
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

std::string Interrupted() { return Say({"stopped between two entries; the rest is as it was"}); }

std::string NotRecorded(std::string_view line) {
  return Say({"stopped while writing; this change was made but is not in the list: ", line});
}

std::string OutputLost(std::string_view reason) {
  return Say({"cannot write the list of renamed entries (", reason, "); stopped"});
}

}  // namespace stampix::msg
