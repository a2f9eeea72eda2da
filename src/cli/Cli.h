#pragma once

#include <ostream>
#include <string>
#include <vector>

// The command-line companion: runs one command (arguments without the program name)
// and returns the process exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
