#pragma once
// The project's addresses on the web. A build names its web site with the
// CMake option OT_WEB_ADDRESS (for example https://example.org/ovelda/); the
// other pages lie below it: "update/version.txt" (the version file of the
// update check), "download/" and "support/". Without it, the default, the
// build has no addresses: the update check says so, and the links to the
// web site and the support page are not offered.
//
// Each address can be overridden by an environment variable, so that a test
// (or a mirror) points the program at a server of its own:
//   OVELDA_TARNWICK_UPDATE_URL    the version file of the update check
//   OVELDA_TARNWICK_DOWNLOAD_URL  the download page the update dialog opens
//   OVELDA_TARNWICK_HOME_URL      the home page (Help, "Web-site")
//   OVELDA_TARNWICK_SUPPORT_URL   the support page ("Contact us")
#include <QUrl>

// The web site the build was configured with; empty when none.
QUrl ConfiguredWebAddress();

// Each is empty when the build has no web address and no override is set.
QUrl VersionFileUrl();
QUrl DownloadPageUrl();
QUrl HomePageUrl();
QUrl SupportPageUrl();
