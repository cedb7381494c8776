// The command tail, whatever it holds, splits into a switch, a folder part and a name part
// taken from it; nothing is invented and nothing is cut into the middle of a name.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "entry/path.h"
#include "main/command_line.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view tail(reinterpret_cast<const char*>(data), size);
  stampix::Request r = stampix::ParseTail(tail);
  if (r.show_usage) return 0;
  stampix::PathParts parts = stampix::SplitPath(r.argument);
  if (!parts.folder.empty() && !platform::EndsFolderPart(parts.folder.back())) std::abort();
  for (char c : parts.name)
    if (platform::EndsFolderPart(c)) std::abort();
  if (parts.folder.size() + parts.name.size() != r.argument.size()) std::abort();
  if (r.argument.size() > tail.size()) std::abort();
  if (r.overwrite == stampix::OverwriteMode::kOff && tail.find(r.argument) == tail.npos)
    std::abort();
  return 0;
}
