// The worker-thread base: start, stop request, stop-and-wait.
#include "media/thread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/threads.h"

namespace qor {

UThread::~UThread() {
  bool running;
  {
    std::lock_guard<std::mutex> g(lock_);
    running = recorded_;
  }
  if (running) {
    fprintf(stderr, "スレッドが終了される前に破棄されています！\n");
    std::_Exit(-1);
  }
  if (worker_.joinable()) worker_.join();  // ended by itself; reclaim the thread
}

void UThread::Entry(UThread* self) {
  // Streaming must not starve behind the game's own work. Raising the priority
  // needs privileges the process rarely has; a refusal is fine.
  platform::RaiseThreadPriority();
  try {
    self->Run();
  } catch (...) {
    // Run ends its own work on a failure; whatever still escapes must not
    // end the process, and the object then counts as stopped.
    self->MarkEnded();
  }
}

void UThread::StartThread() {
  if (worker_.joinable()) StopThread();
  {
    std::lock_guard<std::mutex> g(lock_);
    stopRequest_ = false;
    recorded_ = true;
  }
  try {
    worker_ = std::thread(Entry, this);
  } catch (...) {
    // No thread could be made: the object stays idle, as if the worker ended at once.
    std::lock_guard<std::mutex> g(lock_);
    recorded_ = false;
  }
}

void UThread::StopThread() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> g(lock_);
    stopRequest_ = true;
  }
  stopCv_.notify_all();
  WakeForStop();
  worker_.join();
  std::lock_guard<std::mutex> g(lock_);
  stopRequest_ = false;
  recorded_ = false;
}

bool UThread::WaitForStop(uint32_t ms) {
  std::unique_lock<std::mutex> g(lock_);
  return stopCv_.wait_for(g, std::chrono::milliseconds(ms), [this] { return stopRequest_; });
}

bool UThread::IsStopRequested() {
  std::lock_guard<std::mutex> g(lock_);
  return recorded_ && stopRequest_;
}

bool UThread::IsRunning() {
  std::lock_guard<std::mutex> g(lock_);
  return recorded_;
}

void UThread::MarkEnded() {
  std::lock_guard<std::mutex> g(lock_);
  recorded_ = false;
}

}  // namespace qor
