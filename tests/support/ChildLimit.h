// Runs a piece of a test in a child process whose file size limit makes writes past a
// given length fail (SIGXFSZ ignored, so the write reports EFBIG instead of killing it).
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <functional>

namespace testsupport {

// The child's exit code (0..255), or -1 when it did not exit normally.
inline int InChildWithFileLimit(rlim_t bytes, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(body());
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
