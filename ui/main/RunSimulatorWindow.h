#pragma once
// The windowed program: the main window over the engine, until it closes.

#include <functional>

#include "ui/main/SimulatorContext.h"

class TSimulatorForm;

// Shows the main window, runs the command line and the event loop, and
// returns the loop's exit code once the window has closed. attach, when
// given, sees the window before it is shown (the instance server uses it).
int RunSimulatorWindow(TSimulatorContext& context, const std::function<void(TSimulatorForm&)>& attach = {});
