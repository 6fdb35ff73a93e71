#include "widgets/MessageBoxes.h"

#include <QInputDialog>
#include <QMessageBox>

const char* const kProductName = "Ovelda Tarnwick";

namespace {

class TQtMessageBoxes final : public IMessageBoxes {
 public:
  void ShowInfo(QWidget* parent, const QString& text) override {
    QMessageBox::information(parent, kProductName, text, QMessageBox::Ok);
  }
  void ShowError(QWidget* parent, const QString& text) override {
    QMessageBox::critical(parent, kProductName, text, QMessageBox::Ok);
  }
  bool AskYesNo(QWidget* parent, const QString& text) override {
    return QMessageBox::question(parent, kProductName, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  }
  bool InputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& text) override {
    bool confirmed = false;
    QString entered = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, text, &confirmed);
    if (confirmed) text = entered;
    return confirmed;
  }
};

TQtMessageBoxes gQtMessageBoxes;
IMessageBoxes* gCurrent = &gQtMessageBoxes;

}  // namespace

IMessageBoxes& MessageBoxes() { return *gCurrent; }

TMessageBoxesOverride::TMessageBoxesOverride(IMessageBoxes& replacement) : FPrevious(gCurrent) {
  gCurrent = &replacement;
}

TMessageBoxesOverride::~TMessageBoxesOverride() { gCurrent = FPrevious; }
