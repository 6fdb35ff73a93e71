#pragma once
// The "Update Found" dialog: says that a newer version exists, names both
// versions, and offers the download page.
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

class TUpdateFoundDialog : public QDialog {
  Q_OBJECT

 public:
  // caption: the dialog's caption; message: the label's text; button: the
  // caption of the button that opens downloadUrl and closes the dialog.
  TUpdateFoundDialog(const QString& caption, const QString& message, const QString& button, const QUrl& downloadUrl,
                     QWidget* owner);

  QString Message() const;
  QPushButton* DownloadButton() const { return FDownloadButton; }

 private:
  void Download();

  QUrl FDownloadUrl;
  QLabel* FMessage = nullptr;
  QPushButton* FDownloadButton = nullptr;
};
