#pragma once
// The program's message catalogue: every text it writes. The texts both builds write are here;
// each build's own are in windows/messages.h (the Windows program's, byte for byte as it has always
// written them) or linux/messages.h (the Linux program's), which only that build's code includes.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace stampix::msg {

// The parts joined with nothing between them.
std::string Join(std::initializer_list<std::string_view> parts);

// The first line of the usage text: the program's name and version.
std::string VersionLine();

// A rename that was made: its path, " = " and the new name.
std::string Announce(std::string_view source, std::string_view new_name);

// The end of a run that listed more than one entry; in a preview, what it would have renamed.
std::string RenamedCount(std::int32_t count, bool preview);

}  // namespace stampix::msg
