#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options) {
  ProgramRun run;
  int out_pipe[2], err_pipe[2];
  if (argv.empty() || pipe(out_pipe) != 0) return run;
  if (pipe(err_pipe) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return run;
  }
  std::string input_file;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    int in_pipe[2];
    if (!options.input.empty() && pipe(in_pipe) == 0) {
      // Small inputs only: the pipe's buffer holds them.
      ssize_t ignored = write(in_pipe[1], options.input.data(), options.input.size());
      (void)ignored;
      close(in_pipe[1]);
      dup2(in_pipe[0], STDIN_FILENO);
      close(in_pipe[0]);
    } else {
      const int null = open("/dev/null", O_RDONLY);
      if (null >= 0) dup2(null, STDIN_FILENO);
    }
    if (options.file_size_limit >= 0) {
      struct rlimit rl = {static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    if (!options.folder.empty() && chdir(options.folder.c_str()) != 0) _exit(126);
    for (const std::string& e : options.env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (pid < 0) {
    close(out_pipe[0]);
    close(err_pipe[0]);
    return run;
  }
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  bool signalled = options.signal == 0;
  std::chrono::steady_clock::time_point signal_time;
  int open_pipes = 2;
  char buffer[65536];
  while (open_pipes > 0) {
    int timeout = -1;
    if (!signalled) {
      const double left = options.signal_after - Since(start);
      if (left <= 0) {
        kill(pid, options.signal);
        signal_time = std::chrono::steady_clock::now();
        signalled = true;
        continue;
      }
      timeout = static_cast<int>(left * 1000) + 1;
    }
    const int ready = poll(fds, 2, timeout);
    if (ready < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.seconds = Since(start);
  if (options.signal != 0 && signalled) {
    run.after_signal = std::chrono::duration<double>(std::chrono::steady_clock::now() - signal_time).count();
  }
  if (WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  }
  return run;
}
