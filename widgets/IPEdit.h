#pragma once
// Input fields for one IP address. TIPv4Edit is a four-octet field; TIPv6Edit
// a text field that takes only what an IPv6 address can be written with. Both
// derive from TIPEdit, so a window can hold either kind and treat it alike.
#include <QWidget>
#include <array>
#include <cstdint>

#include "filter/IPUtil.h"

class QLineEdit;
class TOctetEdit;
class TIPv6LineEdit;

class TIPEdit : public QWidget {
  Q_OBJECT

 public:
  // The entered address.
  virtual TIPAddr EditAddr() const = 0;
  // Shows an address; it must be of the field's own version.
  virtual void SetEditAddr(const TIPAddr& address) = 0;
  // True when no usable address is entered.
  virtual bool IsEmpty() const = 0;
  // Empties the field.
  virtual void Clear() = 0;
  // True when the field can take the focus now: enabled and shown.
  bool CanFocus() const;

 signals:
  void OnChange();
  // Typed or pasted input was refused; the field has beeped.
  void InputRefused();

 protected:
  explicit TIPEdit(QWidget* parent);
  void Refuse();
};

// Four fields of one octet each. A blank octet counts as 0, so an untouched
// field is 0.0.0.0, which is what "empty" means for an IPv4 address.
class TIPv4Edit final : public TIPEdit {
  Q_OBJECT

 public:
  explicit TIPv4Edit(QWidget* parent = nullptr);

  TIPAddr EditAddr() const override;
  void SetEditAddr(const TIPAddr& address) override;
  bool IsEmpty() const override { return Addr() == 0; }

  // The address in host order, first octet in the most significant byte.
  uint32_t Addr() const;
  void SetAddr(uint32_t hostOrderAddr);
  // Empties all four octets.
  void Clear() override;
  // True while one of the octets has the focus.
  bool Focused() const;

  QLineEdit* Octet(int index) const;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class TOctetEdit;
  // Moves the focus to an octet: with its whole text selected, or with the
  // cursor at its start or end.
  enum TCaret { caSelectAll, caStart, caEnd };
  void FocusOctet(int index, TCaret caret);
  // Fills all four octets from a dotted address; false when the text is not one.
  bool PasteAddress(const QString& text);

  std::array<TOctetEdit*, 4> FOctets{};
};

// A single-line text limited to 39 characters (the longest uncompressed
// address), in lower case, taking only hexadecimal digits and colons.
class TIPv6Edit final : public TIPEdit {
  Q_OBJECT

 public:
  explicit TIPv6Edit(QWidget* parent = nullptr);

  TIPAddr EditAddr() const override { return TIPAddr::Create(Addr()); }
  void SetEditAddr(const TIPAddr& address) override;
  // An empty text, a text that is not an IPv6 address, or ::.
  bool IsEmpty() const override;

  // What the parser makes of the text, whether it accepted it or not.
  TIn6_addr Addr() const;
  void SetAddr(const TIn6_addr& address);
  void Clear() override;

  QLineEdit* LineEdit() const;

 private:
  friend class TIPv6LineEdit;
  TIPv6LineEdit* FEdit;
};
