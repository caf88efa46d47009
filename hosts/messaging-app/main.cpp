// WhatsApp: the messaging app as far as saving media goes. At launch it
// defines WAAssetsLibraryManager, lets the injector load the tweaks whose
// filters match, then saves what the user asks, through the class methods
// that a tweak may have replaced.
#include "hosts/command-line/CommandLine.h"
#include "hosts/injector/Injector.h"
#include "hosts/messaging-app/AssetsLibraryManager.h"
#include "hosts/messaging-app/NotificationFence.h"
#include "hosts/messaging-app/ReceivedMedia.h"
#include "hosts/messaging-app/SaveSession.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/springboard/SBBulletinBannerController.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using messagingapp::SaveMethod;

struct Options {
    bool bannerClasses = true;
    bool progress = false;
    SaveMethod method = SaveMethod::SaveMedia;
    std::vector<std::string> files;
};

std::string trimmed(const std::string& text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int saveFiles(const Options& options) {
    const auto& files = options.files;
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
    // After the tally: a batch in which any save failed is a failed run.
    if (std::size_t failed = session.failed()) {
        std::fprintf(stderr, "WhatsApp: %zu of %zu saves failed\n", failed, files.size());
        status = 1;
    }
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
            std::fprintf(stderr,
                         "WhatsApp: bad command \"%s\" (save PATH, save-image PATH, enqueue PATH, wait, quit)\n",
                         line.c_str());
            status = 1;
        }
    }
    session.waitForDeliveries();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write (EFBIG, "no space"), never the program
    commandline::Program program("WhatsApp",
                                 "The messaging app as far as saving media goes: it lets the injector "
                                 "load the tweaks whose filters match, then saves what the user asks.");
    auto& app = program.app();
    Options options;
    app.add_flag("!--no-banner-classes", options.bannerClasses,
                 "leave the home screen's banner classes out of this process");
    app.add_flag("--progress", options.progress, "progress line and tally even for a single file");
    std::string method = "save-media";
    app.add_option("--method", method, "the class method `save` calls")
        ->type_name("METHOD")
        ->check(CLI::IsMember({"enqueue", "save-image", "save-media"}))
        ->capture_default_str();
    auto* save = program.command("save",
                                 "save each file, then wait until every save has delivered its outcome "
                                 "(more than one file: a progress line and a tally instead of a line each); "
                                 "exits 1 when any save failed");
    save->add_option("files", options.files, "the files to save")->required()->type_name("FILE");
    program.command("interactive",
                    "read commands from standard input, one per line: save PATH (+saveMediaAtPath:completion:), "
                    "save-image PATH (+saveImage:completion: with the decoded picture), enqueue PATH "
                    "(+enqueueSavingMediaToCameraRollAtPath:completion:), wait (until every save so far has "
                    "delivered), quit (wait, then exit; so does the end of the input)");
    app.require_subcommand(1);
    if (auto exit = program.parse(argc, argv)) return *exit;
    options.method = *messagingapp::saveMethodNamed(method);

    // Launch: the app's own classes first, the home screen's banner classes
    // where this process has them, then the tweaks, before any save.
    messagingapp::registerAssetsLibraryManager();
    if (std::size_t removed = messagingapp::ReceivedMedia::removeCopiesOfEndedProcesses())
        std::fprintf(stderr, "WhatsApp: removed %zu received file(s) left by apps that ended\n", removed);
    if (options.bannerClasses) springboard::registerBannerClasses();
    injector::printInjectionReport(injector::injectDynamicLibraries(), stderr);

    int status = *save ? saveFiles(options) : interactive();
    // Nothing may still be running on the delivery queue while the process
    // tears down.
    foundation::mainQueue().drain();
    return status;
}
