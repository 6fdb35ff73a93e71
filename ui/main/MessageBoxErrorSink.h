#pragma once
// Errors of the engine and of applying settings, shown in the error box over
// the main window.

#include <QPointer>
#include <QWidget>

#include "engine/ErrorChannel.h"
#include "widgets/MessageBoxes.h"

class TMessageBoxErrorSink : public IErrorSink {
 public:
  explicit TMessageBoxErrorSink(QWidget* owner) : FOwner(owner) {}
  void ShowError(const std::string& message) override {
    MessageBoxes().ShowError(FOwner.data(), QString::fromStdString(message));
  }

 private:
  QPointer<QWidget> FOwner;
};
