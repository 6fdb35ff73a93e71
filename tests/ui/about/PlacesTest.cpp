// Where the program finds its manual and which addresses it uses on the web.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ui/about/ManualLocation.h"
#include "ui/about/VendorAddresses.h"

namespace {

void WriteFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write("<html></html>");
}

// Sets an environment variable for its lifetime.
class TEnvironmentOverride {
 public:
  TEnvironmentOverride(const char* name, const char* value) : FName(name) { qputenv(name, value); }
  ~TEnvironmentOverride() { qunsetenv(FName); }

 private:
  const char* FName;
};

}  // namespace

TEST(ManualLocation, NextToTheProgramThenTheInstalledDocumentationThenTheSourceTree) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString bin = root.filePath(QStringLiteral("bin"));
  QDir().mkpath(bin);
  const QStringList candidates = ManualCandidates(bin);
  ASSERT_EQ(candidates.size(), 3);
  EXPECT_EQ(candidates[0], bin + QStringLiteral("/manual.html"));
  EXPECT_EQ(candidates[1], root.filePath(QStringLiteral("share/doc/ovelda-tarnwick/manual.html")));
  EXPECT_TRUE(QFileInfo(candidates[2]).isFile()) << "the source tree holds the manual: " << candidates[2].toStdString();

  EXPECT_EQ(FirstExistingFile(candidates), candidates[2]);
  WriteFile(candidates[1]);
  EXPECT_EQ(FirstExistingFile(candidates), candidates[1]);
  WriteFile(candidates[0]);
  EXPECT_EQ(FirstExistingFile(candidates), candidates[0]);
}

TEST(ManualLocation, AFolderOfTheManualsNameIsNoManual) {
  QTemporaryDir root;
  QDir(root.path()).mkpath(QStringLiteral("manual.html"));
  EXPECT_EQ(FirstExistingFile({root.filePath(QStringLiteral("manual.html"))}), QString());
  EXPECT_EQ(FirstExistingFile({}), QString());
}

TEST(VendorAddresses, BelowTheConfiguredSiteOrNoneAndEachCanBeOverridden) {
  const struct {
    QUrl (*Address)();
    const char* Variable;
    const char* Page;
  } addresses[] = {
      {VersionFileUrl, "OVELDA_TARNWICK_UPDATE_URL", "update/version.txt"},
      {DownloadPageUrl, "OVELDA_TARNWICK_DOWNLOAD_URL", "download/"},
      {HomePageUrl, "OVELDA_TARNWICK_HOME_URL", ""},
      {SupportPageUrl, "OVELDA_TARNWICK_SUPPORT_URL", "support/"},
  };
  const QUrl site = ConfiguredWebAddress();
  for (const auto& address : addresses) {
    qunsetenv(address.Variable);
    if (site.isEmpty()) {
      EXPECT_TRUE(address.Address().isEmpty()) << address.Variable << " without a web address";
    } else {
      EXPECT_TRUE(site.toString().endsWith('/'));
      EXPECT_EQ(address.Address(), QUrl(site.toString() + QLatin1String(address.Page))) << address.Variable;
    }
    TEnvironmentOverride local(address.Variable, "http://127.0.0.1:8123/path");
    EXPECT_EQ(address.Address(), QUrl(QStringLiteral("http://127.0.0.1:8123/path"))) << address.Variable;
  }
}
