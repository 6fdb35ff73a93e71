#pragma once
// TProgressWindow: shows the wait window over its owner for its lifetime and
// keeps the application's other windows disabled meanwhile, so nothing else
// can be started while the program waits.
#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/about/WaitForm.h"

class TProgressWindow {
 public:
  // Centred on owner when it is visible, else on the screen; shown only when
  // the owner is visible.
  explicit TProgressWindow(QWidget* owner);
  ~TProgressWindow();
  TProgressWindow(const TProgressWindow&) = delete;
  TProgressWindow& operator=(const TProgressWindow&) = delete;

  // Sets the text and lets pending window messages through so it is drawn.
  void SetText(const QString& text);
  const TfmWaitForm& WaitForm() const { return *FWaitForm; }

 private:
  void DisableOtherWindows();

  std::unique_ptr<TfmWaitForm> FWaitForm;
  QList<QPointer<QWidget>> FPointer;  // the windows disabled here, enabled again at the end
};
