#pragma once
// What the Help menu's commands do. The main window binds its actions to
// these; each shows its own error box when it cannot do its work.
#include <QUrl>

class QWidget;

// "&Contents": the program's manual in the default browser.
void ShowHelpContents(QWidget* owner);
// "&Web-site": the project's home page in the default browser.
void ShowWebSite(QWidget* owner);
// "&About": the About window, modal, released when it closes.
void ShowAboutWindow(QWidget* owner);

// Opens url in the default browser (or, for a file, its application); an
// error box names it when that fails. True when it was opened.
bool OpenAddress(QWidget* owner, const QUrl& url);
