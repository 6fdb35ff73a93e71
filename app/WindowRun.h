#pragma once
// The program with its main window: the first instance on a machine with a
// display, unless it was asked to run headless.

#include <QCoreApplication>
#include <memory>
#include <string>

#include "app/InstanceProtocol.h"
#include "app/ProgramOptions.h"
#include "engine/EngineClock.h"
#include "engine/PacketDriver.h"

// A display the window can open on (an offscreen platform is none).
bool HasDisplay();
bool RunsWithWindow(const TProgramOptions& options);

// QApplication for a run with the window, else QCoreApplication.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv, bool withWindow);

// The error box without an owner window (the driver could not be opened).
void ShowStartError(const std::string& message);

// The main window over the driver until it closes (also on SIGINT, SIGTERM
// or SIGHUP), answering second launches on server meanwhile; the exit status.
int RunWindowed(IPacketDriver& driver, const IEngineClock& clock, const TProgramOptions& options,
                TInstanceServer* server);
