// The command tail, whatever it holds, splits into a switch, a folder part and a name part
// taken from it; nothing is invented and nothing is cut into the middle of a name.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "main/command_line.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view tail(reinterpret_cast<const char*>(data), size);
  stampix::Request r = stampix::ParseTail(tail);
  if (r.show_usage) return 0;
  if (r.folder_given == r.folder.empty()) std::abort();
  if (!r.folder.empty() && !platform::EndsFolderPart(r.folder.back())) std::abort();
  for (char c : r.name)
    if (platform::EndsFolderPart(c)) std::abort();
  std::string whole = r.folder + r.name;
  if (whole.size() > tail.size()) std::abort();
  if (!r.overwrite && tail.find(whole) == tail.npos) std::abort();
  return 0;
}
