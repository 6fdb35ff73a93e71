#include "ui/graph/GraphPopupMenu.h"

#include "ui/graph/GraphSaveDialog.h"
#include "ui/graph/Histogram.h"

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint) {
  auto* action = new QAction(caption, owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  action->setToolTip(hint);
  return action;
}

}  // namespace

TGraphPopupMenu::TGraphPopupMenu(THistogram* graph, QAction* actionOptions, const TTrafficSamples* trafficSamples,
                                 QWidget* parent)
    : QMenu(parent), FGraph(graph), FTrafficSamples(trafficSamples) {
  setObjectName(QStringLiteral("GraphPopupMenu"));
  FGoBack = MakeAction(this, "ActionGraphGoBack", QStringLiteral("Step &Backward"), QStringLiteral("Go 1 min backward"));
  FGoBack->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  FGoForward = MakeAction(this, "ActionGraphGoForward", QStringLiteral("Step &Forward"), QStringLiteral("Go 1 min forward"));
  FGoForward->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  FSave = MakeAction(this, "ActionGraphSave", QStringLiteral("&Save..."), QStringLiteral("Save the graph"));

  if (actionOptions) addAction(actionOptions);
  addSeparator();
  addAction(FGoBack);
  addAction(FGoForward);
  addSeparator();
  addAction(FSave);

  for (QAction* action : {FGoBack, FGoForward}) {
    action->setShortcutContext(Qt::WindowShortcut);
    graph->addAction(action);
  }
  connect(FGoBack, &QAction::triggered, graph, [graph] { graph->StepBack(kStepSamples); });
  connect(FGoForward, &QAction::triggered, graph, [graph] { graph->StepForward(kStepSamples); });
  connect(FSave, &QAction::triggered, this, [this] {
    static const TTrafficSamples kNone;
    RunGraphSaveDialog(FGraph->window(), *FGraph, FTrafficSamples ? *FTrafficSamples : kNone);
  });
  connect(graph, &THistogram::HistoryOffsetChanged, this, &TGraphPopupMenu::UpdateActions);
  connect(this, &QMenu::aboutToShow, this, &TGraphPopupMenu::UpdateActions);
  graph->SetPopupMenu(this);
  UpdateActions();
}

void TGraphPopupMenu::UpdateActions() {
  FGoBack->setEnabled(FGraph->HistoryOffset() < kFarthestStepBack);
  FGoForward->setEnabled(FGraph->HistoryOffset() > 0);
}
