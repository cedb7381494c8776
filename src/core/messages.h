#pragma once
// The texts both builds write, and the one way they are joined. Each build's own texts are in its
// report: windows/report.cpp (the Windows program's, byte for byte as it has always written them)
// and linux/report.cpp.
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
