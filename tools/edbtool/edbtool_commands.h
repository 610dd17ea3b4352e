#pragma once
// edbtool's commands. Run() takes the arguments after the program name and returns the
// exit code: 0 on success, 1 on failure (with the engine's code and text on `err`).

#include <ostream>
#include <string>
#include <vector>

namespace edbtool {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace edbtool
