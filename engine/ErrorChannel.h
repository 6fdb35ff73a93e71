#pragma once
// How engine threads report errors to their owner: the reporting thread hands
// over the text and waits until the owner has shown it (an error box in the
// window, a line on standard error headless).
//
// A stop must never wait on a thread that waits for its report to be shown:
// the owner may be stopping from inside the very error box that thread waits
// for (a timer or a quit request runs in the box's event loop), or may itself
// be the one reporting (a capture write that fails in the final flush). So
// while the owner stops, no report waits: each is queued for the next
// ServePending, and every reporter still waiting is released at once.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
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
  // Reports queued without waiting while the owner stops, at most; a thread
  // that fails the same way for every frame adds its message only once.
  static constexpr size_t kMaxUnwaitedReports = 64;

  explicit TErrorChannel(IErrorSink& sink) : FSink(sink) {}

  // Called from a reporting thread as soon as a report waits, so that an
  // owner with an event loop can schedule ServePending.
  void SetWakeOwner(std::function<void()> wake);

  // Any thread: blocks until the owner has shown the message, unless the
  // owner is stopping; then it only queues the message.
  void Report(const std::string& message);

  // Owner's thread: shows every waiting report and releases its thread.
  size_t ServePending();

  // Owner's thread: waits until done() is true, waking at least every pollMs
  // to ask again; Notify() wakes it early. Serves reports meanwhile, except
  // while stopping: a box shown then would hold the stop until someone
  // closed it, and no reporter waits for it anyway.
  void ServeUntil(const std::function<bool()>& done, int pollMs = 10);
  void Notify();

  // Owner's thread: marks a stop for its lifetime; stops may nest.
  class TStopping {
   public:
    explicit TStopping(TErrorChannel& channel);
    ~TStopping();
    TStopping(const TStopping&) = delete;
    TStopping& operator=(const TStopping&) = delete;

   private:
    TErrorChannel& FChannel;
  };

 private:
  // Shared with the reporter, which may return (when released by a stop)
  // while the owner still shows its message.
  struct TPending {
    std::string Message;
    bool Shown = false;
    bool Waited = true;
  };

  bool QueueUnwaited(const std::string& message);  // with FMutex held

  IErrorSink& FSink;
  std::function<void()> FWakeOwner;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::shared_ptr<TPending>> FPending;
  int FStopping = 0;
};
