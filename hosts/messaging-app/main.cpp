// WhatsApp: the messaging app as far as saving media goes. At launch it
// defines WAAssetsLibraryManager, lets the injector load the tweaks whose
// filters match, then saves what the user asks, through the class methods
// that a tweak may have replaced.
#include "hosts/injector/Injector.h"
#include "hosts/messaging-app/AssetsLibraryManager.h"
#include "hosts/messaging-app/NotificationFence.h"
#include "hosts/messaging-app/SaveSession.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/springboard/SBBulletinBannerController.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using messagingapp::SaveMethod;

int usage() {
    std::fprintf(stderr,
                 "usage: WhatsApp [--device-root DIR] [--no-banner-classes] [--method METHOD] [--progress] COMMAND\n"
                 "  save FILE...      save each file, then wait until every save has delivered its outcome\n"
                 "                    (more than one file: a progress line and a tally instead of a line each)\n"
                 "  interactive       read commands from standard input, one per line:\n"
                 "                      save PATH         +saveMediaAtPath:completion:\n"
                 "                      save-image PATH   +saveImage:completion: with the decoded picture\n"
                 "                      enqueue PATH      +enqueueSavingMediaToCameraRollAtPath:completion:\n"
                 "                      wait              wait until every save so far has delivered\n"
                 "                      quit              wait, then exit (so does the end of the input)\n"
                 "options:\n"
                 "  --device-root DIR     the device root (default: $SNAPFOLD_DEVICE_ROOT, else the embedded one)\n"
                 "  --no-banner-classes   leave the home screen's banner classes out of this process\n"
                 "  --method METHOD       enqueue, save-image or save-media (default) for `save`\n"
                 "  --progress            progress line and tally even for a single file\n");
    return 2;
}

struct Options {
    bool bannerClasses = true;
    bool progress = false;
    SaveMethod method = SaveMethod::SaveMedia;
    std::vector<std::string> command;
};

std::string trimmed(const std::string& text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int saveFiles(const Options& options) {
    std::vector<std::string> files(options.command.begin() + 1, options.command.end());
    if (files.empty()) return usage();
    // Every file is checked before the first save, so a typo saves nothing.
    for (const auto& file : files) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            std::fprintf(stderr, "WhatsApp: no such file: %s (nothing was saved)\n", file.c_str());
            return 1;
        }
    }
    bool batch = options.progress || files.size() > 1;
    // In a batch the tally stands in for a hundred banner boxes.
    if (batch) springboard::setBannerTerminal(nullptr);
    messagingapp::SaveSession session({.showProgress = batch});
    session.expectSaves(files.size());
    int status = 0;
    for (const auto& file : files) {
        if (!session.save(file, options.method)) status = 1;
    }
    session.waitForDeliveries();
    return status;
}

int interactive() {
    messagingapp::SaveSession session({});
    messagingapp::NotificationFence fence;
    std::printf("WhatsApp: ready\n");
    std::fflush(stdout);
    int status = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        // Whatever was posted before this command (a settings change, say)
        // reaches its observers first.
        fence.pass();
        auto space = line.find(' ');
        std::string verb = line.substr(0, space);
        std::string argument = space == std::string::npos ? std::string() : trimmed(line.substr(space + 1));

        std::optional<SaveMethod> method = verb == "save" ? std::optional(SaveMethod::SaveMedia)
                                                          : messagingapp::saveMethodNamed(verb);
        if (method && !argument.empty()) {
            if (!session.save(argument, *method)) status = 1;
        } else if (verb == "wait" && argument.empty()) {
            session.waitForDeliveries();
            std::printf("WhatsApp: delivered %zu of %zu saves\n", session.delivered(), session.started());
            std::fflush(stdout);
        } else if (verb == "quit" && argument.empty()) {
            break;
        } else {
            std::fprintf(stderr, "WhatsApp: bad command \"%s\" (save PATH, save-image PATH, enqueue PATH, wait, quit)\n",
                         line.c_str());
            status = 1;
        }
    }
    session.waitForDeliveries();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--device-root" && i + 1 < args.size()) {
            if (auto named = foundation::setDeviceRoot(args[++i]); !named) {
                std::fprintf(stderr, "WhatsApp: %s\n", named.error().message.c_str());
                return 2;
            }
        } else if (args[i] == "--no-banner-classes") {
            options.bannerClasses = false;
        } else if (args[i] == "--progress") {
            options.progress = true;
        } else if (args[i] == "--method" && i + 1 < args.size()) {
            auto method = messagingapp::saveMethodNamed(args[++i]);
            if (!method) {
                std::fprintf(stderr, "WhatsApp: unknown method \"%s\"\n", args[i].c_str());
                return usage();
            }
            options.method = *method;
        } else if (args[i].starts_with("--") || args[i] == "-h") {
            return usage();
        } else {
            break;
        }
    }
    options.command.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (options.command.empty()) return usage();
    const std::string& verb = options.command.front();
    if (verb != "save" && !(verb == "interactive" && options.command.size() == 1)) return usage();

    // Launch: the app's own classes first, the home screen's banner classes
    // where this process has them, then the tweaks, before any save.
    messagingapp::registerAssetsLibraryManager();
    if (options.bannerClasses) springboard::registerBannerClasses();
    injector::printInjectionReport(injector::injectDynamicLibraries(), stderr);

    int status = verb == "save" ? saveFiles(options) : interactive();
    // Nothing may still be running on the delivery queue while the process
    // tears down.
    foundation::mainQueue().drain();
    return status;
}
