#include "config/ProfileValues.h"

#include <stdexcept>

QDomElement ChildElement(const QDomElement& parent, const QString& name) {
  if (parent.isNull()) return {};
  return parent.firstChildElement(name);
}

QString ReadChildValue(const QDomElement& parent, const QString& name, const QString& fallback) {
  const QDomElement child = ChildElement(parent, name);
  if (child.isNull()) return fallback;
  const QString text = child.text();
  return text.isEmpty() ? fallback : text;
}

int32_t ProfileInteger(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
  return value;
}

bool ProfileBoolean(const QString& text) {
  const QString word = text.trimmed();
  if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
  if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
  bool ok = false;
  const qlonglong number = word.toLongLong(&ok, 10);
  if (!ok) throw std::runtime_error("'" + text.toStdString() + "' is not a valid boolean value");
  return number != 0;
}

int32_t ReadChildInteger(const QDomElement& parent, const QString& name, int32_t fallback) {
  return ProfileInteger(ReadChildValue(parent, name, QString::number(fallback)));
}

bool ReadChildBoolean(const QDomElement& parent, const QString& name, bool fallback) {
  return ProfileBoolean(ReadChildValue(parent, name, fallback ? QStringLiteral("true") : QStringLiteral("false")));
}

std::string ReadChildString(const QDomElement& parent, const QString& name, const std::string& fallback) {
  return ReadChildValue(parent, name, QString::fromStdString(fallback)).toStdString();
}

QDomElement AppendElement(QDomElement& parent, const QString& name) {
  QDomElement child = parent.ownerDocument().createElement(name);
  parent.appendChild(child);
  return child;
}

void AppendValue(QDomElement& parent, const QString& name, const QString& text) {
  QDomElement child = AppendElement(parent, name);
  if (!text.isEmpty()) child.appendChild(parent.ownerDocument().createTextNode(text));
}

void AppendValue(QDomElement& parent, const QString& name, const std::string& text) {
  AppendValue(parent, name, QString::fromStdString(text));
}

void AppendValue(QDomElement& parent, const QString& name, int64_t value) {
  AppendValue(parent, name, QString::number(value));
}

void AppendValue(QDomElement& parent, const QString& name, bool value) {
  AppendValue(parent, name, value ? QStringLiteral("true") : QStringLiteral("false"));
}
