#pragma once
// The tree-delete tool's decisions, apart from the system calls so that tables on both builds
// can test them: what its command line asks for, and what to do with one entry of the tree.
#include <cstdint>
#include <string>
#include <string_view>

namespace deltree {

// Attribute bits with the system's values.
constexpr std::uint32_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4, kDirectory = 0x10,
                        kArchive = 0x20, kNormal = 0x80, kTemporary = 0x100, kReparsePoint = 0x400,
                        kOffline = 0x1000, kNotIndexed = 0x2000;

enum class Action {
  kDescend,       // a real folder: empty it, then remove it
  kRemoveFolder,  // a link to a folder: remove the link itself
  kDeleteFile,    // a file, or a link to one: delete that entry itself
};

struct Step {
  Action action;
  std::uint32_t attributes;  // to set before the delete; 0 when none need clearing

  bool operator==(const Step&) const = default;
};

// What to do with an entry that has these attributes.
Step PlanEntry(std::uint32_t attributes);

// The attributes to put back on an entry that was not deleted after PlanEntry's were set.
std::uint32_t Restored(std::uint32_t attributes);

// The command line, program name included: the folder it names, or why it is refused.
struct Request {
  std::wstring folder;  // as given; empty when refused
  std::string refusal;  // the line that says why; empty when accepted
};

Request JudgeCommandLine(std::wstring_view command_line);

// A drive, the current folder of a drive ("C:"), a share or the top of the current drive.
bool IsRoot(std::wstring_view path);

// The form of a full path that the wide calls take past MAX_PATH and without rewriting it.
std::wstring LongPath(std::wstring_view full_path);

// Why a root is refused, whether it is given so or resolves to one.
constexpr const char* kRootRefusal = "that is the root of a drive or share";

// The one line for a refused command line.
std::string Refused(std::string_view why);

}  // namespace deltree
