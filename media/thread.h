// UThread: the base of objects that own one worker thread, a lock guarding
// what the main thread and the worker share, and a stop request.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace qor {

class UThread {
 public:
  UThread() = default;
  UThread(const UThread&) = delete;
  UThread& operator=(const UThread&) = delete;
  // Ends the process when a worker is still recorded: the derived object is
  // already gone while its Run may still use it. Owners always stop first.
  virtual ~UThread();

  // Stops a recorded worker first, then starts a new one running Run().
  void StartThread();
  // Raises the stop request and waits for the worker to end.
  void StopThread();
  // Under the lock: a worker is recorded and a stop was requested.
  bool IsStopRequested();
  // Under the lock: a worker is recorded (it clears the record itself when it ends).
  bool IsRunning();

 protected:
  virtual void Run() = 0;
  // Called right after a stop request is raised, to cut a worker's wait short.
  virtual void WakeForStop() {}
  // The worker's last step: clears the record under the lock. An exception
  // that escapes Run is caught around it and ends the worker the same way.
  void MarkEnded();
  // The worker's pause between polls: up to `ms` milliseconds, ended at once
  // by a stop request, so stopping (and exiting) never waits out a poll step.
  // True when a stop was requested.
  bool WaitForStop(uint32_t ms);

  std::mutex lock_;

 private:
  static void Entry(UThread* self);
  bool stopRequest_ = false;
  std::condition_variable stopCv_;  // signalled with stopRequest_
  bool recorded_ = false;  // the "thread recorded" flag the worker and the main thread share
  std::thread worker_;     // joined by StopThread / StartThread / the destructor
};

}  // namespace qor
