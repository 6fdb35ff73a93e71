#pragma once
// The product's logo, drawn at any size, and the icon the small windows of
// the Help menu show.
#include <QIcon>
#include <QPixmap>

// A square picture of side pixels: a wave on a dark tile whose second half
// breaks into the steps and gaps of a degraded link.
QPixmap ProductLogo(int side);

// The application's window icon, or the logo when it has none.
QIcon ProgramIcon();
