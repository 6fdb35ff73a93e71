#pragma once
// The project's addresses on the web. Each can be overridden by an
// environment variable, so that a test (or a mirror) points the program at a
// server of its own:
//   OVELDA_TARNWICK_UPDATE_URL    the version file of the update check
//   OVELDA_TARNWICK_DOWNLOAD_URL  the download page the update dialog opens
//   OVELDA_TARNWICK_HOME_URL      the home page (Help, "Web-site")
//   OVELDA_TARNWICK_SUPPORT_URL   the support page ("Contact us")
#include <QUrl>

QUrl VersionFileUrl();
QUrl DownloadPageUrl();
QUrl HomePageUrl();
QUrl SupportPageUrl();
