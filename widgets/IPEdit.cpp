#include "widgets/IPEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionFrame>
#include <arpa/inet.h>

#include "common/Assertion.h"

namespace {

constexpr const char* kUnit = "IPEdit";
constexpr int kIPv6MaxLength = 39;  // eight groups of four digits and seven colons

bool IsIPv6Character(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') || c == u':';
}

// Keys that edit or move rather than type: Backspace, Delete, Enter, Ctrl+...
bool IsTypedText(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (!c.isPrint()) return false;
  return true;
}

// "a.b.c.d" with four decimal octets of at most three digits, 0 to 255.
bool ParseDottedAddress(const QString& text, uint32_t& hostOrderAddr) {
  const QStringList parts = text.split(u'.');
  if (parts.size() != 4) return false;
  uint32_t addr = 0;
  for (const QString& part : parts) {
    if (part.isEmpty() || part.size() > 3) return false;
    for (QChar c : part)
      if (c < u'0' || c > u'9') return false;
    uint32_t octet = part.toUInt();
    if (octet > 255) return false;
    addr = (addr << 8) | octet;
  }
  hostOrderAddr = addr;
  return true;
}

}  // namespace

// A line edit whose every way of pasting (shortcut, context menu, middle
// click) goes through PasteText, so that a paste meets the same rules as
// typing. Drops and input methods are off for the same reason.
class TFilteredLineEdit : public QLineEdit {
 public:
  explicit TFilteredLineEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
  }

 protected:
  virtual void PasteText(const QString& text) = 0;

  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Paste)) {
      if (!isReadOnly()) PasteText(QGuiApplication::clipboard()->text());
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
      if (action->objectName() != QLatin1String("edit-paste")) continue;
      action->disconnect();
      connect(action, &QAction::triggered, this, [this] { PasteText(QGuiApplication::clipboard()->text()); });
    }
    menu->exec(event->globalPos());
    delete menu;
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
      if (!isReadOnly()) PasteText(clipboard->text(QClipboard::Selection));
      return;
    }
    QLineEdit::mouseReleaseEvent(event);
  }
};

// TIPEdit

TIPEdit::TIPEdit(QWidget* parent) : QWidget(parent) {}

bool TIPEdit::CanFocus() const { return isEnabled() && isVisible() && window()->isVisible(); }

void TIPEdit::Refuse() {
  QApplication::beep();
  emit InputRefused();
}

// One octet of a TIPv4Edit: up to three digits, 0 to 255. Typing the third
// digit or a dot moves on to the next octet, like Tab does.
class TOctetEdit final : public TFilteredLineEdit {
 public:
  TOctetEdit(TIPv4Edit* owner, int index) : TFilteredLineEdit(owner), FOwner(owner), FIndex(index) {
    setObjectName(QStringLiteral("Octet%1").arg(index + 1));
    setFrame(false);
    setMaxLength(3);
    setAlignment(Qt::AlignCenter);
    setContextMenuPolicy(Qt::DefaultContextMenu);
  }

  // Blank counts as 0.
  uint32_t Value() const { return text().toUInt(); }

