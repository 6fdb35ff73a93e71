// The About window, the Help menu's commands, the "Update Found" dialog and
// the wait window.
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "AboutTestSupport.h"
#include "ui/about/AboutForm.h"
#include "ui/about/HelpActions.h"
#include "ui/about/OnlineUpdate.h"
#include "ui/about/LinkLabel.h"
#include "ui/about/ManualLocation.h"
#include "ui/about/ProgramVersion.h"
#include "ui/about/ProgressWindow.h"
#include "ui/about/UpdateFoundDialog.h"
#include "ui/about/VendorAddresses.h"
#include "widgets/ScreenScale.h"

TEST(AboutForm, NamesTheProgramAndTheVersionItWasBuiltAs) {
  TAboutForm about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Ovelda Tarnwick"));
  auto* product = Child<QLabel>(about, "ProductNameLabel");
  ASSERT_TRUE(product);
  EXPECT_EQ(product->text(), QStringLiteral("Ovelda Tarnwick"));
  EXPECT_EQ(product->font().pointSize(), 11);

  auto* version = Child<QLabel>(about, "VerInfoLabel");
  ASSERT_TRUE(version);
  const QStringList lines = version->text().split(u'\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0].toStdString(), "Version " OT_PROJECT_VERSION " " + std::to_string(sizeof(void*) * 8) + "-bit");
  EXPECT_TRUE(lines[1].contains(QStringLiteral(QT_VERSION_STR))) << lines[1].toStdString();

  EXPECT_FALSE(Child<QLabel>(about, "LawInfoLabel")->text().isEmpty());
  auto* logo = Child<QLabel>(about, "LogoImage");
  ASSERT_TRUE(logo);
  EXPECT_FALSE(logo->pixmap().isNull());
  EXPECT_EQ(Child<QPushButton>(about, "OkButton")->text(), QStringLiteral("&OK"));
}

// Points the two links at pages, whatever address the build was given.
struct TLinkAddresses {
  TLinkAddresses() {
    qputenv("OVELDA_TARNWICK_HOME_URL", "https://home.example/");
    qputenv("OVELDA_TARNWICK_SUPPORT_URL", "https://home.example/support/");
  }
  ~TLinkAddresses() {
    qunsetenv("OVELDA_TARNWICK_HOME_URL");
    qunsetenv("OVELDA_TARNWICK_SUPPORT_URL");
  }
};

TEST(AboutForm, LinksLookLikeLinksAndOpenTheirPages) {
  TLinkAddresses addresses;
  TOpenedAddresses opened;
  TAboutForm about;
  about.show();
  const struct {
    const char* Name;
    const char* Text;
    QUrl Address;
  } links[] = {{"WebSiteLabel", "Web-site", HomePageUrl()}, {"ContactLabel", "Contact us", SupportPageUrl()}};
  for (const auto& link : links) {
    auto* label = Child<TLinkLabel>(about, link.Name);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text().toStdString(), link.Text);
    EXPECT_TRUE(label->font().underline()) << link.Name;
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128)) << link.Name;
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << link.Name;
    opened.Urls.clear();
    QTest::mouseClick(label, Qt::RightButton);
    EXPECT_TRUE(opened.Urls.isEmpty()) << "only the left button opens " << link.Name;
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(opened.Urls, QList<QUrl>{link.Address}) << link.Name;
  }
}

TEST(AboutForm, TheLinksAreReachedWithTabAndOpenedWithEnterOrSpace) {
  TLinkAddresses addresses;
  TOpenedAddresses opened;
  TAboutForm about;
  about.show();
  about.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
  auto* web = Child<TLinkLabel>(about, "WebSiteLabel");
  auto* contact = Child<TLinkLabel>(about, "ContactLabel");
  QSet<QWidget*> reached;
  for (int i = 0; i < 6; ++i) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &about, Qt::Key_Tab);
    reached.insert(QApplication::focusWidget());
  }
  EXPECT_TRUE(reached.contains(web));
  EXPECT_TRUE(reached.contains(contact));
  web->setFocus();
  QTest::keyClick(web, Qt::Key_Return);
  contact->setFocus();
  QTest::keyClick(contact, Qt::Key_Space);
  EXPECT_EQ(opened.Urls, (QList<QUrl>{HomePageUrl(), SupportPageUrl()}));
  // Enter on a link opens it and leaves the dialog open.
  EXPECT_TRUE(about.isVisible());
}

TEST(AboutForm, WithoutWebAddressesTheLinksAreHidden) {
  if (!ConfiguredWebAddress().isEmpty()) GTEST_SKIP() << "this build has a web address";
  TAboutForm about;
  about.show();
  EXPECT_FALSE(Child<TLinkLabel>(about, "WebSiteLabel")->isVisible());
  EXPECT_FALSE(Child<TLinkLabel>(about, "ContactLabel")->isVisible());
  SaveScreenshot(about, "about-no-update-address");
}

