// Nothing is lost: seeded random folders, each stamped by a separate run with and without /Y
// (stub tools that really copy and delete), checked against a ledger of every file's content
// and every link taken before the run. LEDGER_FOLDERS sets how many folders (default 300),
// LEDGER_SEED the first seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "support/harness.h"

namespace {

namespace fs = std::filesystem;
using test::At;

// Path below the folder -> "F:content", "L:target" or "D".
using Ledger = std::map<std::string, std::string>;

Ledger Take(const fs::path& folder) {
  Ledger ledger;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    std::string rel = it->path().lexically_relative(folder).string();
    if (it->is_symlink()) {
      ledger[rel] = "L:" + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      ledger[rel] = "D";
    } else {
      ledger[rel] = "F:" + test::Content(it->path());
    }
  }
  return ledger;
}

class Folder {
 public:
  Folder(unsigned seed, const fs::path& work, const fs::path& outside)
      : rng_(seed), work_(work), outside_(outside) {}

  void Fill() {
    test::MakeFolder(outside_ / "DIR", day_);
    test::MakeFile(outside_ / "TARGET", "outside", day_);
    for (int i = Pick(4, 14); i > 0; --i) Add(Name());
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::string Name() {
    static const char* kBases[] = {"A", "b", ".C", "D*", "E?", "F.G", "H (12345678)", "I"};
    static const char* kExtensions[] = {"", ".TXT", ".txt", ".T.X", "."};
    return std::string(kBases[Pick(0, 7)]) + kExtensions[Pick(0, 4)];
  }

  std::string Stamped(const std::string& name) {
    std::size_t dot = name.rfind('.');
    if (dot == name.npos) dot = name.size();
    return name.substr(0, dot) + "(20041231)" + name.substr(dot);
  }

  void Add(const std::string& name) {
    fs::path path = At(work_, name);
    if (fs::exists(fs::symlink_status(path))) return;
    switch (Pick(0, 6)) {
      case 0: return MakeTree(path);
      case 1: return test::MakeLink(outside_ / "TARGET", path, day_);
      case 2: return test::MakeLink(outside_ / "DIR", path, day_);
      case 3: test::MakeFile(path, Unique(), day_); return test::SetReadOnly(path, true);
      default: test::MakeFile(path, Unique(), day_);
    }
    if (Pick(0, 2) == 0) Add(Stamped(name));  // the stamped name is taken already
  }

  void MakeTree(const fs::path& path) {
    test::MakeFolder(path / "SUB", day_);
    test::MakeFile(path / "IN", Unique(), day_);
    if (Pick(0, 1)) test::MakeFile(path / "SUB" / "DEEP", Unique(), day_);
    test::SetTime(path, day_);
  }

  std::string Unique() { return "content " + std::to_string(counter_++) + " " + std::to_string(rng_()); }

  std::mt19937 rng_;
  fs::path work_, outside_;
  fs::file_time_type day_ = test::Noon(2004, 12, 31);
  int counter_ = 0;
};

// One announced entry and the lines written about it.
struct Told {
  std::string source, destination;
  std::vector<std::string> messages;
};

std::vector<Told> Parse(const std::string& out, const std::string& folder, std::string& count) {
  std::vector<Told> told;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::size_t eq = line.find(" = ");
    if (line.starts_with(folder) && eq != line.npos) {
      told.push_back({line.substr(folder.size(), eq - folder.size()), line.substr(eq + 3), {}});
    } else if (line.starts_with("Renamed ")) {
      count = line;
    } else if (line.starts_with("File not found: ") && out == line + "\n") {
      break;
    } else if (told.empty()) {
      ADD_FAILURE() << "a line before any entry: " << line;
    } else {
      told.back().messages.push_back(line);
    }
  }
  return told;
}

