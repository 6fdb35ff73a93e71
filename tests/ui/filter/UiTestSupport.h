#pragma once
// What the filter windows' and the address fields' tests share: message boxes
// that record instead of blocking, focus and screenshot helpers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "widgets/MessageBoxes.h"

// Records every box; input boxes answer from a queue (nullopt = cancelled,
// an empty queue cancels too).
class TFakeMessageBoxes final : public IMessageBoxes {
 public:
  struct TShown {
    std::string Kind;  // "info", "error", "question", "input"
    std::string Text;  // the message, or the input box's caption
    std::string Prompt;
    std::string InitialText;
  };

  TFakeMessageBoxes() : FOverride(*this) {}

  void ShowInfo(QWidget*, const QString& text) override { Shown.push_back({"info", text.toStdString(), {}, {}}); }
  void ShowError(QWidget*, const QString& text) override { Shown.push_back({"error", text.toStdString(), {}, {}}); }
  bool AskYesNo(QWidget*, const QString& text) override {
    Shown.push_back({"question", text.toStdString(), {}, {}});
    return false;
  }
  bool InputQuery(QWidget*, const QString& caption, const QString& prompt, QString& text) override {
    Shown.push_back({"input", caption.toStdString(), prompt.toStdString(), text.toStdString()});
    if (Answers.empty()) return false;
    std::optional<QString> answer = Answers.front();
    Answers.pop_front();
    if (!answer) return false;
    text = *answer;
    return true;
  }

  // The texts of the error boxes shown so far.
  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const TShown& shown : Shown)
      if (shown.Kind == "error") errors.push_back(shown.Text);
    return errors;
  }

  std::vector<TShown> Shown;
  std::deque<std::optional<QString>> Answers;

 private:
  TMessageBoxesOverride FOverride;
};

// Shows a window and makes it the active one, so that focus can be tested.
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// True when the focus is on the widget or inside it (composite fields).
inline bool HasFocusWithin(const QWidget* widget) {
  QWidget* focus = QApplication::focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}

template <typename T = QWidget>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << "no control named " << name;
  return child;
}

// Renders a window into the build tree's screenshot folder.
inline void SaveScreenshot(QWidget& window, const char* name) {
  QDir().mkpath(QStringLiteral(OT_SCREENSHOT_DIR));
  const QString path = QStringLiteral(OT_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
  EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}
