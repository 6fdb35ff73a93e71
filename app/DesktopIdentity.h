#pragma once
// How the desktop knows the program: the name of its desktop entry, which is
// also its Wayland app id and the name of its icon, and the icon itself.
// The desktop entry, the icon file and the AppStream file installed with
// the program carry the same name, so that a compositor can match a window
// to its menu entry and icon.

#include <QIcon>

inline constexpr const char* kDesktopFileName = "org.ovelda.Tarnwick";

// The program's icon, drawn from the vector image built into the program.
QIcon ApplicationIcon();

// Gives the running application its desktop file name and window icon.
void SetDesktopIdentity();
