#pragma once
// A main window over an engine on two lab adapters, with message boxes and
// file dialogs that answer at once and keep what they were asked, and
// preferences in a file of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "platform/LabDriver.h"
#include "platform/MonotonicClock.h"
#include "platform/TimerFd.h"
#include "ui/main/FileDialogs.h"
#include "ui/main/SimulatorForm.h"
#include "widgets/MessageBoxes.h"

class TFakeMessageBoxes : public IMessageBoxes {
 public:
  void ShowInfo(QWidget*, const QString& text) override { Infos.push_back(text.toStdString()); }
  void ShowError(QWidget*, const QString& text) override {
    Errors.push_back(text.toStdString());
    // What runs while the box is open, as in a modal box's event loop.
    if (WhileErrorShown) WhileErrorShown(Errors.back());
  }
  bool AskYesNo(QWidget*, const QString& text) override {
    Questions.push_back(text.toStdString());
    return Answer;
  }
  bool InputQuery(QWidget*, const QString&, const QString&, QString&) override { return false; }

  std::vector<std::string> Infos, Errors, Questions;
  bool Answer = true;
  std::function<void(const std::string&)> WhileErrorShown;
};

class TFakeFileDialogs : public IFileDialogs {
 public:
  QString ProfileToLoad(QWidget*) override { return LoadName; }
  QString ProfileToSave(QWidget*) override { return SaveName; }
  QString CaptureFile(QWidget*) override { return CaptureName; }
  QString TraceFile(QWidget*) override { return TraceName; }
  QString LoadName, SaveName, CaptureName, TraceName;
};

constexpr int kWaitMs = 5000;

// The engine, the driver and the window; adapters are added before the
// window is made (MakeForm).
class TWindowRig {
 public:
  TWindowRig() : Boxes(), Override(Boxes) {
    Store = std::make_unique<QSettings>(Dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
  }
  ~TWindowRig() {
    if (Form) Form->RunDialog = [](QDialog&) { return int(QDialog::Rejected); };
    Form.reset();
  }

  TAdapterHandle AddLabAdapters() {
    A = Driver.AddAdapter("lab0", {0x02, 0, 0, 0, 0, 0x01}, "Lab adapter 0");
    B = Driver.AddAdapter("lab1", {0x02, 0, 0, 0, 0, 0x02}, "Lab adapter 1");
    return A;
  }

  TSimulatorForm& MakeForm(bool show = true) {
    Context = std::make_unique<TSimulatorContext>(
        TSimulatorContext{Engine, Timers, *Store, Parameters, {}, &Dialogs, Connections});
    Form = std::make_unique<TSimulatorForm>(*Context);
    if (show) {
      Form->show();
      QApplication::processEvents();
    }
    return *Form;
  }

  template <typename T>
  T* Find(const char* name) {
    T* found = Form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // Until done() holds, the window's events running meanwhile.
  bool WaitUntil(const std::function<bool()>& done) {
    for (int waited = 0; waited < kWaitMs; waited += 10) {
      QApplication::processEvents();
      if (done()) return true;
      Driver.WaitFor(done, 10);
    }
    return done();
  }

  QTemporaryDir Dir;
  TFakeMessageBoxes Boxes;
  TMessageBoxesOverride Override;
  TFakeFileDialogs Dialogs;
  TMonotonicClock Clock;
  TLabDriver Driver{Clock};
  TEngine Engine{Driver, Clock, 7};
  TTimerFdFactory Timers;
  std::unique_ptr<QSettings> Store;
  std::vector<std::string> Parameters;
  // The host's own connections when not set.
  IConnectionSource* Connections = nullptr;
  std::unique_ptr<TSimulatorContext> Context;
  std::unique_ptr<TSimulatorForm> Form;
  TAdapterHandle A = 0, B = 0;
};

// A 60-byte UDP-like Ethernet frame between two lab hosts.
inline std::vector<uint8_t> LabFrame(uint8_t sequence = 0) {
  std::vector<uint8_t> frame(60, 0);
  const uint8_t header[14] = {0x02, 0, 0, 0, 0, 0x01, 0x02, 0, 0, 0, 0, 0x09, 0x08, 0x00};
  std::copy(std::begin(header), std::end(header), frame.begin());
  frame[14] = 0x45;
  frame[59] = sequence;
  return frame;
}
