// Spawning a helper program with its standard streams connected (tools and tests only).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

extern char** environ;

namespace platform {

namespace {

struct Pipe {
  int fd[2] = {-1, -1};
  bool Open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
  void Close(int end) {
    if (fd[end] >= 0) ::close(fd[end]);
    fd[end] = -1;
  }
  ~Pipe() {
    Close(0);
    Close(1);
  }
};

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  ProcessResult result;
  Pipe in, out, err;
  if (!in.Open() || !out.Open() || !err.Open()) return result;

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
  ::posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
  ::posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);

  std::vector<std::string> argv_storage;
  argv_storage.push_back(program);
  argv_storage.insert(argv_storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_storage) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  int rc = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  in.Close(0);
  out.Close(1);
  err.Close(1);
  if (rc != 0) return result;

  // Feed and drain at once, so a child that writes much before reading never blocks us.
  ::signal(SIGPIPE, SIG_IGN);
  size_t fed = 0;
  if (input.empty()) in.Close(1);
  char buffer[65536];
  while (out.fd[0] >= 0 || err.fd[0] >= 0) {
    pollfd fds[3];
    int n = 0;
    int outIndex = -1, errIndex = -1, inIndex = -1;
    if (out.fd[0] >= 0) fds[outIndex = n++] = {out.fd[0], POLLIN, 0};
    if (err.fd[0] >= 0) fds[errIndex = n++] = {err.fd[0], POLLIN, 0};
    if (in.fd[1] >= 0) fds[inIndex = n++] = {in.fd[1], POLLOUT, 0};
    if (::poll(fds, static_cast<nfds_t>(n), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    auto drain = [&](int index, Pipe& p, std::string& into) {
      if (index < 0 || !(fds[index].revents & (POLLIN | POLLHUP | POLLERR))) return;
      ssize_t got = ::read(p.fd[0], buffer, sizeof buffer);
      if (got > 0)
        into.append(buffer, static_cast<size_t>(got));
      else if (got == 0 || errno != EINTR)
        p.Close(0);
    };
    drain(outIndex, out, result.out);
    drain(errIndex, err, result.err);
    if (inIndex >= 0 && (fds[inIndex].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t wrote = ::write(in.fd[1], input.data() + fed, input.size() - fed);
      if (wrote > 0) fed += static_cast<size_t>(wrote);
      if (wrote < 0 && errno != EINTR) in.Close(1);
      if (fed == input.size()) in.Close(1);
    }
  }
  in.Close(1);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitCode = 128 + WTERMSIG(status);
  return result;
}

}  // namespace platform
