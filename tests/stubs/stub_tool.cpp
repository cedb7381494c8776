// A stand-in for XCOPY.EXE or DELTREE.EXE. It appends the command line it received to the file
// named by STUB_LOG, does the tool's work when STUB_REAL is set, and ends with the status in
// STUB_XCOPY_STATUS or STUB_DELTREE_STATUS ("crash" for an abnormal end). With
// STUB_SIGNAL_PARENT set it first sends the program the signals of a user's interruption.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <csignal>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kName = STUB_NAME;

void Log(int argc, char** argv) {
  const char* log = std::getenv("STUB_LOG");
  if (!log) return;
  std::ofstream out(log, std::ios::app | std::ios::binary);
#ifdef _WIN32
  (void)argc, (void)argv;
  out << GetCommandLineA() << "\n";
#else
  for (int i = 0; i < argc; ++i) out << (i ? "|" : "") << argv[i];
  out << "\n";
#endif
}

void DoTheWork(int argc, char** argv) {
  std::error_code ignored;
  if (kName == "XCOPY" && argc >= 3) {
    const fs::path from = argv[1], to = argv[2];
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(from, ignored)) {
      fs::path target = to / fs::relative(e.path(), from, ignored);
      if (e.is_directory()) {
        fs::create_directories(target, ignored);
      } else {
        fs::copy_file(e.path(), target, fs::copy_options::overwrite_existing, ignored);
      }
    }
  } else if (kName == "DELTREE" && argc >= 3) {
    std::string target = argv[2];
    if (target.size() > 5 && target.ends_with(">nul:")) target.resize(target.size() - 5);
    fs::remove_all(target, ignored);
  }
}

[[noreturn]] void Crash() {
#ifdef _WIN32
  ExitProcess(0xC0000005);  // the status of an access violation
#else
  std::signal(SIGSEGV, SIG_DFL);
  std::raise(SIGSEGV);
  std::abort();
#endif
}

// What a user's Ctrl+C, Ctrl+\ or closed terminal sends to the program that started the tool.
void SignalParent() {
#ifndef _WIN32
  for (int sig : {SIGINT, SIGQUIT, SIGHUP}) kill(getppid(), sig);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  Log(argc, argv);
  if (std::getenv("STUB_SIGNAL_PARENT")) SignalParent();
  const char* status = std::getenv(("STUB_" + kName + "_STATUS").c_str());
  if (status && std::string(status) == "crash") Crash();
  if (std::getenv("STUB_REAL")) DoTheWork(argc, argv);
  return status ? std::atoi(status) : 0;
}
