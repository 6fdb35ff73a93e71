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

TEST(VendorAddresses, UnderTheReservedExampleDomainUnlessOverridden) {
  const struct {
    QUrl (*Address)();
    const char* Variable;
  } addresses[] = {
      {VersionFileUrl, "OVELDA_TARNWICK_UPDATE_URL"},
      {DownloadPageUrl, "OVELDA_TARNWICK_DOWNLOAD_URL"},
      {HomePageUrl, "OVELDA_TARNWICK_HOME_URL"},
      {SupportPageUrl, "OVELDA_TARNWICK_SUPPORT_URL"},
  };
  for (const auto& address : addresses) {
    qunsetenv(address.Variable);
    const QUrl standard = address.Address();
    EXPECT_TRUE(standard.isValid()) << address.Variable;
    EXPECT_TRUE(standard.host().endsWith(QStringLiteral(".example"))) << standard.toString().toStdString();
    EXPECT_EQ(standard.scheme(), QStringLiteral("https"));
    TEnvironmentOverride local(address.Variable, "http://127.0.0.1:8123/path");
    EXPECT_EQ(address.Address(), QUrl(QStringLiteral("http://127.0.0.1:8123/path"))) << address.Variable;
  }
  EXPECT_NE(HomePageUrl(), SupportPageUrl());
  EXPECT_NE(VersionFileUrl(), DownloadPageUrl());
}
