// What the app does when the user saves media: the file is received into the
// app, one of WAAssetsLibraryManager's class methods is called through the
// runtime (where a tweak may have replaced it), and every outcome the user
// could see is printed and counted: the app's own completion, or a banner.
#pragma once

#include "hosts/messaging-app/ReceivedMedia.h"
#include "platform/springboard/PresentedBanner.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace messagingapp {

enum class SaveMethod { Enqueue, SaveImage, SaveMedia };

// "enqueue", "save-image", "save-media".
std::optional<SaveMethod> saveMethodNamed(std::string_view name);
const char* selectorName(SaveMethod method);

class SaveSession {
public:
    struct Options {
        // A progress line ("delivered 3 of 100") on the error stream as
        // outcomes arrive, and a tally of the outcomes at the end, instead of
        // a line per outcome.
        bool showProgress = false;
        std::FILE* out = stdout;
        std::FILE* err = stderr;
    };

    explicit SaveSession(Options options);
    ~SaveSession();
    SaveSession(const SaveSession&) = delete;
    SaveSession& operator=(const SaveSession&) = delete;

    // The number of saves a batch will start, so the progress line counts
    // toward the whole batch from its first outcome on.
    void expectSaves(std::size_t total);

    // Starts one save; false, with the reason printed, when the file cannot
    // be received (or, for save-image, is no picture) and nothing is saved.
    bool save(const std::filesystem::path& file, SaveMethod method);

    // Returns once every save started so far has finished: its outcome has
    // been delivered, or (no banner classes in the process, or a save that
    // ends silently) the photo library has nothing left in flight for it.
    // Must not be called on the delivery queue.
    void waitForDeliveries();

    std::size_t started();
    std::size_t delivered();
    // Outcomes that told the user the save failed: the app's own error, or a
    // banner other than the success banner.
    std::size_t failed();

private:
    // `kind` says what happened ("banner: Snapfold: ...", "camera roll: saved"),
    // `detail` which file it happened to; an outcome without detail has shown
    // itself and is not printed again.
    void outcomeArrived(const std::string& kind, const std::optional<std::string>& detail, bool failure);
    void printProgressLocked();

    Options options_;
    ReceivedMedia received_;
    springboard::BannerListenerToken bannerListener_ = 0;
    std::mutex mutex_;
    std::size_t started_ = 0;
    std::size_t delivered_ = 0;
    std::size_t silent_ = 0;
    std::size_t expected_ = 0;
    std::size_t failed_ = 0;
    std::map<std::string, std::size_t> tally_;
};

}  // namespace messagingapp
