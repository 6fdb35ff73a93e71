#pragma once
// Running the program as a script would: a fresh settings directory and
// socket directory per test, bounded waits, and what it printed.

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

struct TRunResult {
  int ExitCode = -1;
  bool Finished = false;
  QByteArray Out;
  QByteArray Err;
};

class TProgramEnvironment {
 public:
  TProgramEnvironment() {
    Environment.insert("XDG_CONFIG_HOME", Dir.filePath("config"));
    Environment.insert("XDG_RUNTIME_DIR", Dir.filePath("run"));
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    QDir(Dir.path()).mkpath("config");
    QDir(Dir.path()).mkpath("run");
    QFile::setPermissions(Dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  QString SettingsFile() const { return Dir.filePath("config/Ovelda/Ovelda Tarnwick.conf"); }

  // Writes a file under the test's directory and returns its path.
  QString WriteFile(const QString& name, const QByteArray& content) const {
    QFile file(Path(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
  }

  void Start(QProcess& process, const QString& program, const QStringList& arguments) const {
    process.setProcessEnvironment(Environment);
    if (!WorkingDirectory.isEmpty()) process.setWorkingDirectory(WorkingDirectory);
    process.start(program, arguments);
    process.waitForStarted(10000);
  }

  TRunResult Run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) const {
    QProcess process;
    Start(process, program, arguments);
    TRunResult result;
    result.Finished = process.waitForFinished(timeoutMs);
    if (!result.Finished) process.kill();
    process.waitForFinished(5000);
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
  }

  QTemporaryDir Dir;
  QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
  // The programs' working directory; the test's own when empty.
  QString WorkingDirectory;
};

// Reads one line from a running process, waiting up to timeoutMs.
inline QByteArray ReadLine(QProcess& process, int timeoutMs = 20000) {
  while (!process.canReadLine()) {
    if (!process.waitForReadyRead(timeoutMs)) return {};
  }
  return process.readLine().trimmed();
}

inline std::vector<QJsonObject> JsonLines(const QByteArray& out) {
  std::vector<QJsonObject> objects;
  for (const QByteArray& line : out.split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    objects.push_back(QJsonDocument::fromJson(line).object());
  }
  return objects;
}

inline qint64 Counter(const QJsonObject& object, const char* name) {
  return object.value(QLatin1String(name)).toInteger(-1);
}