  QSize sizeHint() const override {
    QSize size = QLineEdit::sizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 6);
    return size;
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString typed = event->text();
    if (event->key() == Qt::Key_Backspace && cursorPosition() == 0 && !hasSelectedText() && FIndex > 0) {
      FOwner->FocusOctet(FIndex - 1, TIPv4Edit::caEnd);
      return;
    }
    if (event->key() == Qt::Key_Left && event->modifiers() == Qt::NoModifier && cursorPosition() == 0 &&
        FIndex > 0) {
      FOwner->FocusOctet(FIndex - 1, TIPv4Edit::caEnd);
      return;
    }
    if (event->key() == Qt::Key_Right && event->modifiers() == Qt::NoModifier &&
        cursorPosition() == text().size() && FIndex < 3) {
      FOwner->FocusOctet(FIndex + 1, TIPv4Edit::caStart);
      return;
    }
    if (event->matches(QKeySequence::Paste) || !IsTypedText(typed)) {
      TFilteredLineEdit::keyPressEvent(event);
      return;
    }
    for (QChar c : typed) TypeCharacter(c);
  }

  void PasteText(const QString& text) override {
    const QString trimmed = text.trimmed();
    if (FOwner->PasteAddress(trimmed)) return;
    bool digitsOnly = !trimmed.isEmpty() && trimmed.size() <= 3;
    for (QChar c : trimmed) digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    if (!digitsOnly) {
      FOwner->Refuse();
      return;
    }
    insert(trimmed);
    ClampToOctet();
  }

 private:
  void TypeCharacter(QChar c) {
    if (c == u'.') {
      // A dot ends the octet; in a blank one it would only skip a field.
      if (!text().isEmpty() && FIndex < 3) FOwner->FocusOctet(FIndex + 1, TIPv4Edit::caSelectAll);
      return;
    }
    if (c < u'0' || c > u'9') {
      FOwner->Refuse();
      return;
    }
    if (text().size() >= 3 && !hasSelectedText()) return;
    insert(QString(c));
    ClampToOctet();
    if (text().size() == 3 && cursorPosition() == 3 && FIndex < 3)
      FOwner->FocusOctet(FIndex + 1, TIPv4Edit::caSelectAll);
  }

  // An octet above 255 becomes 255, as the address cannot hold more.
  void ClampToOctet() {
    if (Value() <= 255) return;
    setText(QStringLiteral("255"));
    FOwner->Refuse();
  }

  TIPv4Edit* FOwner;
  int FIndex;
};

// TIPv4Edit

TIPv4Edit::TIPv4Edit(QWidget* parent) : TIPEdit(parent) {
  setAttribute(Qt::WA_Hover);
  auto* layout = new QHBoxLayout(this);
  QStyleOptionFrame option;
  option.initFrom(this);
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
  layout->setContentsMargins(frame + 1, frame, frame + 1, frame);
  layout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      auto* dot = new QLabel(QStringLiteral("."), this);
      dot->setAlignment(Qt::AlignCenter);
      layout->addWidget(dot);
    }
    FOctets[i] = new TOctetEdit(this, i);
    layout->addWidget(FOctets[i], 1);
    connect(FOctets[i], &QLineEdit::textChanged, this, &TIPEdit::OnChange);
  }
  // Focus given to the field goes to its first octet; Tab walks the octets,
  // then leaves the field.
  setFocusProxy(FOctets[0]);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

TIPAddr TIPv4Edit::EditAddr() const { return TIPAddr::Create(htonl(Addr())); }

void TIPv4Edit::SetEditAddr(const TIPAddr& address) {
  OT_ASSERT(address.Ver == atIPv4, kUnit, "IPv4 address expected");
  SetAddr(ntohl(address.V4Addr));
}

uint32_t TIPv4Edit::Addr() const {
  uint32_t addr = 0;
  for (const TOctetEdit* octet : FOctets) addr = (addr << 8) | octet->Value();
  return addr;
}

void TIPv4Edit::SetAddr(uint32_t hostOrderAddr) {
  {
    QSignalBlocker blockers[] = {QSignalBlocker(FOctets[0]), QSignalBlocker(FOctets[1]),
                                 QSignalBlocker(FOctets[2]), QSignalBlocker(FOctets[3])};
    for (int i = 0; i < 4; ++i) FOctets[i]->setText(QString::number((hostOrderAddr >> (24 - 8 * i)) & 0xFF));
  }
  emit OnChange();
}

void TIPv4Edit::Clear() {
  {
    QSignalBlocker blockers[] = {QSignalBlocker(FOctets[0]), QSignalBlocker(FOctets[1]),
                                 QSignalBlocker(FOctets[2]), QSignalBlocker(FOctets[3])};
    for (TOctetEdit* octet : FOctets) octet->clear();
  }
  emit OnChange();
}

bool TIPv4Edit::Focused() const {
  for (const TOctetEdit* octet : FOctets)
    if (octet->hasFocus()) return true;
  return false;
}

QLineEdit* TIPv4Edit::Octet(int index) const {
  OT_ASSERT(index >= 0 && index < 4, kUnit, "octet index out of bounds");
  return FOctets[index];
}

