#pragma once

// tarvel [--home DIR] COMMAND ...: the program's work without its windows. main() hands over
// here when the arguments name a command (or ask for --help or --version); the windows never start.
namespace CommandLine {

// Whether the arguments ask for the command line rather than the windows: after an optional
// --home DIR, a word that is not an option, or --help, -h, --version.
bool isCommand(int argc, char* argv[]);

// Runs the command: exit code 0 on success, 1 when the work failed, 2 on wrong usage.
int run(int argc, char* argv[]);

} // namespace CommandLine
