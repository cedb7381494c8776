#pragma once
// The program's vocabulary of what became of an entry, an operand or a run: the pass, the policy,
// the walk, a merge and the way back say it, and each build's report turns it into its texts.
namespace stampix {

// What became of one entry.
enum class Outcome {
  kRenamed,           // renamed or merged, or in a preview it would be
  kMoved,             // moved into the destination by a folder merge that was not completed
  kGone,              // it was no longer there when its turn came
  kNoDate,            // its date has no stamp (before the year 1, past 9999)
  kOwnOutput,         // skipped: it is where this run writes its lines
  kHoldsJournal,      // skipped: it is this run's journal, or a folder on the way to it
  kTaken,             // skipped: the new name is taken and "/Y" is off
  kTakenMeanwhile,    // skipped: another program took the new name as it was being taken
  kSameFile,          // skipped: "/Y" would replace a file by another name of itself
  kFileToFolder,      // a file would take a folder's name
  kFolderToFile,      // a folder would take a file's name
  kCannotReplace,     // "/Y": the entry of the new name may not be replaced
  kForeign,           // "/Y": the entry of the new name is another user's, who would get ours
  kCannotName,        // the system's calls cannot name the entry exactly
  kSourceTooLong,     // its path is longer than the system takes
  kTooLong,           // the path it would get is longer than the system takes
  kCannotRename,      // the system refused the rename
  kTooDeep,           // a merge: folders nested deeper than it goes
  kNotAllMerged,      // a folder merge left entries behind, so the source was kept
  kMergedNotRemoved,  // a folder merge moved everything, but the emptied source stayed
  kMergeStopped,      // a folder merge stopped; its own lines say why
  kLinkedTrees,       // Windows merge: the copy would write through a link or onto the source
  kShortName,         // Windows merge: a source name is the short name of another entry
  kOtherFileSystem,   // "-r": another file system is mounted there; it is not entered
  kTooDeepToWalk,     // "-r": folders nested deeper than the walk goes; it is not entered
  kNotListed,         // "-r": the folder could not be read; what it holds is left as it is
  kJournalLost,       // the journal could not be written: nothing more is changed
  kNotUndone,         // "--undo": the entry was renamed or removed since the run
  kOldNameTaken,      // "--undo": its old name is taken again
  kReplacedGone,      // "--undo": it is back, but what "/Y" replaced with it is gone
  kNoJournal,         // "--undo": no journal to undo, or it cannot be read
  kNotAJournal,       // "--undo": not a journal of this version, or undone already
  kNotYours,          // the state folder or a journal is another user's, or others may write it
  kStillGoing,        // "--undo": the run is still going, or being undone
  kNotMarked,         // "--undo": what went back could not be written to the journal
  kUndoing,           // "--undo": the run it puts back (the source names it)
  kListed,            // "--runs": one run (the source describes it)
  kTimeNotKept,       // a folder's last write could not be put back after renaming inside it
};

}  // namespace stampix
