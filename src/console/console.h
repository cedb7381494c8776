#pragma once
// Everything the program says goes out through PrintLine, one whole line at a time.
#include <string>
#include <string_view>

namespace stampix {

// Writes the text's bytes unchanged, then the line end, to standard output. A failed or short
// write is ignored: the run goes on.
void PrintLine(std::string_view text);

// The text with one double-quote character before it and one after it.
std::string Quoted(std::string_view text);

// The first line of the usage text: the program's name and version.
std::string VersionLine();

// The sixteen lines of the usage text.
void PrintUsage();

}  // namespace stampix
