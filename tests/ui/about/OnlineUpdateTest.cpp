// The update check against an HTTP server of the test's own on loopback.
#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <memory>

#include "AboutTestSupport.h"
#include "ui/about/OnlineUpdate.h"
#include "ui/about/ProgramVersion.h"
#include "ui/about/WaitForm.h"

namespace {

// Answers every request on 127.0.0.1 the way the test says, and records the
// requested addresses.
class TLocalHttpServer {
 public:
  enum TMode {
    hmAnswer,      // Status and Body, with their length
    hmSilent,      // reads the request, never answers
    hmHugeStream,  // a body far over any version file, without a length
  };

  TLocalHttpServer() {
    EXPECT_TRUE(FServer.listen(QHostAddress::LocalHost, 0)) << FServer.errorString().toStdString();
    QObject::connect(&FServer, &QTcpServer::newConnection, [this] { Accept(); });
  }

  QUrl Url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/update/version.txt").arg(FServer.serverPort())); }

  TMode Mode = hmAnswer;
  int Status = 200;
  QByteArray Body;
  QList<QUrl> Requests;
  std::function<void()> OnRequest;  // runs while the program waits for the answer

 private:
  void Accept() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
      socket->setParent(&FServer);
      auto request = std::make_shared<QByteArray>();
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
        *request += socket->readAll();
        if (!request->contains("\r\n\r\n")) return;
        Requests.append(QUrl(Url().toString(QUrl::RemovePath | QUrl::RemoveQuery) +
                             QString::fromLatin1(request->split(' ').value(1))));
        if (OnRequest) OnRequest();
        Answer(*socket);
      });
    }
  }

  void Answer(QTcpSocket& socket) {
    if (Mode == hmSilent) return;
    if (Mode == hmHugeStream) {
      socket.write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
      socket.write(QByteArray(1 << 20, '9'));
      socket.disconnectFromHost();
      return;
    }
    socket.write(QStringLiteral("HTTP/1.1 %1 Status\r\nContent-Type: text/plain\r\nContent-Length: %2\r\n"
                                "Connection: close\r\n\r\n")
                     .arg(Status)
                     .arg(Body.size())
                     .toLatin1());
    socket.write(Body);
    socket.disconnectFromHost();
  }

  QTcpServer FServer;
};

// The checker with the "Update Found" dialog recorded instead of shown.
class TRecordingOnlineUpdate final : public TOnlineUpdate {
 public:
  using TOnlineUpdate::TOnlineUpdate;
  struct TFound {
    QString Local;
    QString Remote;
  };
  QList<TFound> Found;

 protected:
  void ShowUpdateFound(QWidget*, const QString& localVersion, const QString& remoteVersion) override {
    Found.append({localVersion, remoteVersion});
  }
};

const QUrl kDownload(QStringLiteral("https://www.ovelda-tarnwick.example/download/"));
const std::string kFailurePrefix = "Unexpected exception occured: ";

class OnlineUpdateTest : public ::testing::Test {
 protected:
  OnlineUpdateTest() {
    MainWindow.resize(640, 480);
    MainWindow.show();
  }

  QWidget MainWindow;
  TRecordingMessageBoxes Boxes;
  TLocalHttpServer Server;
};

}  // namespace

