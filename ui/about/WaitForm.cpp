#include "ui/about/WaitForm.h"

#include <QHBoxLayout>
#include <QLabel>

#include "ui/about/ProductLogo.h"
#include "widgets/ScreenScale.h"

TfmWaitForm::TfmWaitForm(QWidget* parent) : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("fmWaitForm"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setFixedSize(ScaleToScreen(200), ScaleToScreen(60));

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("IconImage"));
  const int iconSide = ScaleToScreen(32);
  icon->setPixmap(ProgramIcon().pixmap(iconSide, iconSide));
  icon->setAlignment(Qt::AlignCenter);

  FInfo = new QLabel(this);
  FInfo->setObjectName(QStringLiteral("FInfo"));
  FInfo->setAlignment(Qt::AlignCenter);
  FInfo->setWordWrap(true);

  auto* layout = new QHBoxLayout(this);
  const int border = ScaleToScreen(10);
  layout->setContentsMargins(border, border, border, border);
  layout->addWidget(icon);
  layout->addWidget(FInfo, 1);
}

void TfmWaitForm::SetText(const QString& text) { FInfo->setText(text); }

QString TfmWaitForm::Text() const { return FInfo->text(); }
