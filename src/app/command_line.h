#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

struct AppInfo;

// What the program was asked to do on its command line.
struct CommandLine {
    // Set when the command line has been answered and the program ends with this code: 0 after
    // --help or --version, 2 after a wrong usage (told on standard error).
    std::optional<int> exitCode;
    // --restore FILE: put FILE in the store's place, say what was done, and end.
    std::optional<QString> restoreFile;
    // --printer-setup: the printer window alone, without the store.
    bool printerSetup = false;
};

// Reads the program's arguments (the first names the program). --help and --version are answered
// on standard output here. No options: the till starts.
CommandLine readCommandLine(const QStringList& arguments, const AppInfo& info);
CommandLine readCommandLine(int argc, char* argv[], const AppInfo& info);

} // namespace app
