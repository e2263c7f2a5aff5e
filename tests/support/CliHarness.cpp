#include "support/CliHarness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

#include "support/TestSupport.h"

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

std::string ShellLine(const CliCall& call) {
  std::string line;
  if (!call.Folder.empty()) line += "cd " + ShellQuote(call.Folder) + " && ";
  return line + call.ShellPrefix + "exec " + ShellQuote(call.Program) + " " + call.Args;
}

// Both ends close on exec; the child's copies on 0, 1 and 2 stay open.
void OpenPipe(int (&ends)[2]) {
  if (::pipe2(ends, O_CLOEXEC) != 0) ends[0] = ends[1] = -1;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Only async-signal-safe calls here: the test process may have threads.
[[noreturn]] void BecomeChild(const char* line, int in, int out, int err, uint64_t fileSizeLimit) {
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  if (fileSizeLimit != 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ::execl("/bin/sh", "sh", "-c", line, static_cast<char*>(nullptr));
  ::_exit(127);
}

int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

}  // namespace

CliChild::CliChild(const CliCall& call) : call_(call), deadline_(Clock::now() + call.Timeout) {
  const std::string line = ShellLine(call);
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (call.Input) OpenPipe(in);
  else in[0] = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  OpenPipe(out);
  if (!call.MergeErr) OpenPipe(err);
  const int childErr = call.MergeErr ? out[1] : err[1];
  if (in[0] >= 0 && out[1] >= 0 && childErr >= 0) pid_ = ::fork();
  if (pid_ == 0) BecomeChild(line.c_str(), in[0], out[1], childErr, call.FileSizeLimit);
  for (int* fd : {&in[0], &out[1], &err[1]}) CloseFd(*fd);
  in_ = in[1], out_ = out[0], err_ = err[0];
  if (in_ >= 0) ::fcntl(in_, F_SETFL, O_NONBLOCK);
  if (pid_ < 0) {
    ADD_FAILURE() << "cannot start: " << line;
    Kill();
  }
}

CliChild::~CliChild() { Kill(); }

void CliChild::Signal(int signal) const {
  if (pid_ > 0) ::kill(pid_, signal);
}

void CliChild::SignalGroup(int signal) const {
  if (pid_ > 0) ::kill(::getpgid(pid_) == pid_ ? -pid_ : pid_, signal);
}

void CliChild::Kill() {
  if (pid_ > 0) {
    if (::getpgid(pid_) == pid_) ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
  for (int* fd : {&in_, &out_, &err_}) CloseFd(*fd);
}

// Writes what the pipe takes now; closes it when all is written or the child stopped reading.
void CliChild::FeedInput() {
  const std::string& input = *call_.Input;
  const ssize_t put = ::write(in_, input.data() + written_, input.size() - written_);
  if (put > 0) written_ += static_cast<size_t>(put);
  if ((put < 0 && errno != EAGAIN && errno != EINTR) || written_ == input.size()) CloseFd(in_);
}

// One poll of the open streams: feeds standard input, reads what came out.
bool CliChild::Pump(CliResult& result, int waitMs) {
  pollfd fds[3];
  nfds_t n = 0;
  for (int fd : {in_, out_, err_})
    if (fd >= 0) fds[n++] = pollfd{fd, static_cast<short>(fd == in_ ? POLLOUT : POLLIN), 0};
  if (n == 0) return false;
  if (::poll(fds, n, waitMs) < 0) return errno == EINTR;
  for (nfds_t i = 0; i < n; ++i) {
    if (fds[i].revents == 0) continue;
    if (fds[i].fd == in_) {
      FeedInput();
      continue;
    }
    char buf[65536];
    const ssize_t got = ::read(fds[i].fd, buf, sizeof buf);
    int& fd = fds[i].fd == out_ ? out_ : err_;
    if (got > 0) (fd == out_ ? result.Out : result.Err).append(buf, static_cast<size_t>(got));
    else if (got == 0 || errno != EINTR) CloseFd(fd);
  }
  return true;
}

CliResult CliChild::Finish() {
  CliResult result;
  // A child that exits without reading its input must not take the test down with SIGPIPE.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &old);
  int status = 0;
  bool ended = false;
  while (pid_ > 0 && Clock::now() < deadline_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    if (Pump(result, static_cast<int>(std::clamp<long long>(left, 1, 1000)))) continue;
    if ((ended = ::waitpid(pid_, &status, WNOHANG) == pid_)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::sigaction(SIGPIPE, &old, nullptr);
  if (ended) {
    pid_ = -1;
    result.Status = StatusOf(status);
    result.KilledBy = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
  }
  if (pid_ > 0) ADD_FAILURE() << "still running after " << call_.Timeout.count() << " s, killed: " << ShellLine(call_);
  Kill();
  return result;
}

CliResult RunCli(const CliCall& call) { return CliChild(call).Finish(); }

}  // namespace testsupport
