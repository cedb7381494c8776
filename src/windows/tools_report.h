#pragma once
// What the Windows folder merge tells of the external tools it runs (the copy tool and the
// tree-delete tool): the Windows program's own texts, on standard output. Only Windows code
// includes this header.
#include <cstdint>
#include <string_view>

namespace stampix {

// What a folder merge met in running a tool.
enum class Tool { kNotFound, kNotStarted, kFailed, kCommandLineTooLong, kRefusesPath };

// `tool`: its file name, or its path once found; `status`: its exit status when it failed.
void TellTool(Tool what, std::string_view tool, std::int32_t status = 0);

}  // namespace stampix
