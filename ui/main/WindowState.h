#pragma once
// The main window's placement and the state of its bars and splitter,
// kept in the preferences store between runs (group "Window"):
//   "Geometry"      Qt's own geometry state of the window (frame position,
//                   normal size, maximized, screen), so that a restart puts
//                   the frame exactly where it was;
//   "State"         the toolbar's state (QMainWindow::saveState);
//   "FlowSplitter"  the sizes of the graph, the effect chart and the
//                   connections list.
// A store written before these existed holds the placement as "Left",
// "Top", "Width" and "Height" in "Global"; they are read once, when no
// geometry state is stored, and removed when the state is saved.

#include <QMainWindow>
#include <QRect>
#include <QSettings>
#include <QSplitter>

// The window's placement as stored (or the designed size, centred, when
// nothing is), kept fully on a screen. The window is not shown yet.
void RestoreWindowPlacement(QSettings& store, QMainWindow& window, QSize designedSize);
// The toolbar's and the splitter's state, when stored.
void RestoreBarsAndSplitter(QSettings& store, QMainWindow& window, QSplitter& splitter);
void SaveWindowState(QSettings& store, const QMainWindow& window, const QSplitter& splitter);

// Moves a window, and shrinks it where it is larger, so that it lies fully
// on the available area of the screen it is most on (the nearest screen
// when it is on none). Once the window is shown this applies to its frame.
void KeepWindowOnScreen(QWidget& window);

// A rectangle moved, and shrunk where it is larger, to lie fully inside
// area.
QRect KeepInside(const QRect& rect, const QRect& area);
