#pragma once
// The Linux program's texts: the usage, and the lines for standard error, each naming the
// program and the entries as they were given. Only Linux code includes this header.
#include <string>
#include <string_view>

#include "core/messages.h"

namespace stampix::msg {

// The usage text, a line feed after each row.
std::string_view LinuxUsage();

std::string UnknownOption(std::string_view argument);
std::string NoPath();
std::string EmptyOperand();
std::string NoNameOfItsOwn(std::string_view operand);
std::string CannotStamp(std::string_view operand, std::string_view reason);
std::string NothingMatches(std::string_view pattern);
std::string SkippedTaken(std::string_view source, std::string_view destination);
std::string SkippedSameFile(std::string_view source, std::string_view destination);
std::string SkippedMeanwhile(std::string_view source, std::string_view destination);
std::string SkippedOwnOutput(std::string_view source);
std::string AnotherUsers(std::string_view source, std::string_view destination);
std::string IsAFolder(std::string_view source, std::string_view destination);
std::string IsNotAFolder(std::string_view source, std::string_view destination);
std::string MayNotReplace(std::string_view source, std::string_view destination);
std::string CannotRename(std::string_view source, std::string_view destination,
                         std::string_view reason);
std::string TooDeep(std::string_view source);
std::string NotAllMergedInto(std::string_view source, std::string_view destination);
std::string MergedButKept(std::string_view source, std::string_view destination,
                          std::string_view reason);
std::string Interrupted();
std::string NotRecorded(std::string_view line);
std::string OutputLost(std::string_view reason);

}  // namespace stampix::msg
