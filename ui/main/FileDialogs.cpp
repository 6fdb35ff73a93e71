#include "ui/main/FileDialogs.h"

#include <QFileDialog>

namespace {

QString AskFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter, const QString& suffix) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

class TQtFileDialogs final : public IFileDialogs {
 public:
  QString ProfileToLoad(QWidget* parent) override {
    return AskFile(parent, QFileDialog::AcceptOpen, QObject::tr("Profiles (*.xml)"), QStringLiteral("xml"));
  }
  QString ProfileToSave(QWidget* parent) override {
    return AskFile(parent, QFileDialog::AcceptSave, QObject::tr("Profiles (*.xml)"), QStringLiteral("xml"));
  }
  QString CaptureFile(QWidget* parent) override {
    return AskFile(parent, QFileDialog::AcceptSave, QObject::tr("Libpcap (*.pcap)"), QStringLiteral("pcap"));
  }
  QString TraceFile(QWidget* parent) override {
    return AskFile(parent, QFileDialog::AcceptOpen, QObject::tr("Link traces (*)"), QString());
  }
};

}  // namespace

IFileDialogs& QtFileDialogs() {
  static TQtFileDialogs dialogs;
  return dialogs;
}
