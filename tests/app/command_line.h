// Test helper: starts the runtime with a made-up argument vector, as the
// platform runtime's start-up would build it for the saver.
#pragma once

#include <string>
#include <vector>

#include "runtime/runtime.h"

class CommandLine {
 public:
  // arguments: what follows the program name, one entry per argument.
  explicit CommandLine(std::vector<std::string> arguments) {
    strings_.push_back("pomarelo.scr");
    for (std::string& a : arguments) strings_.push_back(std::move(a));
    for (std::string& s : strings_) vector_.push_back(&s[0]);
    vector_.push_back(nullptr);
    RuntimeStart(static_cast<int32_t>(strings_.size()), vector_.data(), 0);
  }
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

 private:
  std::vector<std::string> strings_;
  std::vector<char*> vector_;
};
