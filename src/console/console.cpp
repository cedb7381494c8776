// Line output and the usage text.
#include "console/console.h"

#include "platform/platform.h"

namespace stampix {

void PrintLine(std::string_view text) {
  // One write per line keeps lines whole when several processes share the output.
  std::string line;
  line.reserve(text.size() + platform::kLineEnd.size());
  line.append(text).append(platform::kLineEnd);
  platform::WriteOutput(line);
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).append("\"");
  return quoted;
}

std::string VersionLine() { return "STAMPIX " + std::to_string(STAMPIX_VERSION); }

void PrintUsage() {
  static constexpr std::string_view kRows[] = {
      "This utility adds a date stamp to a file or directory name.",
      "",
      "The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the",
      "last time the file was modified. If the name already has a date or any",
      "8-digit number between parentheses, a new date is not added even if the",
      "contents have changed.",
      "",
      "Syntax:  STAMPIX [/Y] [drive:][path]<name>",
      "",
      "The /Y option overwrites the destination file name if it already exists.",
      "",
      "Example: STAMPIX C:\\TEST\\MYFILE.EXT",
      "",
      "In this example MYFILE.TXT was last modified on December 31, 2004, so the",
      "above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT.",
  };
  PrintLine(VersionLine());
  for (std::string_view row : kRows) PrintLine(row);
}

}  // namespace stampix
