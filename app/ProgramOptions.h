#pragma once
// The program's own options (words that begin with "--"), apart from the
// parameters of the emulator's command line: profile paths, "/runtime:N"
// and "/quit", which keep their order.

#include <string>
#include <vector>

struct TProgramOptions {
  bool Headless = false;
  bool StatsJson = false;
  bool ListAdapters = false;
  bool Help = false;
  bool Version = false;
  std::string Driver = "linux";
  std::string Preset;  // a built-in preset applied over the loaded settings
  std::string Instance;  // the instance name; empty for the default one
  // "ctl" as the first word: the words after it, for the control channel.
  bool Control = false;
  std::vector<std::string> ControlWords;
  std::vector<std::string> Parameters;
  std::string Error;  // not empty when the options cannot be used
};

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

// The text of --help.
std::string UsageText(const std::string& program);
