// The release's tree-delete tool (Windows) run over real folders, one row a test: it deletes one
// folder, named as the stamping program names it, or nothing.
#include "harness.h"

namespace {

// clang-format off
const Row kRows[] = {
    // The path rules would drop the dot and delete T.
    {.title = "the delete tool refuses a name that ends in a dot", .before = {File("T/A")},
     .command = {"/y \"{d}T.\">nul:"},
     .out = {"Refused: a part of the path ends in a dot or a blank, which names another folder."},
     .code = 1, .only = kWindows, .deltree = true},
    // What it could not delete keeps its attributes.
    {.title = "the delete tool stops part way", .before = {Folder("T").hidden(), File("T/B",
     "b").readonly(), File("T/C")}, .command = {"/y \"{d}T\""},
     .out = {"Could not delete \"{d}T\\B\": Sharing violation.",
     "Could not delete \"{d}T\": Directory is not empty."}, .after = {Folder("T").hidden(),
     File("T/B", "b").readonly()}, .code = 2, .only = kWindows, .hold = "T/B", .deltree = true},
    {.title = "the delete tool refuses a file", .before = {File("F")},
     .command = {"/y \"{d}F\">nul:"}, .out = {"Refused: \"{d}F\" is a file, not a folder."},
     .code = 1, .only = kWindows, .deltree = true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, Scenario, testing::ValuesIn(ThisBuild(kRows)), TestName);

}  // namespace
