#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kb {
class Configurator;
}

// Wrong arguments of the save command; the companion shows the text with its usage.
struct SaveUsageError {
    std::string text;
};

// Turns a NAME=INDEX argument into the change of a control it stands for, throwing the
// companion's own usage error when it is not one.
using ControlAssignment = std::function<std::function<void(kb::Configurator&)>(const std::string&)>;

// "save FILE [--code CODE] [NAME=INDEX...] [FIELD=TEXT...]": completes interrupted saves, then
// saves as the window's Save does from a fresh start: the code entered as in the ID-code dialog
// (exit 4 when it does not stand for the configuration it gives), the controls changed,
// the customer dialog's fields stored, the check run (exit 4 with its status when it fails), the
// order list built for the code, the nine keys written. Returns the exit code.
int RunSaveCommand(kb::Configurator& configurator, const std::vector<std::string>& args,
                   const ControlAssignment& assignment, std::ostream& out, std::ostream& err);
