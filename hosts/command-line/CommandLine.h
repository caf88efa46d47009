// The command line shared by the host programs, over CLI11: --help prints the
// usage on standard output and exits 0, --version prints the version, a usage
// error names the bad argument on standard error and exits 2, and options may
// stand before or after the command. Nothing is made on disk before the
// arguments are known to be sound: the device root is named only once parsing
// succeeded.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace commandline {

// A program's parser, with --version and --device-root DIR (in any position,
// also after a command) already declared.
class Program {
public:
    Program(std::string name, std::string description);

    CLI::App& app() { return app_; }
    // A command of the program; its options may also stand before it.
    CLI::App* command(const std::string& name, const std::string& description);

    // Parses the arguments. Answers the exit status when the program should
    // stop at once (0 after --help or --version, 2 after a usage error);
    // otherwise names the device root, if one was given, and answers nothing.
    std::optional<int> parse(int argc, char** argv);

private:
    CLI::App app_;
    std::string deviceRoot_;
};

// Checks for numeric options, with messages that name the bad value.
CLI::Validator wholeNumberFrom(long minimum);
CLI::Validator positiveNumber();

// Prints "<program>: <message>" on standard error; answers 1, the exit
// status of a failure at run time.
int fail(const std::string& program, const std::string& message);

}  // namespace commandline
