// The process: console set-up, the main routine, its exit code.
#include "main/command_line.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::SetUpConsole();
  platform::ExitProcess(stampix::MainRoutine(platform::CommandLine(argc, argv)));
}
