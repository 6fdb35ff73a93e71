#include "ui/about/ProgressWindow.h"

#include <QApplication>
#include <QWindow>

#include "ui/about/WindowPlacement.h"

TProgressWindow::TProgressWindow(QWidget* owner) : FWaitForm(std::make_unique<TfmWaitForm>()) {
  DisableOtherWindows();
  FWaitForm->ensurePolished();
  CenterOnOwner(*FWaitForm, owner);
  if (owner && owner->isVisible()) {
    FWaitForm->winId();  // creates the native window, so it can stay above its owner
    if (owner->window()->windowHandle())
      FWaitForm->windowHandle()->setTransientParent(owner->window()->windowHandle());
    FWaitForm->show();
  }
}

TProgressWindow::~TProgressWindow() {
  FWaitForm.reset();
  for (const QPointer<QWidget>& window : FPointer)
    if (window) window->setEnabled(true);
}

void TProgressWindow::DisableOtherWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == FWaitForm.get() || !window->isVisible() || !window->isEnabled()) continue;
    window->setEnabled(false);
    FPointer.append(window);
  }
}

void TProgressWindow::SetText(const QString& text) {
  FWaitForm->SetText(text);
  QCoreApplication::processEvents();
}
