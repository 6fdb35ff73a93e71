#include "app/ProgramOptions.h"

#include "app/InstanceDirectory.h"
#include "config/Presets.h"

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  TProgramOptions o;
  if (!arguments.empty() && arguments.front() == "ctl") {
    o.Control = true;
    size_t first = 1;
    if (arguments.size() > 2 && arguments[1] == "--instance") {
      o.Instance = arguments[2];
      first = 3;
    }
    o.ControlWords.assign(arguments.begin() + static_cast<std::ptrdiff_t>(first), arguments.end());
    if (o.ControlWords.empty()) o.Error = "ctl needs a command: get, set, load, start, stop or stats";
  }
  for (size_t i = 0; i < arguments.size() && !o.Control; ++i) {
    const std::string& a = arguments[i];
    if (a.rfind("--", 0) != 0) {
      o.Parameters.push_back(a);
    } else if (a == "--headless") {
      o.Headless = true;
    } else if (a == "--stats-json") {
      o.StatsJson = true;
    } else if (a == "--list-adapters") {
      o.ListAdapters = true;
    } else if (a == "--help") {
      o.Help = true;
    } else if (a == "--version") {
      o.Version = true;
    } else if (a == "--driver" && i + 1 < arguments.size()) {
      o.Driver = arguments[++i];
    } else if (a.rfind("--driver=", 0) == 0) {
      o.Driver = a.substr(9);
    } else if (a == "--preset" && i + 1 < arguments.size()) {
      o.Preset = arguments[++i];
    } else if (a == "--instance" && i + 1 < arguments.size()) {
      o.Instance = arguments[++i];
    } else {
      o.Error = "Unknown option: " + a;
    }
  }
  if (o.Error.empty() && !o.Preset.empty() && !FindPreset(o.Preset)) {
    o.Error = "Unknown preset \"" + o.Preset + "\"";
  }
  if (o.Error.empty() && !IsValidInstanceName(o.Instance)) {
    o.Error = "Instance names are at most 32 letters, digits, \"-\" and \"_\": \"" + o.Instance + "\"";
  }
  if (o.Error.empty() && o.Driver != "lab" && o.Driver != "linux") {
    o.Error = "Unknown driver \"" + o.Driver + "\" (use lab or linux)";
  }
  return o;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " [--driver lab|linux] [/runtime:N] [/quit] [profile.xml ...]\n"
         "       " + program + " --headless [--driver lab|linux] [--stats-json] [--preset NAME] [--instance NAME] [/runtime:N] [profile.xml ...]\n"
         "       " + program + " --list-adapters [--driver lab|linux]\n"
         "       " + program + " ctl [--instance NAME] get [SETTING...] | set SETTING=VALUE... | load PROFILE\n"
         "                          | start | stop | stats [--follow]\n"
         "\n"
         "Ovelda Tarnwick: a network conditions emulator.\n"
         "\n"
         "  --headless       run without a window: load the first profile that loads (else the last\n"
         "                   configuration), start the simulation and print the statistics once a second\n"
         "  --stats-json     with --headless: one JSON object of counters per line on standard output\n"
         "  --driver NAME    linux (default): the machine's adapters; lab: in-process adapters with traffic\n"
         "  --list-adapters  print each adapter's list position and text, tab-separated\n"
         "  --preset NAME    apply a built-in preset (\"3G, good signal\" ... \"WiFi, lossy conditions\")\n"
         "  --instance NAME  the instance name a headless run listens on for ctl (default: the\n"
         "                   default instance, when no other run holds it)\n"
         "  ctl              control a running instance: settings by name (e.g. loss/enabled=1),\n"
         "                   profiles, start, stop, statistics; exits 0 done, 1 refused, 3 no such instance\n"
         "  /runtime:N       stop after N seconds\n"
         "  /quit            close the running instance\n"
         "  --help, --version\n";
}
