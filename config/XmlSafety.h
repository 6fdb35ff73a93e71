#pragma once
// A pass over a profile's bytes before the document is built: a profile is a
// small tree of plain elements, so anything that could make the parser's
// memory or time grow out of proportion to that is refused up front. No
// document type declaration (and with it no entity of our own), no nesting
// deeper than a profile ever needs, and a bounded size.

#include <QByteArray>
#include <string>

constexpr qsizetype kMaxProfileBytes = 4 * 1024 * 1024;
constexpr int kMaxProfileDepth = 32;

// Empty when the bytes may be parsed; else the reason to show.
std::string CheckXmlSafety(const QByteArray& bytes);
