#pragma once
// Every command of the main window as one action, shared by its toolbar
// button, menu entry and context-menu entry: caption, hint, shortcut and
// image. Which of them are enabled is the window's update rule.

#include <QAction>
#include <QObject>

struct TSimulatorActions {
  QAction* ActionStartStop;
  QAction* ActionLoadProfile;
  QAction* ActionSaveProfile;
  QAction* ActionPresetParams;
  QAction* ActionOptions;
  QAction* ActionShowConnections;
  QAction* acEffectView;
  QAction* ActionBridging;
  QAction* ActionFilter;
  QAction* ActionGroups;
  QAction* ActionHelp;
  QAction* ActionWebSite;
  QAction* ActionCheckForUpdates;
  QAction* ActionAbout;
  // File, "&Quit": closes the window through the orderly shutdown.
  QAction* ActionQuit;
  // The graph's own, from its menu.
  QAction* ActionGraphGoBack;
  QAction* ActionGraphGoForward;
  QAction* ActionGraphSave;
  QAction* ActionTerminateConnection;
  QAction* ActionTerminateAll;
};

TSimulatorActions CreateSimulatorActions(QObject* owner);

// The start/stop action's two looks: "&Start" with the start image while
// stopped, "&Stop" with the stop image while a simulation runs. The icon
// text keeps the ampersand, so a tool button showing the action takes Alt
// and the underlined letter as its access key.
void ShowStartStopLook(QAction* action, bool running);
