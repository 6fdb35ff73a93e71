#pragma once
// Element values of a profile document: how they are looked up, written and
// converted. Every value is the text of an element; a missing or empty
// element means the caller's default.

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <cstdint>
#include <string>

// The first child element of that name; a null element when there is none
// (or when parent is null).
QDomElement ChildElement(const QDomElement& parent, const QString& name);

// The text of the first child element of that name; the default when the
// parent is null, the child is absent or its text is empty.
QString ReadChildValue(const QDomElement& parent, const QString& name, const QString& fallback);

// Whole decimal numbers, with an optional sign; anything else throws
// std::runtime_error with the message "'<text>' is not a valid integer value".
int32_t ProfileInteger(const QString& text);
// "true" or "false" in any letter case, or a number (0 false, else true);
// anything else throws "'<text>' is not a valid boolean value".
bool ProfileBoolean(const QString& text);

// The child's value converted, or the default (converted the same way).
int32_t ReadChildInteger(const QDomElement& parent, const QString& name, int32_t fallback);
bool ReadChildBoolean(const QDomElement& parent, const QString& name, bool fallback);
std::string ReadChildString(const QDomElement& parent, const QString& name, const std::string& fallback = {});

// Appends <name>text</name> under parent.
QDomElement AppendElement(QDomElement& parent, const QString& name);
void AppendValue(QDomElement& parent, const QString& name, const QString& text);
void AppendValue(QDomElement& parent, const QString& name, const std::string& text);
void AppendValue(QDomElement& parent, const QString& name, int64_t value);
void AppendValue(QDomElement& parent, const QString& name, bool value);
// Without these, a char* or an int would pick an unintended overload.
void AppendValue(QDomElement& parent, const QString& name, const char* text) = delete;
inline void AppendValue(QDomElement& parent, const QString& name, int value) {
  AppendValue(parent, name, static_cast<int64_t>(value));
}
