#pragma once
// The system's message boxes and input boxes, behind one replaceable service
// so that windows never block a test: every window asks MessageBoxes() and a
// test puts its own IMessageBoxes in place with TMessageBoxesOverride.
#include <QString>

class QWidget;

// The caption of every message box.
extern const char* const kProductName;

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // Information icon, OK.
  virtual void ShowInfo(QWidget* parent, const QString& text) = 0;
  // Error icon, OK.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // Question icon, Yes and No; true for Yes.
  virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
  // An input box with its own caption and a prompt, starting with text.
  // True when the user confirmed; text then holds what was entered.
  virtual bool InputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& text) = 0;
};

// The service in force: the Qt boxes unless an override is alive.
IMessageBoxes& MessageBoxes();

// Puts another service in force for its lifetime (tests); overrides nest.
class TMessageBoxesOverride {
 public:
  explicit TMessageBoxesOverride(IMessageBoxes& replacement);
  ~TMessageBoxesOverride();
  TMessageBoxesOverride(const TMessageBoxesOverride&) = delete;
  TMessageBoxesOverride& operator=(const TMessageBoxesOverride&) = delete;

 private:
  IMessageBoxes* FPrevious;
};
