#include "ui/main/RunSimulatorWindow.h"

#include <QApplication>
#include <QTimer>

#include "ui/main/SimulatorForm.h"

int RunSimulatorWindow(TSimulatorContext& context, const std::function<void(TSimulatorForm&)>& attach) {
  QApplication::setApplicationDisplayName(QString());
  TSimulatorForm form(context);
  if (attach) attach(form);
  form.show();
  QTimer::singleShot(0, &form, [&form] { form.HandleCommandLine(); });
  QApplication::setQuitOnLastWindowClosed(true);
  return QApplication::exec();
}
