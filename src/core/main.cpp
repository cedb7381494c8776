// The process: console set-up, the main routine from the command line to the exit code, and
// each operand in turn.
#include <algorithm>
#include <optional>

#include "core/command_line.h"
#include "core/platform.h"
#include "core/report.h"
#include "core/stamp.h"

namespace stampix {

namespace {

// What stays the same from one operand to the next: the choices, the folder of the last
// operand, kept open while the next ones share it, with its last write before the run renamed
// anything in it, and the count over all of them.
struct Run {
  Choices choices;
  std::optional<platform::Folder> folder;
  platform::FolderTime time;
  std::int32_t renamed_before = 0;
  Tally tally;
};

// Done with the operands' folder: it gets back its own last write.
void LeaveFolder(Run& run, Report& report) {
  if (!run.folder) return;
  const bool changed = !run.choices.dry_run && run.tally.renamed > run.renamed_before;
  KeepTime(*run.folder, run.time, changed, report);
  run.folder.reset();
}

int StampOperand(std::string_view text, Run& run, Report& report) {
  Refusal refusal = Refusal::kNone;
  Operand operand = ReadOperand(text, refusal);
  if (refusal != Refusal::kNone) {
    report.Refused(refusal, text);
    return 1;
  }
  if (!run.folder || run.folder->path() != operand.folder) {
    LeaveFolder(run, report);
    run.time = platform::LastWriteOf(run.folder.emplace(operand.folder));
    run.renamed_before = run.tally.renamed;
  }
  return StampEntries(*run.folder, operand, run.choices, report, run.tally);
}

// Every operand in turn, until one asks to stop; one count line for the run when it listed more
// than one entry.
int StampOperands(const Request& request, Report& report) {
  Run run{request.choices, {}, {}, 0, {}};
  int code = 0;
  for (const std::string& operand : request.operands) {
    if (report.ShouldStop()) break;
    code = std::max(code, StampOperand(operand, run, report));
  }
  LeaveFolder(run, report);
  if (run.tally.found > 1) report.Count(run.tally.renamed);
  return code;
}

int MainRoutine(const std::vector<std::string>& command_line) {
  Request request = ParseCommandLine(command_line);
  Report report(request.choices);
  if (request.action == Request::Action::kUsage) report.Usage();
  if (request.action == Request::Action::kVersion) report.Version();
  if (request.action == Request::Action::kRefuse) return report.NotUnderstood(request.refused);
  if (request.action == Request::Action::kNoPath) return report.NoPath();
  if (request.action != Request::Action::kStamp) return 0;
  return report.Finish(StampOperands(request, report));
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
