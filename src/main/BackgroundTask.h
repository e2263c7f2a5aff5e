// One piece of work on a thread of its own, asked to stop and waited for before the next
// starts, so that the window never waits on a file.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace tacetix {

class BackgroundTask {
 public:
  BackgroundTask() = default;
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  ~BackgroundTask() { Stop(); }

  // work runs on the task's thread; it reads stop between its steps and returns when it is set.
  void Start(std::function<void(const std::atomic<bool>& stop)> work) {
    Stop();
    StopFlag = false;
    Thread = std::thread([this, work = std::move(work)] { work(StopFlag); });
  }
  // Waits at most for the step in hand: one block of the file.
  void Stop() {
    StopFlag = true;
    if (Thread.joinable()) Thread.join();
  }

 private:
  std::atomic<bool> StopFlag{false};
  std::thread Thread;
};

}  // namespace tacetix
