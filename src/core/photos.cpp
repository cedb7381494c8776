// Photos and videos by their names: the table of extensions, and the groups found in a sorted
// listing without a system call.
#include "core/photos.h"

#include <algorithm>
#include <string>
#include <utility>

namespace stampix {

namespace {

bool IsPhotoKind(Kind kind) { return kind != Kind::kOther && kind != Kind::kSidecar; }

// The name without its last dot and what follows.
std::string_view StemOf(std::string_view name) { return name.substr(0, name.rfind('.')); }

}  // namespace

// The one list of them (doc/photos.md and the manual page say it): what cameras and phones
// write, and what editors and phones write beside it.
Kind KindOf(std::string_view name) {
  static constexpr std::pair<std::string_view, Kind> kKinds[] = {
      {"jpg", Kind::kStill},   {"jpeg", Kind::kStill},  {"heic", Kind::kStill},
      {"heif", Kind::kStill},  {"tif", Kind::kStill},   {"tiff", Kind::kStill},
      {"png", Kind::kStill},   {"webp", Kind::kStill},  {"dng", Kind::kRaw},
      {"cr2", Kind::kRaw},     {"cr3", Kind::kRaw},     {"nef", Kind::kRaw},
      {"arw", Kind::kRaw},     {"orf", Kind::kRaw},     {"rw2", Kind::kRaw},
      {"raf", Kind::kRaw},     {"mp4", Kind::kMovie},   {"mov", Kind::kMovie},
      {"m4v", Kind::kMovie},   {"3gp", Kind::kMovie},   {"avi", Kind::kMovie},
      {"xmp", Kind::kSidecar}, {"aae", Kind::kSidecar}, {"thm", Kind::kSidecar}};
  const std::size_t dot = name.rfind('.');
  if (dot == name.npos || name.size() - dot > 5) return Kind::kOther;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  for (const auto& [known, kind] : kKinds)
    if (extension == known) return kind;
  return Kind::kOther;
}

bool IsPhotoOrVideo(std::string_view name) { return IsPhotoKind(KindOf(name)); }

int LeadRank(std::string_view name) {
  const Kind kind = KindOf(name);
  return kind == Kind::kRaw ? 0 : kind == Kind::kStill ? 1 : kind == Kind::kMovie ? 2 : 3;
}

Groups::Groups(const std::vector<platform::Entry>& entries, bool on) {
  for (std::size_t i = 0; on && i < entries.size(); ++i)
    if (IsPhotoKind(KindOf(entries[i].name)) && !In(i)) Gather(entries, i);
}

void Groups::Gather(const std::vector<platform::Entry>& entries, std::size_t i) {
  if (group_.empty()) {
    group_.assign(entries.size(), 0), whole_.assign(entries.size(), false);
    taken_.assign(entries.size(), false), starts_.assign(1, 0);
  }
  const std::size_t start = members_.size();
  const auto starting = [&](const std::string& prefix, bool sidecars) {
    auto at = std::partition_point(entries.begin(), entries.end(),
                                   [&](const auto& entry) { return entry.name < prefix; });
    for (; at != entries.end() && at->name.starts_with(prefix); ++at) {
      const Kind its = KindOf(at->name);
      const std::size_t j = static_cast<std::size_t>(at - entries.begin());
      if (group_[j] || its == Kind::kOther || (sidecars && its != Kind::kSidecar) ||
          StemOf(at->name).size() + 1 != prefix.size())
        continue;
      group_[j] = starts_.size();
      whole_[j] = sidecars;
      members_.push_back(j);
    }
  };
  starting(std::string(StemOf(entries[i].name)) + '.', false);
  for (std::size_t k = start, end = members_.size(); k < end; ++k)
    if (IsPhotoKind(KindOf(entries[members_[k]].name)))
      starting(entries[members_[k]].name + '.', true);
  std::sort(members_.begin() + static_cast<std::ptrdiff_t>(start), members_.end());
  if (members_.size() - start > 1) return starts_.push_back(members_.size());
  for (std::size_t k = start; k < members_.size(); ++k) group_[members_[k]] = 0;
  members_.resize(start);
}

}  // namespace stampix
