// A stand-in for XCOPY.EXE and DELTREE.EXE, copied under either name: it writes the command line
// it received and ends with the status that STUB_XCOPY or STUB_DELTREE holds ("crash": that of
// an access violation). As DELTREE ending with 0 it removes the folder named in quotes; as
// XCOPY it copies nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main() {
  const std::string line = GetCommandLineA();
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string name = std::filesystem::path(path).stem().string();
  const char* setting = std::getenv(("STUB_" + name).c_str());
  const std::string status = setting ? setting : "0";
  if (status == "crash") ExitProcess(0xC0000005);
  if (name == "DELTREE" && status == "0") {
    std::size_t open = line.find('"', line.find(" /y "));
    std::filesystem::remove_all(line.substr(open + 1, line.find('"', open + 1) - open - 1));
  }
  return std::atoi(status.c_str());
}
