#pragma once
// "ovelda-tarnwick ctl ...": sends one command to a running instance and
// prints what it answers. Exit status: 0 done, 1 refused (the reason on
// standard error), 3 no instance of that name runs.

#include <string>
#include <vector>

constexpr int kControlDone = 0;
constexpr int kControlRefused = 1;
constexpr int kControlNoInstance = 3;

int RunControlCommand(const std::string& instance, const std::vector<std::string>& words);