QSize TIPv4Edit::sizeHint() const {
  QSize size = layout()->sizeHint();
  QLineEdit probe;
  probe.setFont(font());
  size.setHeight(std::max(size.height(), probe.sizeHint().height()));
  size.setWidth(std::max(size.width(), 150));
  return size;
}

void TIPv4Edit::paintEvent(QPaintEvent*) {
  // The octets have no frame of their own: the field draws one line-edit
  // frame around all four so that it looks like any other text field.
  QPainter painter(this);
  QStyleOptionFrame option;
  option.initFrom(this);
  option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  if (Focused()) option.state |= QStyle::State_HasFocus;
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void TIPv4Edit::FocusOctet(int index, TCaret caret) {
  TOctetEdit* octet = FOctets[index];
  octet->setFocus(Qt::OtherFocusReason);
  switch (caret) {
    case caSelectAll: octet->selectAll(); break;
    case caStart: octet->setCursorPosition(0); break;
    case caEnd: octet->setCursorPosition(octet->text().size()); break;
  }
  update();
}

bool TIPv4Edit::PasteAddress(const QString& text) {
  uint32_t addr;
  if (!ParseDottedAddress(text, addr)) return false;
  SetAddr(addr);
  FocusOctet(3, caEnd);
  return true;
}

// The text part of a TIPv6Edit.
class TIPv6LineEdit final : public TFilteredLineEdit {
 public:
  explicit TIPv6LineEdit(TIPv6Edit* owner) : TFilteredLineEdit(owner), FOwner(owner) {
    setMaxLength(kIPv6MaxLength);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString typed = event->text();
    if (event->matches(QKeySequence::Paste) || !IsTypedText(typed)) {
      TFilteredLineEdit::keyPressEvent(event);
      return;
    }
    for (QChar c : typed) {
      if (!IsIPv6Character(c)) {
        FOwner->Refuse();
        return;
      }
    }
    insert(typed.toLower());
  }

  // A paste replaces the whole text, and only with a whole address that the
  // field could also have been typed into.
  void PasteText(const QString& text) override {
    const QString trimmed = text.trimmed();
    bool typeable = !trimmed.isEmpty() && trimmed.size() <= kIPv6MaxLength;
    for (QChar c : trimmed) typeable = typeable && IsIPv6Character(c);
    TIn6_addr parsed;
    if (!typeable || !StrToIPv6(trimmed.toStdString(), parsed)) {
      FOwner->Refuse();
      return;
    }
    selectAll();
    insert(trimmed.toLower());  // keeps the paste undoable
  }

 private:
  TIPv6Edit* FOwner;
};

// TIPv6Edit

TIPv6Edit::TIPv6Edit(QWidget* parent) : TIPEdit(parent), FEdit(new TIPv6LineEdit(this)) {
  FEdit->setObjectName(QStringLiteral("Text"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FEdit);
  setFocusProxy(FEdit);
  connect(FEdit, &QLineEdit::textChanged, this, &TIPEdit::OnChange);
  // Wide enough for the longest address, so that none has to scroll.
  FEdit->setMinimumWidth(
      FEdit->fontMetrics().horizontalAdvance(QStringLiteral("dddd:dddd:dddd:dddd:dddd:dddd:dddd:dddd")) + 16);
}

void TIPv6Edit::SetEditAddr(const TIPAddr& address) {
  OT_ASSERT(address.Ver == atIPv6, kUnit, "IPv6 address expected");
  SetAddr(address.V6Addr);
}

bool TIPv6Edit::IsEmpty() const {
  // A text the parser refuses would give whatever it had read so far, a
  // different address from the one the user meant: it is no usable address.
  TIn6_addr addr;
  if (!StrToIPv6(FEdit->text().toStdString(), addr)) return true;
  return addr == TIn6_addr();
}

TIn6_addr TIPv6Edit::Addr() const {
  TIn6_addr addr;
  StrToIPv6(FEdit->text().toStdString(), addr);
  return addr;
}

void TIPv6Edit::SetAddr(const TIn6_addr& address) { FEdit->setText(QString::fromStdString(IPv6ToStr(address))); }

void TIPv6Edit::Clear() { FEdit->clear(); }

QLineEdit* TIPv6Edit::LineEdit() const { return FEdit; }
