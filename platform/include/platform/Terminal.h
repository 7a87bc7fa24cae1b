// The terminal of a command-line program: its arguments and standard streams
// as UTF-8, the same bytes on every platform.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name, as UTF-8. On Windows they come from
// the UTF-16 command line, so every character arrives whatever the system
// code page; elsewhere argv is UTF-8 already.
std::vector<std::string> TerminalArguments(int argc, char** argv);

// Makes standard input, output and error carry bytes unchanged: UTF-8 both
// ways, and "\n" stays one byte (Windows adds no CR). A Windows console is set
// to show and read UTF-8 until the program ends.
void OpenTerminal();
