#include "ui/about/VersionComparison.h"

#include <algorithm>

namespace {

constexpr int kMaxParts = 4;
constexpr int kMaxPartDigits = 9;  // keeps every part within an int

bool IsDecimalNumber(const QString& part) {
  if (part.isEmpty() || part.size() > kMaxPartDigits) return false;
  return std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

[[noreturn]] void RaiseNotAVersion(const QString& text) {
  throw EVersionText(QStringLiteral("\"%1\" is not a version number").arg(DisplayableVersionText(text)).toStdString());
}

}  // namespace

QVector<int> ParseVersionText(const QString& text) {
  const QStringList parts = text.trimmed().split(u'.');
  if (parts.size() > kMaxParts) RaiseNotAVersion(text);
  QVector<int> numbers;
  for (const QString& part : parts) {
    if (!IsDecimalNumber(part)) RaiseNotAVersion(text);
    numbers.append(part.toInt());
  }
  return numbers;
}

bool IsNewerVersion(const QString& remote, const QString& local) {
  QVector<int> remoteNumbers = ParseVersionText(remote);
  QVector<int> localNumbers = ParseVersionText(local);
  const qsizetype length = std::max(remoteNumbers.size(), localNumbers.size());
  remoteNumbers.resize(length, 0);
  localNumbers.resize(length, 0);
  return std::lexicographical_compare(localNumbers.begin(), localNumbers.end(), remoteNumbers.begin(),
                                      remoteNumbers.end());
}

QString DisplayableVersionText(const QString& text, int maxLength) {
  QString shown = text.trimmed();
  for (QChar& c : shown)
    if (!c.isPrint()) c = u'?';
  if (shown.size() > maxLength) shown = shown.left(maxLength - 1) + QChar(0x2026);
  return shown;
}
