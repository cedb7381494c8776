// Any name that lacks a stamp gets exactly one, before its last dot, and loses nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "stamp/stamp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view name(reinterpret_cast<const char*>(data), size);
  if (stampix::HasStamp(name)) return 0;
  const std::string stamp = "(20041231)";
  std::string stamped = stampix::StampedName(name, stamp);
  if (!stampix::HasStamp(stamped) || stamped.size() != name.size() + stamp.size()) std::abort();
  std::size_t at = name.rfind('.');
  if (at == name.npos) at = name.size();
  if (stamped.compare(at, stamp.size(), stamp) != 0) std::abort();
  if (stamped.erase(at, stamp.size()) != name) std::abort();
  return 0;
}
