#pragma once
// Photos and videos by their names alone: what an extension says an entry is, and the groups a
// photo or video makes with the entries that go with it (its sidecars, the JPEG beside a raw),
// which a pass stamps as one, by one date.
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "core/platform.h"

namespace stampix {

// What a name's extension, in any case, says its entry is.
enum class Kind { kOther, kRaw, kStill, kMovie, kSidecar };

Kind KindOf(std::string_view name);

// True when the name's extension, in any case, is one that cameras and phones give photos and
// videos (".JPG", ".HEIC", ".CR2", ".MOV" ...).
bool IsPhotoOrVideo(std::string_view name);

// How a member stands to lead its group, the lowest leading: a raw, else a still, else a movie;
// a sidecar never.
int LeadRank(std::string_view name);

// The photos and videos of one folder's entries (in name order) with the entries that go with
// them: each group is a stem that names a photo or video, every entry named by it, a dot and a
// known extension (IMG_1.XMP, the IMG_1.JPG beside IMG_1.CR2), and every sidecar named by one
// of its photos' whole names and an extension (IMG_1.CR2.xmp). Names alone decide, and all
// names that start with a stem and a dot lie together in name order, so a folder without a photo
// or video costs a look at each extension.
class Groups {
 public:
  Groups(const std::vector<platform::Entry>& entries, bool on);

  // The members of entry i's group in name order; none when it is in no group.
  std::span<const std::size_t> Of(std::size_t i) const {
    if (!In(i)) return {};
    const std::size_t group = group_[i] - 1;
    return std::span(members_).subspan(starts_[group], starts_[group + 1] - starts_[group]);
  }

  // A sidecar named by its photo's whole name: its stamp goes where the photo's does.
  bool WholeName(std::size_t i) const { return In(i) && whole_[i]; }

  // Whether entry i was planned already, with its group; entries in none are never marked.
  bool Taken(std::size_t i) const { return In(i) && taken_[i]; }
  void Take(std::size_t i) { taken_[i] = true; }

 private:
  bool In(std::size_t i) const { return !group_.empty() && group_[i]; }

  // The group of the photo or video i, where it holds more than i.
  void Gather(const std::vector<platform::Entry>& entries, std::size_t i);

  std::vector<std::size_t> group_;    // by entry: its group's number from 1, 0 for none
  std::vector<bool> whole_, taken_;   // by entry
  std::vector<std::size_t> members_;  // the groups' entries, group after group
  std::vector<std::size_t> starts_;   // where each group starts in members_, and the end
};

}  // namespace stampix
