#include "hosts/command-line/CommandLine.h"

#include "platform/foundation/DeviceRoot.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace commandline {

namespace {
constexpr int kUsageError = 2;
}

Program::Program(std::string name, std::string description) : app_(std::move(description), std::move(name)) {
    app_.set_version_flag("--version", app_.get_name() + " (Snapfold) " SNAPFOLD_VERSION);
    app_.add_option("--device-root", deviceRoot_,
                    "the device root (default: $SNAPFOLD_DEVICE_ROOT, else the embedded one)")
        ->type_name("DIR")
        ->check([](const std::string& value) { return value.empty() ? "the device root is empty" : ""; });
    // Options of the program are taken after a command too.
    app_.fallthrough();
    app_.require_subcommand(0, 1);
}

CLI::App* Program::command(const std::string& name, const std::string& description) {
    return app_.add_subcommand(name, description);
}

std::optional<int> Program::parse(int argc, char** argv) {
    try {
        app_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app_.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app_.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        std::cout << app_.version() << "\n";
        return 0;
    } catch (const CLI::ParseError& error) {
        // A word that is no command is reported as such, rather than as the
        // missing command it left behind.
        auto unexpected = app_.remaining();
        std::string message = unexpected.empty() ? error.what() : "unexpected argument '" + unexpected.front() + "'";
        std::cerr << app_.get_name() << ": " << message << " (see --help)\n";
        return kUsageError;
    }
    if (!deviceRoot_.empty()) {
        if (auto named = foundation::setDeviceRoot(deviceRoot_); !named) {
            std::cerr << app_.get_name() << ": --device-root: " << named.error().message << "\n";
            // A root that is no usable path is a usage error; one that names a
            // place the layout cannot be made in fails at run time.
            return named.error().code == foundation::ErrorCode::InvalidArgument ? kUsageError : 1;
        }
    }
    return std::nullopt;
}

CLI::Validator wholeNumberFrom(long minimum) {
    return CLI::Validator(
        [minimum](std::string& text) -> std::string {
            long value = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size() || value < minimum)
                return "'" + text + "' is not a whole number from " + std::to_string(minimum);
            return "";
        },
        "N");
}

CLI::Validator positiveNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(value > 0) || !std::isfinite(value))
                return "'" + text + "' is not a positive number";
            return "";
        },
        "NUMBER");
}

int fail(const std::string& program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
    return 1;
}

}  // namespace commandline
