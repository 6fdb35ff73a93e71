// A stand-in for the first instance: it listens as the program does, writes
// each request it gets to the log file (before answering, so a sender that
// has its answer finds the line there), and ends after the quit request.
#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "app/InstanceProtocol.h"
#include "config/CommandLine.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) return 2;
  const QString log = QString::fromLocal8Bit(argv[1]);
  TInstanceServer server;
  server.SetHandler([&](const TInstanceRequest& request) {
    QFile file(log);
    file.open(QIODevice::Append);
    file.write(QByteArray::number(request.Code) + '\t' + request.CommandLine.toUtf8() + '\n');
    file.close();
    if (request.Code == kInstanceQuit) QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return TInstanceAnswer{};
  });
  QString why;
  if (server.Claim(why) != TClaimResult::crOwned) {
    std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
    return 1;
  }
  std::printf("listening\n");
  std::fflush(stdout);
  return QCoreApplication::exec();
}
