#include "run_picindex.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The program under test, as the build made it.
const fs::path built_program = PICINDEX_BINARY;

// Root's build folder may be closed to other users, so an unprivileged run
// starts a copy of the program from a folder that everyone may enter.
const fs::path& program_for_everyone() {
  static scratch_folder shelf;
  static const fs::path copy = [] {
    fs::permissions(shelf.path(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    fs::copy_file(built_program, shelf.path() / "picindex");
    return shelf.path() / "picindex";
  }();
  return copy;
}

constexpr uid_t nobody = 65534;
constexpr gid_t nogroup = 65534;

}  // namespace

run_result run_picindex(const fs::path& folder, const run_options& options) {
  const bool drop_root = options.unprivileged && geteuid() == 0;
  const std::string program = drop_root ? program_for_everyone().string()
                                        : built_program.string();
  std::vector<std::string> args = {program};
  args.insert(args.end(), options.args.begin(), options.args.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    dup2(pipe_ends[1], STDERR_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    if (drop_root && (setgroups(0, nullptr) != 0 || setgid(nogroup) != 0 ||
                      setuid(nobody) != 0))
      _exit(126);
    if (options.file_size_limit >= 0) {
      signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
      const rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                            static_cast<rlim_t>(options.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (chdir(folder.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  run_result result;
  char buffer[4096];
  ssize_t got;
  while ((got = read(pipe_ends[0], buffer, sizeof buffer)) > 0)
    result.output.append(buffer, static_cast<std::size_t>(got));
  close(pipe_ends[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return result;
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}
