#pragma once
// What the Help windows' and the connections list's tests share: message
// boxes that record instead of blocking, a recorder for opened addresses,
// connection entries from text, and screenshots.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QObject>
#include <QUrl>
#include <QWidget>
#include <arpa/inet.h>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/NetStat.h"
#include "widgets/MessageBoxes.h"

// Records every box. OnBox runs while a box would be open (a real box runs
// the event loop meanwhile, so timers fire).
class TRecordingMessageBoxes final : public IMessageBoxes {
 public:
  struct TShown {
    std::string Kind;  // "info", "error", "question"
    std::string Text;
  };

  TRecordingMessageBoxes() : FOverride(*this) {}

  void ShowInfo(QWidget*, const QString& text) override { Record("info", text); }
  void ShowError(QWidget*, const QString& text) override { Record("error", text); }
  bool AskYesNo(QWidget*, const QString& text) override {
    Record("question", text);
    return false;
  }
  bool InputQuery(QWidget*, const QString&, const QString&, QString&) override { return false; }

  std::vector<std::string> Texts(const std::string& kind) const {
    std::vector<std::string> texts;
    for (const TShown& shown : Shown)
      if (shown.Kind == kind) texts.push_back(shown.Text);
    return texts;
  }

  std::vector<TShown> Shown;
  std::function<void()> OnBox;

 private:
  void Record(const char* kind, const QString& text) {
    Shown.push_back({kind, text.toStdString()});
    if (OnBox) OnBox();
  }

  TMessageBoxesOverride FOverride;
};

// Takes over QDesktopServices::openUrl for the given schemes for its lifetime
// and records the addresses instead of starting a browser.
class TOpenedAddresses : public QObject {
  Q_OBJECT

 public:
  explicit TOpenedAddresses(QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                                   QStringLiteral("file")})
      : FSchemes(std::move(schemes)) {
    for (const QString& scheme : FSchemes) QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~TOpenedAddresses() override {
    for (const QString& scheme : FSchemes) QDesktopServices::unsetUrlHandler(scheme);
  }

  QList<QUrl> Urls;

 public slots:
  void Open(const QUrl& url) { Urls.append(url); }

 private:
  QStringList FSchemes;
};

// A TCP connection entry from endpoint texts ("192.0.2.1", 443); ports are
// stored in network byte order, as the system reports them.
inline TNetStatEntry Connection(const std::string& local, uint16_t localPort, const std::string& remote,
                                uint16_t remotePort, uint32_t state = kTcpStateEstablished) {
  auto address = [](const std::string& text) {
    uint32_t v4 = 0;
    if (StrToIPv4(text, v4)) return TIPAddr::Create(v4);
    TIn6_addr v6;
    EXPECT_TRUE(StrToIPv6(text, v6)) << text;
    return TIPAddr::Create(v6);
  };
  TNetStatEntry entry;
  entry.FProtocol = kProtocolTcp;
  entry.FLocalAddr = address(local);
  entry.FRemoteAddr = address(remote);
  entry.FLocalPort = htons(localPort);
  entry.FRemotePort = htons(remotePort);
  entry.FState = state;
  return entry;
}

// Renders a window into the build tree's screenshot folder.
inline void SaveScreenshot(QWidget& window, const char* name) {
  QDir().mkpath(QStringLiteral(OT_SCREENSHOT_DIR));
  const QString path = QStringLiteral(OT_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
  EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}

template <typename T = QWidget>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << "no control named " << name;
  return child;
}
