// The version texts, the judgement of a server's version text against ours,
// and the request address of the update check.
#include <gtest/gtest.h>

#include <QUrlQuery>

#include "ui/about/ProgramVersion.h"
#include "ui/about/VersionComparison.h"
#include "ui/about/VersionFetch.h"

TEST(ProgramVersion, TextDropsAReleaseNumberOfZero) {
  const struct {
    TProgramVersion Version;
    const char* Text;
  } cases[] = {
      {{3, 2, 0}, "3.2"},   {{3, 2, 1}, "3.2.1"}, {{1, 0, 0}, "1.0"},
      {{0, 0, 0}, "0.0"},   {{10, 0, 3}, "10.0.3"}, {{2, 15, 0}, "2.15"},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionText(c.Version).toStdString(), c.Text) << c.Text;
}

TEST(ProgramVersion, IsTheVersionTheProjectIsBuiltAs) {
  const TProgramVersion version = ProgramVersion();
  EXPECT_EQ(QStringLiteral("%1.%2.%3").arg(version.Major).arg(version.Minor).arg(version.Release).toStdString(),
            OT_PROJECT_VERSION);
  EXPECT_EQ(LocalVersionText(), VersionText(version));
}

TEST(VersionComparison, NewerOnlyWhenANumberIsHigher) {
  const struct {
    const char* Remote;
    const char* Local;
    bool Newer;
  } cases[] = {
      {"3.2", "3.2", false},       {"3.2.0", "3.2", false},    {"3.2", "3.2.0", false},
      {"3.2\n", "3.2", false},     {"3.2\r\n", "3.2", false},  {" 3.2 \t", "3.2", false},
      {"3.2.1", "3.2", true},      {"3.3", "3.2.9", true},     {"4", "3.9.9", true},
      {"3.10", "3.9", true},       {"3.9", "3.10", false},     {"3.1.9", "3.2", false},
      {"2.9", "3.0", false},       {"03.2", "3.2", false},     {"3.2.0.1", "3.2", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNewerVersion(QString::fromLatin1(c.Remote), QString::fromLatin1(c.Local)), c.Newer)
        << "remote \"" << c.Remote << "\" against local " << c.Local;
}

TEST(VersionComparison, ATextThatIsNoVersionIsRefusedWithItsText) {
  const struct {
    QString Text;
    const char* Quoted;  // how the message quotes it
  } cases[] = {
      {QString(), "\"\""},
      {QStringLiteral("\n"), "\"\""},
      {QStringLiteral("3..2"), "\"3..2\""},
      {QStringLiteral("3.2."), "\"3.2.\""},
      {QStringLiteral("v3.2"), "\"v3.2\""},
      {QStringLiteral("3.2-beta"), "\"3.2-beta\""},
      {QStringLiteral("-3.2"), "\"-3.2\""},
      {QStringLiteral("3.2 3.3"), "\"3.2 3.3\""},
      {QStringLiteral("1.2.3.4.5"), "\"1.2.3.4.5\""},
      {QStringLiteral("1234567890.1"), "\"1234567890.1\""},
      {QStringLiteral("3.2\n3.3"), "\"3.2?3.3\""},
      {QStringLiteral("<html><body>Not found</body></html>"), "\"<html><body>Not found</body></html>\""},
      {QStringLiteral("<!DOCTYPE html><html><head><title>Welcome</title></head>"),
       "\"<!DOCTYPE html><html><head><title>Welco\u2026\""},
  };
  for (const auto& c : cases) {
    try {
      ParseVersionText(c.Text);
      ADD_FAILURE() << "accepted \"" << c.Text.toStdString() << "\"";
    } catch (const EVersionText& error) {
      EXPECT_EQ(std::string(error.what()), std::string(c.Quoted) + " is not a version number");
    }
    EXPECT_THROW(IsNewerVersion(c.Text, QStringLiteral("3.2")), EVersionText) << c.Text.toStdString();
  }
}

TEST(VersionComparison, ParsesDottedNumbers) {
  EXPECT_EQ(ParseVersionText(QStringLiteral("3.2.1")), QVector<int>({3, 2, 1}));
  EXPECT_EQ(ParseVersionText(QStringLiteral("7\n")), QVector<int>({7}));
  EXPECT_EQ(ParseVersionText(QStringLiteral("1.0.0.42")), QVector<int>({1, 0, 0, 42}));
}

TEST(VersionRequest, CarriesTheVersionAndTheRandomValueAndKeepsTheAddressQuery) {
  const struct {
    const char* Base;
    const char* Version;
    quint32 Random;
    const char* Expected;
  } cases[] = {
      {"http://127.0.0.1:8080/version.txt", "3.2", 7, "http://127.0.0.1:8080/version.txt?ver=3.2&random=7"},
      {"https://updates.ovelda-tarnwick.example/v?channel=stable", "3.2.1", 4294967295u,
       "https://updates.ovelda-tarnwick.example/v?channel=stable&ver=3.2.1&random=4294967295"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VersionRequestUrl(QUrl(QString::fromLatin1(c.Base)), QString::fromLatin1(c.Version), c.Random)
                  .toString()
                  .toStdString(),
              c.Expected);
}
