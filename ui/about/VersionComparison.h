#pragma once
// How the update check judges the version text the server sent against the
// running program's: dotted numbers, compared number by number, so that
// "3.2" equals "3.2.0" and "3.10" is newer than "3.9".
#include <QString>
#include <QVector>
#include <stdexcept>

// A text that is not a version number.
class EVersionText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "3.2.1" -> {3, 2, 1}. White space around the text (a trailing line break of
// the version file) is ignored; anything else that is not one to four dotted
// decimal numbers raises EVersionText with a message that quotes the text.
QVector<int> ParseVersionText(const QString& text);

// Whether remote names a later version than local. Raises EVersionText when
// either is not a version number.
bool IsNewerVersion(const QString& remote, const QString& local);

// The text as it may be shown to the user: trimmed, control characters
// replaced, at most maxLength characters (an ellipsis marks a cut).
QString DisplayableVersionText(const QString& text, int maxLength = 40);
