#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

// Ends the test program when the guarded scope has not ended in time, naming
// it: a stop that deadlocks would otherwise hang the run without a word.
class THangGuard {
 public:
  explicit THangGuard(std::string what, std::chrono::milliseconds timeout = std::chrono::seconds(60))
      : FWhat(std::move(what)), FWatch([this, timeout](std::stop_token stop) {
          std::mutex mutex;
          std::unique_lock lock(mutex);
          std::condition_variable_any().wait_for(lock, stop, timeout, [] { return false; });
          if (stop.stop_requested()) return;
          std::fprintf(stderr, "hung: %s\n", FWhat.c_str());
          std::abort();
        }) {}

 private:
  std::string FWhat;
  std::jthread FWatch;
};

