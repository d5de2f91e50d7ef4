#pragma once

#include <string>
#include <vector>

namespace veyra {

// The program's arguments after its name, as UTF-8 (Windows hands main() its arguments in the
// ANSI code page, which cannot hold every name; there they are read from the wide command line).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Whether standard output is a terminal (a console on Windows), where progress may be redrawn in
// place. On a Windows console, UTF-8 output is switched on as well.
bool StandardOutputIsTerminal();

}  // namespace veyra
