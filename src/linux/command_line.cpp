// The Linux program's arguments: one operand each, the options anywhere before "--", and each
// operand's folder part, as given, and name.
#include "core/command_line.h"

#include <optional>

#include "core/path.h"

namespace stampix {

namespace {

// A Linux option, or nothing for an operand.
enum class Option {
  kNone,
  kEnd,
  kOverwrite,
  kDryRun,
  kNull,
  kRecursive,
  kNoJournal,
  kUndo,
  kListRuns,
  kDates,
  kHelp,
  kVersion,
  kUnknown
};

Option OptionOf(std::string_view argument) {
  if (argument == "--") return Option::kEnd;
  if (argument == "/Y" || argument == "/y" || argument == "--overwrite") return Option::kOverwrite;
  if (argument == "-n" || argument == "--dry-run") return Option::kDryRun;
  if (argument == "-0" || argument == "--null") return Option::kNull;
  if (argument == "-r" || argument == "--recursive") return Option::kRecursive;
  if (argument == "--no-journal") return Option::kNoJournal;
  if (argument == "--undo" || argument.starts_with("--undo=")) return Option::kUndo;
  if (argument == "--runs") return Option::kListRuns;
  if (argument == "--date" || argument.starts_with("--date=")) return Option::kDates;
  if (argument == "-h" || argument == "--help" || argument == "/?") return Option::kHelp;
  if (argument == "--version") return Option::kVersion;
  return argument.starts_with('-') ? Option::kUnknown : Option::kNone;
}

// The sources of "--date=taken,modified" in their order, or nothing for a list that names none
// or one that is not known.
std::optional<std::vector<DateSource>> DateSources(std::string_view argument) {
  if (!argument.starts_with("--date=")) return std::nullopt;
  std::vector<DateSource> sources;
  for (std::string_view list = argument.substr(7);;) {
    const std::string_view name = list.substr(0, list.find(','));
    if (name == "modified")
      sources.push_back(DateSource::kModified);
    else if (name == "taken")
      sources.push_back(DateSource::kTaken);
    else if (name == "created")
      sources.push_back(DateSource::kCreated);
    else
      return std::nullopt;
    if (name.size() == list.size()) return sources;
    list.remove_prefix(name.size() + 1);
  }
}

// Takes one option into the request; false once the request is settled (help, version, or an
// argument that is not understood).
bool TakeOption(Option option, const std::string& argument, Request& request) {
  if (option == Option::kOverwrite) request.choices.overwrite = OverwriteMode::kOn;
  if (option == Option::kDryRun) request.choices.dry_run = true;
  if (option == Option::kNull) request.choices.null_record = true;
  if (option == Option::kRecursive) request.choices.recursive = true;
  if (option == Option::kNoJournal) request.choices.journal = false;
  if (option == Option::kUndo) request.action = Request::Action::kUndo;
  if (option == Option::kUndo && argument.size() > 7) request.journal = argument.substr(7);
  if (option == Option::kListRuns) request.action = Request::Action::kListRuns;
  if (option == Option::kDates) {
    if (std::optional<std::vector<DateSource>> sources = DateSources(argument))
      request.choices.dates = *sources;
    else
      option = Option::kUnknown;
  }
  if (option == Option::kHelp) request.action = Request::Action::kUsage;
  if (option == Option::kVersion) request.action = Request::Action::kVersion;
  if (option == Option::kUnknown) request.action = Request::Action::kRefuse;
  if (option == Option::kUnknown) request.refused = argument;
  return request.action == Request::Action::kStamp || request.action == Request::Action::kUndo ||
         request.action == Request::Action::kListRuns;
}

}  // namespace

Request ParseCommandLine(const std::vector<std::string>& arguments) {
  Request request;
  bool options = true;
  for (const std::string& argument : arguments) {
    Option option = options ? OptionOf(argument) : Option::kNone;
    if (option == Option::kNone) request.operands.push_back(argument);
    if (option == Option::kEnd) options = false;
    if (!TakeOption(option, argument, request)) return request;
  }
  // A slip (a "find | xargs" that found nothing) must not stamp a whole folder.
  if (request.operands.empty() && request.action == Request::Action::kStamp)
    request.action = Request::Action::kNoPath;
  return request;
}

Operand ReadOperand(std::string_view text, Refusal& refusal) {
  std::string_view path = text;
  while (path.ends_with('/')) path.remove_suffix(1);
  PathParts parts = SplitPath(path);
  if (text.empty())
    refusal = Refusal::kEmpty;
  else if (parts.name.empty() || parts.name == "." || parts.name == "..")
    refusal = Refusal::kNoName;
  return {std::string(parts.folder), std::string(parts.name), path.size() < text.size(), true};
}

}  // namespace stampix
