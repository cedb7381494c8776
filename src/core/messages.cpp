// The texts both builds write.
#include "core/messages.h"

namespace stampix::msg {

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text.append(part);
  return text;
}

std::string VersionLine() { return "STAMPIX " + std::to_string(STAMPIX_VERSION); }

std::string Announce(std::string_view source, std::string_view new_name) {
  return Join({source, " = ", new_name});
}

std::string RenamedCount(std::int32_t count, bool preview) {
  return Join({preview ? "Would rename " : "Renamed ", std::to_string(count),
               count == 1 ? " file" : " files"});
}

}  // namespace stampix::msg
