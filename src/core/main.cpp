// The process: console set-up, the main routine from the command line to the exit code, and
// each operand in turn.
#include <algorithm>
#include <optional>

#include "core/command_line.h"
#include "core/journal.h"
#include "core/pass.h"
#include "core/platform.h"
#include "core/report.h"
#include "core/undo.h"

namespace stampix {

namespace {

// What stays the same from one operand to the next: the choices, the folder of the last
// operand, kept open while the next ones share it, with its last write before the run renamed
// anything in it, and the count over all of them.
struct Run {
  Choices choices;
  Journal* journal;
  std::optional<platform::Folder> folder;
  platform::FolderTime time;
  std::int32_t renamed_before = 0;
  Tally tally;
};

// Done with the operands' folder: it gets back its own last write.
void LeaveFolder(Run& run, Report& report) {
  if (!run.folder) return;
  const bool changed = !run.choices.dry_run && run.tally.renamed > run.renamed_before;
  RestoreFolderTime(*run.folder, run.time, changed, report);
  run.folder.reset();
}

// The operands gathered so far, which share the run's folder, stamped together.
int StampGathered(std::vector<Operand>& gathered, Run& run, Report& report) {
  if (gathered.empty()) return 0;
  int code = StampEntries(*run.folder, gathered, run.choices, report, run.tally, run.journal);
  gathered.clear();
  return code;
}

// Every operand in turn, until one asks to stop, those of one folder together, then the count.
int StampOperands(const Request& request, Report& report, Journal* journal) {
  Run run{request.choices, journal, {}, {}, 0, {}};
  std::vector<Operand> gathered;
  int code = 0;
  for (const std::string& text : request.operands) {
    if (report.ShouldStop()) break;
    Refusal refusal = Refusal::kNone;
    Operand operand = ReadOperand(text, refusal);
    if (refusal != Refusal::kNone || !run.folder || run.folder->path() != operand.folder)
      code = std::max(code, StampGathered(gathered, run, report));
    if (refusal != Refusal::kNone) {
      report.Refused(refusal, text);
      code = 1;
      continue;
    }
    if (!run.folder || run.folder->path() != operand.folder) {
      LeaveFolder(run, report);
      run.time = platform::LastWriteOf(run.folder.emplace(operand.folder));
      run.renamed_before = run.tally.renamed;
      if (run.journal) run.journal->FolderTime(*run.folder, run.time);
    }
    gathered.push_back(std::move(operand));
  }
  code = std::max(code, StampGathered(gathered, run, report));
  LeaveFolder(run, report);
  report.Count(run.tally);
  return code;
}

int MainRoutine(const std::vector<std::string>& command_line) {
  Request request = ParseCommandLine(command_line);
  Report report(request.choices);
  if (request.action == Request::Action::kUsage) report.Usage();
  if (request.action == Request::Action::kVersion) report.Version();
  if (request.action == Request::Action::kRefuse) return report.NotUnderstood(request.refused);
  if (request.action == Request::Action::kUndo) return report.Finish(Undo(request, report));
  if (request.action == Request::Action::kListRuns) return report.Finish(ListRuns(report));
  if (request.action != Request::Action::kStamp) return 0;
  // A run that may rename keeps its journal first, or renames nothing.
  bool ready = true;
  std::unique_ptr<Journal> journal = OpenJournal(request, command_line, report, ready);
  if (!ready) return report.Finish(1);
  return report.Finish(StampOperands(request, report, journal.get()));
}

}  // namespace

}  // namespace stampix

int main(int argc, char** argv) {
  platform::SetUpProcess();
  std::optional<std::vector<std::string>> command_line = platform::CommandLine(argc, argv);
  stampix::Report report({});
  if (!command_line) platform::ExitProcess(report.NotUnderstood(""));
  platform::ExitProcess(stampix::MainRoutine(*command_line));
}
