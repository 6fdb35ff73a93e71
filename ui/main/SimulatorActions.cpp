#include "ui/main/SimulatorActions.h"

#include "ui/main/Icons.h"

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint = {},
                    int image = -1) {
  auto* action = new QAction(caption, owner);
  action->setObjectName(QString::fromLatin1(name));
  if (!hint.isEmpty()) {
    action->setToolTip(hint);
    action->setStatusTip(hint);
  }
  if (image >= 0) action->setIcon(ProgramIcon(image));
  return action;
}

QAction* MakeCheckable(QObject* owner, const char* name, const QString& caption, const QString& hint = {}) {
  QAction* action = MakeAction(owner, name, caption, hint);
  action->setCheckable(true);
  return action;
}

}  // namespace

TSimulatorActions CreateSimulatorActions(QObject* owner) {
  TSimulatorActions a{};
  a.ActionStartStop = MakeAction(owner, "ActionStartStop", QObject::tr("&Start"), QObject::tr("Start Operation"), iiStart);
  a.ActionStartStop->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::Key_F5)});
  a.ActionLoadProfile = MakeAction(owner, "ActionLoadProfile", QObject::tr("&Load Profile"),
                                   QObject::tr("Load Profile from File"), iiLoadProfile);
  a.ActionLoadProfile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  a.ActionSaveProfile = MakeAction(owner, "ActionSaveProfile", QObject::tr("&Save Profile"),
                                   QObject::tr("Save Profile to File"), iiSaveProfile);
  a.ActionSaveProfile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  a.ActionPresetParams = MakeAction(owner, "ActionPresetParams", QObject::tr("Preset Parameters..."),
                                    QObject::tr("Choose a preset combination of parameters"));
  a.ActionOptions = MakeAction(owner, "ActionOptions", QObject::tr("&Options"), {}, iiOptions);
  a.ActionShowConnections = MakeCheckable(owner, "ActionShowConnections", QObject::tr("Display &Connections"));
  a.acEffectView =
      MakeCheckable(owner, "acEffectView", QObject::tr("Display Effect Chart"), QObject::tr("Show effect chart"));
  a.ActionBridging = MakeAction(owner, "ActionBridging", QObject::tr("&Bridging..."));
  a.ActionFilter = MakeAction(owner, "ActionFilter", QObject::tr("Setup &Filter"), QObject::tr("Apply Filter"), iiFilter);
  a.ActionGroups = MakeAction(owner, "ActionGroups", QObject::tr("&Groups..."));
  a.ActionHelp = MakeAction(owner, "ActionHelp", QObject::tr("&Contents"), QObject::tr("Display help"));
  a.ActionHelp->setShortcut(QKeySequence(Qt::Key_F1));
  a.ActionWebSite = MakeAction(owner, "ActionWebSite", QObject::tr("&Web-site"), QObject::tr("Visit web-site"));
  a.ActionCheckForUpdates = MakeAction(owner, "ActionCheckForUpdates", QObject::tr("&Check for Updates"));
  a.ActionAbout = MakeAction(owner, "ActionAbout", QObject::tr("&About"), QObject::tr("Display about"));
  a.ActionQuit = MakeAction(owner, "ActionQuit", QObject::tr("&Quit"), QObject::tr("Quit the program"));
  a.ActionQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  a.ActionTerminateConnection = MakeAction(owner, "ActionTerminateConnection", QObject::tr("Terminate &Selected"));
  a.ActionTerminateAll = MakeAction(owner, "ActionTerminateAll", QObject::tr("Terminate &All"));
  return a;
}

void ShowStartStopLook(QAction* action, bool running) {
  const QString caption = running ? QObject::tr("&Stop") : QObject::tr("&Start");
  action->setText(caption);
  action->setIconText(caption);
  const QString hint = running ? QObject::tr("Stop Operation") : QObject::tr("Start Operation");
  action->setToolTip(hint);
  action->setStatusTip(hint);
  action->setIcon(ProgramIcon(running ? iiStop : iiStart));
  action->setData(running ? iiStop : iiStart);
}
