#pragma once
// How a window shows another one modally. The default runs the dialog's own
// event loop; tests put in a runner that fills the dialog's fields and
// presses its buttons, so that no test ever waits for a person.

#include <QDialog>
#include <functional>

using TDialogRunner = std::function<int(QDialog&)>;

// QDialog::exec.
int RunDialogModally(QDialog& dialog);