TEST_F(OnlineUpdateTest, AnswersByWhatTheServerSays) {
  const QByteArray local = LocalVersionText().toLatin1();
  const struct {
    const char* Case;
    TLocalHttpServer::TMode Mode;
    int Status;
    QByteArray Body;
    bool Silent;
    const char* Info;       // the information box, or nullptr for none
    const char* Remote;     // the new version offered, or nullptr for none
    const char* ErrorPart;  // a part of the error box's text, or nullptr for none
  } cases[] = {
      {"same version", TLocalHttpServer::hmAnswer, 200, local, false,
       "No new version is available at this time. You are using the latest version.", nullptr, nullptr},
      {"same version, silent", TLocalHttpServer::hmAnswer, 200, local, true, nullptr, nullptr, nullptr},
      {"same version with a trailing line break", TLocalHttpServer::hmAnswer, 200, local + "\r\n", false,
       "No new version is available at this time. You are using the latest version.", nullptr, nullptr},
      {"same version written with its release number", TLocalHttpServer::hmAnswer, 200,
       VersionText(ProgramVersion()).count(u'.') == 1 ? local + ".0" : local, false,
       "No new version is available at this time. You are using the latest version.", nullptr, nullptr},
      {"newer version", TLocalHttpServer::hmAnswer, 200, "99.1", false, nullptr, "99.1", nullptr},
      {"newer version, silent", TLocalHttpServer::hmAnswer, 200, "99.1", true, nullptr, "99.1", nullptr},
      {"newer version with a trailing line break", TLocalHttpServer::hmAnswer, 200, "99.1.2\n", false, nullptr,
       "99.1.2", nullptr},
      {"older version", TLocalHttpServer::hmAnswer, 200, "0.1", false,
       "No new version is available at this time. You are using the latest version.", nullptr, nullptr},
      {"server error", TLocalHttpServer::hmAnswer, 500, "99.1", false, nullptr, nullptr, "server replied"},
      {"server error, silent", TLocalHttpServer::hmAnswer, 500, "", true, nullptr, nullptr, "server replied"},
      {"missing file", TLocalHttpServer::hmAnswer, 404, "<html>Not found</html>", false, nullptr, nullptr,
       "server replied"},
      {"a page instead of a version", TLocalHttpServer::hmAnswer, 200, "<html><body>Welcome</body></html>", false,
       nullptr, nullptr, "is not a version number"},
      {"an empty file", TLocalHttpServer::hmAnswer, 200, "", false, nullptr, nullptr, "is not a version number"},
      {"a huge answer with its length", TLocalHttpServer::hmAnswer, 200, QByteArray(200000, '1'), false, nullptr,
       nullptr, "larger than 4096 bytes"},
      {"a huge answer without a length", TLocalHttpServer::hmHugeStream, 200, "", false, nullptr, nullptr,
       "larger than 4096 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    Server.Mode = c.Mode;
    Server.Status = c.Status;
    Server.Body = c.Body;
    Boxes.Shown.clear();
    TRecordingOnlineUpdate update(Server.Url(), kDownload, &MainWindow);
    update.CheckNow(c.Silent);

    EXPECT_EQ(Boxes.Texts("info"), c.Info ? std::vector<std::string>{c.Info} : std::vector<std::string>{});
    ASSERT_EQ(update.Found.size(), c.Remote ? 1 : 0);
    if (c.Remote) {
      EXPECT_EQ(update.Found[0].Local, LocalVersionText());
      EXPECT_EQ(update.Found[0].Remote.toStdString(), c.Remote);
    }
    const std::vector<std::string> errors = Boxes.Texts("error");
    ASSERT_EQ(errors.size(), c.ErrorPart ? 1u : 0u);
    if (c.ErrorPart) {
      EXPECT_EQ(errors[0].rfind(kFailurePrefix, 0), 0u) << errors[0];
      EXPECT_NE(errors[0].find(c.ErrorPart), std::string::npos) << errors[0];
    }
    EXPECT_TRUE(MainWindow.isEnabled());
  }
}

TEST_F(OnlineUpdateTest, EachRequestCarriesTheVersionAndADifferentRandomValue) {
  Server.Body = LocalVersionText().toLatin1();
  TRecordingOnlineUpdate update(Server.Url(), kDownload, &MainWindow);
  for (int i = 0; i < 4; ++i) update.CheckNow(true);
  ASSERT_EQ(Server.Requests.size(), 4);
  QSet<QString> randoms;
  for (const QUrl& request : Server.Requests) {
    const QUrlQuery query(request);
    EXPECT_EQ(request.path(), QStringLiteral("/update/version.txt"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("ver")), LocalVersionText());
    bool number = false;
    query.queryItemValue(QStringLiteral("random")).toUInt(&number);
    EXPECT_TRUE(number) << request.toString().toStdString();
    randoms.insert(query.queryItemValue(QStringLiteral("random")));
  }
  EXPECT_EQ(randoms.size(), 4);
}

TEST_F(OnlineUpdateTest, TheWaitWindowIsShownAndTheOtherWindowsDisabledWhileItWaits) {
  Server.Body = LocalVersionText().toLatin1();
  QStringList waitTexts;
  bool mainWindowEnabled = true;
  Server.OnRequest = [&] {
    mainWindowEnabled = MainWindow.isEnabled();
    for (QWidget* window : QApplication::topLevelWidgets())
      if (auto* wait = qobject_cast<TfmWaitForm*>(window); wait && wait->isVisible()) waitTexts.append(wait->Text());
  };
  TRecordingOnlineUpdate update(Server.Url(), kDownload, &MainWindow);
  update.CheckNow(false);
  EXPECT_EQ(waitTexts, QStringList{QStringLiteral("Checking for Update...")});
  EXPECT_FALSE(mainWindowEnabled);
  EXPECT_TRUE(MainWindow.isEnabled());
  for (QWidget* window : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TfmWaitForm*>(window), nullptr) << "the wait window is freed";
}

TEST_F(OnlineUpdateTest, WithoutAnAddressItSaysSoAndFetchesNothing) {
  TRecordingOnlineUpdate update(QUrl(), kDownload, &MainWindow);
  update.CheckNow(true);
  EXPECT_TRUE(Boxes.Shown.empty()) << "silent: nothing to say";
  update.CheckNow(false);
  ASSERT_EQ(Boxes.Shown.size(), 1u);
  EXPECT_EQ(Boxes.Shown[0].Kind, "info");
  EXPECT_EQ(Boxes.Shown[0].Text,
            "This build of Ovelda Tarnwick has no update address, so it cannot look for a new version.");
  EXPECT_TRUE(update.Found.isEmpty());
}

TEST_F(OnlineUpdateTest, NoServerIsReportedAndTheProgramGoesOn) {
  QUrl nowhere;
  {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    nowhere = QUrl(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(closed.serverPort()));
  }
  TRecordingOnlineUpdate update(nowhere, kDownload, &MainWindow);
  update.CheckNow(true);
  const std::vector<std::string> errors = Boxes.Texts("error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind(kFailurePrefix, 0), 0u) << errors[0];
  EXPECT_GT(errors[0].size(), kFailurePrefix.size()) << "the reason follows";
  EXPECT_TRUE(update.Found.isEmpty());
  EXPECT_TRUE(MainWindow.isEnabled());
}

TEST_F(OnlineUpdateTest, AServerThatNeverAnswersEndsTheCheckAtTheDeadline) {
  Server.Mode = TLocalHttpServer::hmSilent;
  TRecordingOnlineUpdate update(Server.Url(), kDownload, &MainWindow);
  update.SetLimits({.TimeoutMs = 300, .MaxBytes = 4096});
  update.CheckNow(false);
  EXPECT_EQ(Server.Requests.size(), 1);
  EXPECT_EQ(Boxes.Texts("error"),
            std::vector<std::string>{kFailurePrefix + "the update server did not answer within 1 second"});
  EXPECT_TRUE(MainWindow.isEnabled());
}

TEST_F(OnlineUpdateTest, ClosingTheCheckerWhileItWaitsEndsTheCheckQuietly) {
  Server.Mode = TLocalHttpServer::hmSilent;
  auto* update = new TRecordingOnlineUpdate(Server.Url(), kDownload, &MainWindow);
  Server.OnRequest = [&] { delete update; };
  update->CheckNow(false);
  EXPECT_TRUE(Boxes.Shown.empty());
  EXPECT_TRUE(MainWindow.isEnabled());
  EXPECT_EQ(MainWindow.findChild<TOnlineUpdate*>(), nullptr);
}

TEST_F(OnlineUpdateTest, TheUpdateFoundMessageNamesBothVersions) {
  TOnlineUpdate update(Server.Url(), kDownload, &MainWindow);
  EXPECT_EQ(update.UpdateFoundMessage(QStringLiteral("3.2"), QStringLiteral("3.2.1")).toStdString(),
            "New version of Ovelda Tarnwick is available!\n\nYour version: 3.2\nNew version: 3.2.1");
  EXPECT_EQ(update.VersionUrl(), Server.Url());
  EXPECT_EQ(update.DownloadUrl(), kDownload);
  EXPECT_EQ(update.parent(), &MainWindow);
}
