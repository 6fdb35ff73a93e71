#pragma once
// The program's command line: the quit switch, the run-time switch and
// profile paths, the word splitting of a command line forwarded by a second
// instance, and the code that instance sends. Switches begin with "/" or "-".

#include <cstdint>
#include <string>
#include <vector>

// The codes of the message a second instance sends to the first.
constexpr uint32_t kInstanceCommandLine = 4000;  // act on the words of the command line
constexpr uint32_t kInstanceActivate = 4001;     // come to the front
constexpr uint32_t kInstanceQuit = 4002;         // close
constexpr uint32_t kInstanceControl = 4100;      // a request of the control channel ("ctl")

// "/quit" or "-quit", the whole word, in any letter case.
bool IsQuitSwitch(const std::string& word);

// "/runtime:N" or "-runtime:N", the prefix in any letter case. True for a
// run-time switch; seconds is N, or 0 (no limit) when N is not a decimal
// number of seconds that fits.
bool IsRuntimeSwitch(const std::string& word, int32_t& seconds);
bool IsRuntimeSwitch(const std::string& word);

// The run-time limit of a command line: the last run-time switch wherever it
// stands, also behind the profile that starts the simulation. False when
// there is none (the limit is then left as it is).
bool RunTimeLimitOf(const std::vector<std::string>& parameters, int32_t& seconds);

// The parameters with every profile path made absolute against directory;
// switches and absolute paths stay as they are, and nothing is resolved
// (".." behind a link keeps the meaning the file system gives it). A second
// launch sends these to the first instance, which has a working directory
// of its own.
std::vector<std::string> WithAbsoluteProfilePaths(const std::vector<std::string>& parameters,
                                                  const std::string& directory);

// Splits a command line: a double quote toggles quoting and is dropped, a
// blank outside quotes ends a word, empty words are dropped.
std::vector<std::string> SplitCommandLine(const std::string& text);

// The command line text that SplitCommandLine splits back into these words
// (a word with a blank is quoted; empty words are dropped there anyway).
std::string JoinCommandLine(const std::vector<std::string>& words);

// The code a second instance sends, given its parameters (without the
// program path): 4001 when there are none, 4002 when one is the quit switch,
// else 4000.
uint32_t InstanceCodeFor(const std::vector<std::string>& parameters);
