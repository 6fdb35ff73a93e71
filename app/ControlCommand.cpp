#include "app/ControlCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

#include "app/ControlChannel.h"
#include "app/InstanceProtocol.h"

namespace {

// Loading a profile or stopping a run may take the instance a while.
constexpr int kAnswerTimeoutMs = 60000;

struct TControlAnswer {
  int Status;
  std::string Text;
};

TControlAnswer Send(const std::string& instance, const std::vector<std::string>& words) {
  QString text;
  const TInstanceRequest request{kInstanceControl, EncodeControlRequest(words)};
  switch (ForwardOrClaim(request, nullptr, kAnswerTimeoutMs, text, instance)) {
    case TForwardResult::frDelivered:
      return {kControlDone, text.toStdString()};
    case TForwardResult::frNoInstance:
      return {kControlNoInstance, instance.empty() ? "No instance of Ovelda Tarnwick is running"
                                                   : "No instance named \"" + instance + "\" is running"};
    case TForwardResult::frRefused:
    case TForwardResult::frUnreachable:
    case TForwardResult::frFailed:
      break;
  }
  return {kControlRefused, text.toStdString()};
}

int Print(const TControlAnswer& answer) {
  if (answer.Status == kControlDone) {
    if (!answer.Text.empty()) std::printf("%s\n", answer.Text.c_str());
    std::fflush(stdout);
  } else {
    std::fprintf(stderr, "%s\n", answer.Text.c_str());
  }
  return answer.Status;
}

// One statistics object a second until the instance ends (or this command
// is interrupted).
int FollowStatistics(const std::string& instance) {
  bool printed = false;
  for (;;) {
    const TControlAnswer answer = Send(instance, {"stats"});
    if (answer.Status != kControlDone) return printed && answer.Status == kControlNoInstance ? kControlDone : Print(answer);
    Print(answer);
    printed = true;
    QThread::sleep(1);
  }
}

}  // namespace

int RunControlCommand(const std::string& instance, const std::vector<std::string>& words) {
  if (words.size() == 2 && words[0] == "stats" && words[1] == "--follow") return FollowStatistics(instance);
  std::vector<std::string> sent = words;
  // The instance has a working directory of its own.
  if (sent.size() == 2 && sent[0] == "load") {
    sent[1] = QFileInfo(QDir::current(), QString::fromStdString(sent[1])).absoluteFilePath().toStdString();
  }
  return Print(Send(instance, sent));
}
