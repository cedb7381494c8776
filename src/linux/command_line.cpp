// The Linux program's arguments: one operand each, the options anywhere before "--" as GNU tools
// take them, and each operand's folder part, as given, and name.
#include "core/command_line.h"

#include <optional>

#include "core/path.h"

namespace stampix {

namespace {

// A Linux option.
enum class Option {
  kOverwrite,
  kDryRun,
  kNull,
  kRecursive,
  kNoJournal,
  kNoGroups,
  kUndo,
  kListRuns,
  kDates,
  kHelp,
  kVersion,
  kUnknown
};

// A long option by its name, without "--" and any "=VALUE".
Option LongOption(std::string_view name) {
  if (name == "overwrite") return Option::kOverwrite;
  if (name == "dry-run") return Option::kDryRun;
  if (name == "null") return Option::kNull;
  if (name == "recursive") return Option::kRecursive;
  if (name == "no-journal") return Option::kNoJournal;
  if (name == "no-groups") return Option::kNoGroups;
  if (name == "undo") return Option::kUndo;
  if (name == "runs") return Option::kListRuns;
  if (name == "date") return Option::kDates;
  if (name == "help") return Option::kHelp;
  if (name == "version") return Option::kVersion;
  return Option::kUnknown;
}

Option ShortOption(char letter) {
  if (letter == 'n') return Option::kDryRun;
  if (letter == '0') return Option::kNull;
  if (letter == 'r') return Option::kRecursive;
  if (letter == 'h') return Option::kHelp;
  return Option::kUnknown;
}

// The sources of "taken,modified" in their order, or nothing for a list that names none or one
// that is not known.
std::optional<std::vector<DateSource>> DateSources(std::string_view list) {
  std::vector<DateSource> sources;
  for (;;) {
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

// Takes one option, with its value if it was given one, into the request; false once the
// request is settled (help, version, or an argument that is not understood, `shown` as given).
bool TakeOption(Option option, const std::optional<std::string>& value, const std::string& shown,
                Request& request) {
  // Only "--undo" and "--date" take a value.
  if (value && option != Option::kUndo && option != Option::kDates) option = Option::kUnknown;
  if (option == Option::kOverwrite) request.choices.overwrite = OverwriteMode::kOn;
  if (option == Option::kDryRun) request.choices.dry_run = true;
  if (option == Option::kNull) request.choices.null_record = true;
  if (option == Option::kRecursive) request.choices.recursive = true;
  if (option == Option::kNoJournal) request.choices.journal = false;
  if (option == Option::kNoGroups) request.choices.each_alone = true;
  if (option == Option::kUndo) request.action = Request::Action::kUndo;
  if (option == Option::kUndo && value && !value->empty()) request.undo_name = *value;
  if (option == Option::kListRuns) request.action = Request::Action::kListRuns;
  if (option == Option::kDates) {
    if (std::optional<std::vector<DateSource>> sources = DateSources(value.value_or("")))
      request.choices.dates = *sources, request.choices.dates_chosen = true;
    else
      option = Option::kUnknown;
  }
  if (option == Option::kHelp) request.action = Request::Action::kUsage;
  if (option == Option::kVersion) request.action = Request::Action::kVersion;
  if (option == Option::kUnknown) request.action = Request::Action::kRefuse;
  if (option == Option::kUnknown) request.refused = shown;
  return request.action == Request::Action::kStamp || request.action == Request::Action::kUndo ||
         request.action == Request::Action::kListRuns;
}

}  // namespace

// Short options bundle ("-rn0"); a long one takes its value after "=", or "--date" as the next
// argument ("--undo" only after "=", its value being optional).
Request ParseCommandLine(const std::vector<std::string>& arguments) {
  Request request;
  bool options = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool taken = true;
    if (!options || !(argument.starts_with('-') || argument.starts_with('/')))
      request.operands.push_back(argument);
    else if (argument == "--")
      options = false;
    else if (argument == "/Y" || argument == "/y")
      taken = TakeOption(Option::kOverwrite, std::nullopt, argument, request);
    else if (argument == "/?")
      taken = TakeOption(Option::kHelp, std::nullopt, argument, request);
    else if (argument.starts_with('/'))
      request.operands.push_back(argument);
    else if (argument.starts_with("--")) {
      const std::size_t eq = argument.find('=');
      const Option option = LongOption(std::string_view(argument).substr(2, eq - 2));
      std::optional<std::string> value;
      if (eq != argument.npos) value = argument.substr(eq + 1);
      std::string shown = argument;
      if (!value && option == Option::kDates && i + 1 < arguments.size()) {
        value = arguments[++i];
        shown.append("=").append(*value);
      }
      taken = TakeOption(option, value, shown, request);
    } else if (argument == "-") {
      taken = TakeOption(Option::kUnknown, std::nullopt, argument, request);
    } else {
      for (std::size_t at = 1; taken && at < argument.size(); ++at)
        taken = TakeOption(ShortOption(argument[at]), std::nullopt, std::string("-") + argument[at],
                           request);
    }
    if (!taken) return request;
  }
  // A slip (a "find | xargs" that found nothing) must not stamp a whole folder.
  if (request.operands.empty() && request.action == Request::Action::kStamp)
    request.action = Request::Action::kRefuse;  // no argument to blame: refused is empty
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
