#include "config/windows/DialogRunner.h"

int RunDialogModally(QDialog& dialog) { return dialog.exec(); }
