#pragma once
// TAboutForm: the program's name, its version as built, links to the
// project's web site and support page, and the legal notice.
#include <QDialog>

class QLabel;
class QPushButton;
class TLinkLabel;

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* owner = nullptr);

 private:
  QWidget* CreateTexts();
  QWidget* CreateLinks();

  QLabel* FProductNameLabel = nullptr;
  QLabel* FVerInfoLabel = nullptr;
  TLinkLabel* FWebSiteLabel = nullptr;
  TLinkLabel* FContactLabel = nullptr;
  QLabel* FLawInfoLabel = nullptr;
  QLabel* FLogoImage = nullptr;
  QPushButton* FOkButton = nullptr;
};

// The two lines of the version label: "Version 1.2.0 64-bit" and what the
// program was built with.
QString AboutVersionText();
