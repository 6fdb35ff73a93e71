#pragma once
// GraphPopupMenu, the traffic graph's context menu: Options, Step Backward,
// Step Forward and Save..., with the two step actions enabled by how far the
// graph looks back. The window passes its own Options action (shared with
// its toolbar and View menu) and the traffic samples the export writes. The
// step actions are also added to the graph, so their shortcuts work while
// the window is active.

#include <QAction>
#include <QMenu>

#include "ui/graph/TimedData.h"

class THistogram;

class TGraphPopupMenu : public QMenu {
  Q_OBJECT

 public:
  static constexpr int kStepSamples = 60;
  // Step Backward stops at 30 minutes in the past.
  static constexpr int kFarthestStepBack = 1800;

  TGraphPopupMenu(THistogram* graph, QAction* actionOptions, const TTrafficSamples* trafficSamples,
                  QWidget* parent = nullptr);

  QAction* ActionGraphGoBack() const { return FGoBack; }
  QAction* ActionGraphGoForward() const { return FGoForward; }
  QAction* ActionGraphSave() const { return FSave; }

  // The update rule of the two step actions.
  void UpdateActions();

 private:
  THistogram* FGraph;
  const TTrafficSamples* FTrafficSamples;
  QAction* FGoBack;
  QAction* FGoForward;
  QAction* FSave;
};
