#pragma once
// A walk down a tree of folders, depth first, each folder on the way held open by a level of its
// own: no stack frame per level, and memory that grows with the depth and the widest folder, not
// with the tree. The "-r" pass and the Linux folder merge both walk by it.
#include <cstddef>
#include <deque>
#include <utility>

namespace stampix {

// How deep any walk goes. Each level holds a folder open (a merge's level two: its source and its
// destination), and a process may hold only so many.
constexpr std::size_t kMaxDepth = 200;

// `Level`: what the walk keeps of one folder on the way down; it holds its entries in `entries`,
// and the index of the next one to take in `next`.
template <class Level>
class Walk {
 public:
  // Goes one level down, the level made of `args`; nothing where that would be deeper than a
  // walk goes.
  template <class... Args>
  Level* Enter(Args&&... args) {
    if (levels_.size() >= kMaxDepth) return nullptr;
    return &levels_.emplace_back(std::forward<Args>(args)...);
  }

  // Back up from the deepest level.
  void Leave() { levels_.pop_back(); }

  bool empty() const { return levels_.empty(); }
  std::size_t depth() const { return levels_.size(); }
  Level& deepest() { return levels_.back(); }
  // The level above the deepest; there must be one.
  Level& above() { return levels_[levels_.size() - 2]; }

  // True when the deepest level has an entry left to take.
  bool HasNext() const {
    return !levels_.empty() && levels_.back().next < levels_.back().entries.size();
  }

 private:
  std::deque<Level> levels_;  // a deque: a level stays where it is while deeper ones come and go
};

}  // namespace stampix
