#pragma once
// How engine threads report errors to their owner: the reporting thread hands
// over the text and waits until the owner has shown it (an error box in the
// window, a line on standard error headless). The owner serves reports on its
// own thread, also while it waits for threads to end, so a thread that is
// reporting can still be ended.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

class IErrorSink {
 public:
  virtual ~IErrorSink() = default;
  // Shows the message; called on the owner's thread only.
  virtual void ShowError(const std::string& message) = 0;
};

class TErrorChannel {
 public:
  explicit TErrorChannel(IErrorSink& sink) : FSink(sink) {}

  // Called from a reporting thread as soon as a report waits, so that an
  // owner with an event loop can schedule ServePending.
  void SetWakeOwner(std::function<void()> wake);

  // Engine thread: blocks until the owner has shown the message.
  void Report(const std::string& message);

  // Owner's thread: shows every waiting report and releases its thread.
  size_t ServePending();

  // Owner's thread: serves reports until done() is true, waking at least
  // every pollMs to ask again. Notify() wakes it early.
  void ServeUntil(const std::function<bool()>& done, int pollMs = 10);
  void Notify();

 private:
  struct TPending {
    std::string Message;
    bool Shown = false;
  };

  IErrorSink& FSink;
  std::function<void()> FWakeOwner;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<TPending*> FPending;
};
