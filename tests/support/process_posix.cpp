// Running the Linux program: arguments passed as given, standard output through a pipe.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "platform/platform.h"
#include "support/harness.h"

extern char** environ;

namespace test {

namespace {

std::vector<std::string> Environment(const RunOptions& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).substr(0, 5) != "PATH=") env.emplace_back(*e);
  const char* path = std::getenv("PATH");
  env.push_back("PATH=" + (options.bin.empty() ? "" : options.bin + ":") + (path ? path : ""));
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string Program(const RunOptions& options) {
  if (options.bin.empty()) return STAMPIX_PROGRAM;
  return options.bin + "/" + fs::path(STAMPIX_PROGRAM).filename().string();
}

}  // namespace

Result RunArgs(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> argv = {Program(options)}, env = Environment(options);
  argv.insert(argv.end(), args.begin(), args.end());
  int pipe_ends[2];
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (options.close_output) close(pipe_ends[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.no_output) {
    posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  }
  if (!options.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.cwd.c_str());
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(),
                       Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  Result result;
  char buffer[4096];
  if (!options.close_output) {
    for (ssize_t n; (n = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) result.out.append(buffer, n);
    close(pipe_ends[0]);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

Result RunProgram(std::string_view tail, const RunOptions& options) {
  if (tail.empty()) return RunArgs({}, options);
  return RunArgs({std::string(tail)}, options);
}

void SetEnv(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void ClearEnv(const std::string& name) { unsetenv(name.c_str()); }

std::string Native(const std::string& path) { return path; }

void SetTime(const fs::path& path, fs::file_time_type when) { fs::last_write_time(path, when); }

void SetHidden(const fs::path&) {}

void MakeLink(const fs::path& target, const fs::path& link, fs::file_time_type when) {
  fs::create_symlink(target, link);
  auto since_1970 = std::chrono::file_clock::to_sys(when).time_since_epoch();
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since_1970).count();
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, link.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::shared_ptr<void> HoldOpen(const fs::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return std::shared_ptr<void>(nullptr, [fd](void*) { close(fd); });
}

std::string AsReceived(const std::string& command_line) {
  std::string joined;
  for (const std::string& arg : platform::SplitCommandLine(command_line))
    joined += (joined.empty() ? "" : "|") + arg;
  return joined;
}

}  // namespace test
