#pragma once
// SIGINT, SIGTERM and SIGHUP as an event of the Qt loop: the handler only
// writes a byte to a pipe; the loop reads it and runs the stop, outside the
// handler. A signal that comes before the loop runs waits in the pipe.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class TSignalWatch : public QObject {
  Q_OBJECT
 public:
  // One watch per process.
  explicit TSignalWatch(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
  ~TSignalWatch() override;

 private:
  std::function<void(int)> FOnSignal;
  std::unique_ptr<QSocketNotifier> FNotifier;
};
