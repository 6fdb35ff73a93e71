#pragma once
// The file dialogs of the main window, behind one replaceable service so that
// tests choose file names without a dialog. Each answer is empty when the
// user cancelled.

#include <QString>

class QWidget;

class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // "Profiles (*.xml)", default extension ".xml", the file must exist.
  virtual QString ProfileToLoad(QWidget* parent) = 0;
  // "Profiles (*.xml)", default extension ".xml", asks before overwriting.
  virtual QString ProfileToSave(QWidget* parent) = 0;
  // "Libpcap (*.pcap)", default extension ".pcap", starting with no name.
  virtual QString CaptureFile(QWidget* parent) = 0;
  // A link trace to read: any file, which must exist.
  virtual QString TraceFile(QWidget* parent) = 0;
};

// The toolkit's dialogs.
IFileDialogs& QtFileDialogs();
