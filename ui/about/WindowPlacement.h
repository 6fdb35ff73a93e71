#pragma once
// Where the Help menu's small windows appear.
class QWidget;

// Centres window on owner when the owner is visible, else on the screen.
void CenterOnOwner(QWidget& window, const QWidget* owner);