// Checks one run against the ledgers; every failure names the seed.
void Check(const Ledger& before, const Ledger& after, const std::vector<Told>& told, bool overwrite,
           const std::string& count) {
  std::set<std::string> may_go;  // entries that the policy itself replaces
  int renamed = 0;
  for (const Told& t : told) {
    bool gone = !after.count(t.source);
    renamed += gone;
    EXPECT_TRUE(before.count(t.source)) << "announced an entry that was not there: " << t.source;
    if (t.source.find_first_of("*?") != std::string::npos) {
      EXPECT_FALSE(gone) << "a name holding a wildcard was acted on: " << t.source;
      EXPECT_EQ(t.messages, std::vector<std::string>{"Error: Rename failed. Is \"" + t.source + "\" in use?"});
    }
    if (!gone) {
      EXPECT_EQ(after.at(t.source), before.at(t.source)) << t.source << " changed in place";
      continue;
    }
    EXPECT_TRUE(t.messages.empty()) << t.source << " went, yet a line says it failed";
    EXPECT_TRUE(after.count(t.destination)) << t.source << " went nowhere";
    if (!before.count(t.destination)) continue;
    EXPECT_TRUE(overwrite) << t.destination << " was replaced without /Y";
    may_go.insert(t.destination);
    for (const auto& [path, what] : before)
      if (path.starts_with(t.source + "/"))
        may_go.insert(t.destination + path.substr(t.source.size()));
  }
  if (!count.empty()) {
    EXPECT_EQ(count, "Renamed " + std::to_string(renamed) + (renamed == 1 ? " file" : " files"));
  }

  // Every file's content and every link is still there, once, unless the policy replaced it.
  std::multiset<std::string> kept;
  for (const auto& [path, what] : after)
    if (what != "D") kept.insert(what);
  for (const auto& [path, what] : before) {
    if (what == "D") continue;
    std::size_t copies = kept.count(what);
    if (what.starts_with("L:")) continue;  // links to one target are alike; counted below
    if (may_go.count(path)) {
      EXPECT_LE(copies, 1u) << path;
    } else {
      EXPECT_EQ(copies, 1u) << path << " holding " << what;
    }
  }
  std::size_t links_before = 0, links_after = 0;
  for (const auto& [path, what] : before) links_before += what.starts_with("L:") && !may_go.count(path);
  for (const auto& [path, what] : after) links_after += what.starts_with("L:");
  EXPECT_GE(links_after, links_before) << "a link went missing";
}

TEST(Ledger, RandomFoldersLoseNothing) {
  const int folders = std::getenv("LEDGER_FOLDERS") ? std::atoi(std::getenv("LEDGER_FOLDERS")) : 300;
  const unsigned first = std::getenv("LEDGER_SEED") ? std::atoi(std::getenv("LEDGER_SEED")) : 1;
  test::TempFolder tools;
  test::RunOptions options;
  options.bin = test::Bin(tools.path() / "bin", true, true);
  test::SetEnv("STUB_REAL", "1");
  for (unsigned seed = first; seed < first + folders; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (LEDGER_SEED=" + std::to_string(seed) +
                 " LEDGER_FOLDERS=1 to run it alone)");
    test::TempFolder root;
    fs::path work = root.path() / "work", outside = root.path() / "outside";
    fs::create_directories(work);
    fs::create_directories(outside);
    Folder(seed, work, outside).Fill();
    const bool overwrite = seed % 2 == 0;
    const Ledger before = Take(work), outside_before = Take(outside);
    std::string folder = work.string() + "/";
    test::Result r = test::RunProgram((overwrite ? "/Y " : "") + folder + (seed % 3 ? "*" : "*.TXT"), options);
    std::string count;
    std::vector<Told> told = Parse(r.out, folder, count);
    EXPECT_TRUE(r.code == 0 || (r.code == 1 && r.out.starts_with("File not found"))) << r.out;
    Check(before, Take(work), told, overwrite, count);
    EXPECT_EQ(Take(outside), outside_before) << "something outside the folder changed";
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "output:\n" << r.out;
      break;
    }
  }
  test::ClearEnv("STUB_REAL");
}

}  // namespace
