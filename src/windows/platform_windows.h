#pragma once
// What only the Windows build has: the current folder that a lone name is looked for in, the
// external tools of its folder merge and the byte-for-byte check of what they copied, and the
// command tail in the code page of the ANSI calls. Only Windows code includes this header.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/platform.h"

namespace platform {

// The attribute bit of a reparse point: a junction, or a symbolic link (under Wine a Unix one).
constexpr std::uint32_t kLink = 0x400;

// What a name leads to, links followed: the volume's serial number and the file's index there.
using FileId = std::pair<std::uint32_t, std::uint64_t>;
std::optional<FileId> Identity(const Folder& folder, std::string_view name);

// What a name leads to, links followed, and whether that is the folder's own entry. Wine shows a
// link to a file as a plain file (no reparse bit, and opened as its target whatever the flags),
// so only where the system finds it tells such a link.
struct Found {
  FileId id;
  std::uint32_t names;  // hard links: a file written through one name changes all
  bool elsewhere;       // not at the folder's path and this name: a link
};
std::optional<Found> Examine(const Folder& folder, std::string_view name);

// The text in UTF-16, from the code page of the ANSI calls.
std::wstring Wide(std::string_view text);

// Sets these read-only, hidden and system bits on the entry, keeping its others.
void AddAttributes(const Folder& folder, std::string_view name, std::uint32_t attributes);

// The current folder, with a separator at its end only at the root; empty if it cannot be read.
std::string CurrentFolder();

// Longest command line that RunAndWait accepts, counted by TextLength.
extern const std::size_t kMaxCommandLine;

// Full path of an executable found by its file name, or empty: in the program's own folder, then
// the system folder, then the folders of PATH; never in the current folder, unless PATH names it.
std::string FindOnPath(const std::string& file_name);

// The path made full, with "\" for every "/", as the system would resolve it; empty if it cannot.
std::string FullPath(const std::string& path);

// Starts the command line (no shell, no redirection) and waits for it to end. Returns its exit
// status, or nothing if it could not be started.
std::optional<std::int32_t> RunAndWait(const std::string& command_line);

void Pause(int milliseconds);

// True when the two files hold the same bytes; false when either cannot be read.
bool SameContent(const Folder& folder, std::string_view name, const Folder& other,
                 std::string_view other_name);

// The UTF-16 text in the code page `code_page`, or nothing when a character has no exact
// counterpart there (no best-fit stand-ins: "∞" must not become "8").
std::optional<std::string> InCodePage(std::wstring_view text, unsigned code_page);

}  // namespace platform