TEST(AboutForm, OkClosesIt) {
  TAboutForm about;
  about.show();
  QTest::mouseClick(Child<QPushButton>(about, "OkButton"), Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(AboutForm, Screenshot) {
  TAboutForm about;
  about.show();
  SaveScreenshot(about, "about-window");
}

TEST(HelpActions, ContentsOpensTheManualAndWebSiteTheHomePage) {
  TOpenedAddresses opened;
  TRecordingMessageBoxes boxes;
  ShowHelpContents(nullptr);
  ASSERT_EQ(opened.Urls.size(), 1);
  EXPECT_TRUE(opened.Urls[0].isLocalFile());
  EXPECT_EQ(opened.Urls[0].toLocalFile(), ManualPath());
  EXPECT_EQ(QFileInfo(opened.Urls[0].toLocalFile()).fileName(), QStringLiteral("manual.html"));
  {
    TLinkAddresses addresses;
    ShowWebSite(nullptr);
    ASSERT_EQ(opened.Urls.size(), 2);
    EXPECT_EQ(opened.Urls[1], HomePageUrl());
  }
  EXPECT_TRUE(boxes.Shown.empty());
  if (ConfiguredWebAddress().isEmpty()) {
    // Without an address it says so rather than failing to open nothing.
    ShowWebSite(nullptr);
    EXPECT_EQ(opened.Urls.size(), 2);
    ASSERT_EQ(boxes.Texts("info").size(), 1u);
    EXPECT_EQ(boxes.Texts("info")[0], "This build of Ovelda Tarnwick has no web-site address.");
  }
}

TEST(HelpActions, AnAddressThatCannotBeOpenedIsNamedInAnErrorBox) {
  TRecordingMessageBoxes boxes;
  EXPECT_FALSE(OpenAddress(nullptr, QUrl()));
  ASSERT_EQ(boxes.Texts("error").size(), 1u);
  EXPECT_EQ(boxes.Texts("error")[0].rfind("Unable to open", 0), 0u) << boxes.Texts("error")[0];
}

TEST(UpdateFoundDialog, ShowsTheMessageAndDownloadOpensThePageAndCloses) {
  TOpenedAddresses opened;
  const QUrl download(QStringLiteral("https://www.ovelda-tarnwick.example/download/"));
  TUpdateFoundDialog dialog(QStringLiteral("Update Found"), QStringLiteral("line one\n\nline two"),
                            QStringLiteral("Download Now"), download, nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Update Found"));
  EXPECT_EQ(dialog.size(), QSize(ScaleToScreen(300), ScaleToScreen(190)));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed size";
  EXPECT_EQ(dialog.Message(), QStringLiteral("line one\n\nline two"));
  auto* label = Child<QLabel>(dialog, "MessageLabel");
  ASSERT_TRUE(label);
  EXPECT_TRUE(label->font().bold());
  EXPECT_TRUE(label->wordWrap());
  EXPECT_EQ(dialog.DownloadButton()->text(), QStringLiteral("Download Now"));
  EXPECT_EQ(dialog.DownloadButton()->height(), ScaleToScreen(25));
  dialog.show();
  QTest::mouseClick(dialog.DownloadButton(), Qt::LeftButton);
  EXPECT_EQ(opened.Urls, QList<QUrl>{download});
  EXPECT_FALSE(dialog.isVisible());
}

TEST(UpdateFoundDialog, IsCentredOnAVisibleOwner) {
  QWidget owner;
  owner.setGeometry(100, 120, 800, 600);
  owner.show();
  TUpdateFoundDialog dialog(QStringLiteral("Update Found"), QStringLiteral("text"), QStringLiteral("Download Now"),
                            QUrl(), &owner);
  const QPoint offset = dialog.frameGeometry().center() - owner.frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST(ProgressWindow, ShowsTheTextOverItsOwnerAndDisablesTheOtherWindowsMeanwhile) {
  QWidget owner;
  owner.setGeometry(50, 60, 640, 480);
  owner.show();
  QWidget other;
  other.show();
  QWidget hidden;
  {
    TProgressWindow progress(&owner);
    progress.SetText(QStringLiteral("Checking for Update..."));
    const TfmWaitForm& form = progress.WaitForm();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.Text(), QStringLiteral("Checking for Update..."));
    EXPECT_EQ(form.size(), QSize(ScaleToScreen(200), ScaleToScreen(60)));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    const QPoint offset = form.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_FALSE(other.isEnabled());
    SaveScreenshot(const_cast<TfmWaitForm&>(form), "about-wait-window");
  }
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_TRUE(other.isEnabled());
  EXPECT_TRUE(hidden.isEnabled());
}

TEST(ProgressWindow, AWindowDisabledBeforeStaysDisabled) {
  QWidget owner;
  owner.show();
  QWidget disabled;
  disabled.setEnabled(false);
  disabled.show();
  { TProgressWindow progress(&owner); }
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_FALSE(disabled.isEnabled());
}

TEST(ProgressWindow, IsNotShownForAHiddenOwner) {
  QWidget owner;
  TProgressWindow progress(&owner);
  EXPECT_FALSE(progress.WaitForm().isVisible());
}

TEST(UpdateFoundDialog, Screenshot) {
  TOnlineUpdate update(QUrl(), QUrl(), nullptr);
  TUpdateFoundDialog dialog(update.LangNewVerHead, update.UpdateFoundMessage(QStringLiteral("1.0"), QStringLiteral("1.2.1")),
                            update.LangGetUpdate, QUrl(), nullptr);
  dialog.show();
  SaveScreenshot(dialog, "about-update-found");
}
