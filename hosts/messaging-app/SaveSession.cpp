#include "hosts/messaging-app/SaveSession.h"

#include "hosts/messaging-app/AssetsLibraryManager.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/hostapp/WAAssetsLibraryManager.h"

#include <algorithm>
#include <cassert>
#include <unistd.h>

namespace messagingapp {

namespace {
// What the user reads on a banner that reports a save that worked; any other
// banner of a save tells them it did not.
constexpr const char* kSuccessBannerMessage = "Your image was successfully saved.";
}  // namespace

std::optional<SaveMethod> saveMethodNamed(std::string_view name) {
    if (name == "enqueue") return SaveMethod::Enqueue;
    if (name == "save-image") return SaveMethod::SaveImage;
    if (name == "save-media") return SaveMethod::SaveMedia;
    return std::nullopt;
}

const char* selectorName(SaveMethod method) {
    switch (method) {
    case SaveMethod::Enqueue: return hostapp::kEnqueueSavingMediaToCameraRollAtPath.name();
    case SaveMethod::SaveImage: return hostapp::kSaveImage.name();
    case SaveMethod::SaveMedia: return hostapp::kSaveMediaAtPath.name();
    }
    return "?";
}

SaveSession::SaveSession(Options options) : options_(options) {
    // A banner is the outcome of a diverted save: this app's saves are the
    // only ones that show banners in its process. The banner draws itself, so
    // it is only counted here (and tallied in a batch).
    bannerListener_ = springboard::addBannerListener([this](const springboard::PresentedBanner& banner) {
        outcomeArrived("banner: " + banner.title + ": " + banner.message, std::nullopt,
                       banner.message != kSuccessBannerMessage);
    });
}

SaveSession::~SaveSession() { springboard::removeBannerListener(bannerListener_); }

bool SaveSession::save(const std::filesystem::path& file, SaveMethod method) {
    auto devicePath = received_.receive(file);
    if (!devicePath) {
        std::fprintf(options_.err, "WhatsApp: %s\n", devicePath.error().message.c_str());
        return false;
    }
    objc::Class manager = objc::objc_getClass(hostapp::kAssetsLibraryManagerClassName);
    std::string label = file.filename().string();
    hostapp::WASaveCompletion completion = [this, label](foundation::NSURLRef assetURL, foundation::NSErrorRef error) {
        if (error) {
            outcomeArrived("camera roll: could not save", " " + label + ": " + error->description(), true);
        } else {
            outcomeArrived("camera roll: saved", " " + label + " as " + (assetURL ? assetURL->absoluteString() : "?"),
                           false);
        }
    };

    if (method == SaveMethod::SaveImage) {
        // The app hands over a picture it has decoded itself.
        uikit::UIImageRef image = uikit::UIImage::imageWithContentsOfFile(devicePath.value());
        if (!image) {
            std::fprintf(options_.err, "WhatsApp: %s is not a picture the app can show\n", file.c_str());
            return false;
        }
        {
            std::lock_guard lock(mutex_);
            ++started_;
        }
        objc::msgSend(manager, hostapp::kSaveImage, std::move(image), std::move(completion));
        return true;
    }
    {
        std::lock_guard lock(mutex_);
        ++started_;
    }
    const auto& selector = method == SaveMethod::Enqueue ? hostapp::kEnqueueSavingMediaToCameraRollAtPath
                                                         : hostapp::kSaveMediaAtPath;
    objc::msgSend(manager, selector, devicePath.value(), std::move(completion));
    return true;
}

void SaveSession::outcomeArrived(const std::string& kind, const std::optional<std::string>& detail, bool failure) {
    std::lock_guard lock(mutex_);
    ++delivered_;
    failed_ += failure;
    if (options_.showProgress) {
        ++tally_[kind];
        printProgressLocked();
    } else if (detail) {
        std::fprintf(options_.out, "%s%s\n", kind.c_str(), detail->c_str());
        std::fflush(options_.out);
    }
}

void SaveSession::expectSaves(std::size_t total) {
    std::lock_guard lock(mutex_);
    expected_ = total;
}

void SaveSession::printProgressLocked() {
    std::size_t done = delivered_ + silent_;
    std::size_t total = std::max(started_, expected_);
    // On a terminal the line is redrawn in place; into a file or a pipe a
    // line goes out at every tenth of the batch and at its end.
    if (::isatty(::fileno(options_.err))) {
        std::fprintf(options_.err, "\rWhatsApp: delivered %zu of %zu saves", done, total);
    } else if (done == total || (total >= 10 && done % (total / 10) == 0)) {
        std::fprintf(options_.err, "WhatsApp: delivered %zu of %zu saves\n", done, total);
    }
    std::fflush(options_.err);
}

void SaveSession::waitForDeliveries() {
    assert(!foundation::mainQueue().isCurrent() && "SaveSession::waitForDeliveries called on the delivery queue");
    // Enqueued saves first reach the photo library from the app's own queue.
    // The photo library's drain then returns once every operation started so
    // far has delivered, and with it every operation that those deliveries
    // started in turn: the album saver's whole chain, up to its outcome
    // callback and the banner that shows it.
    drainMediaSavingQueue();
    assets::ALAssetsLibrary::waitForPendingOperations();

    std::lock_guard lock(mutex_);
    if (started_ > delivered_ + silent_) {
        // No banner classes in the process, or a save that ended silently.
        std::size_t unseen = started_ - delivered_ - silent_;
        silent_ += unseen;
        if (options_.showProgress) printProgressLocked();
        std::fprintf(options_.err, "%sWhatsApp: %zu save%s finished with no outcome the app can see\n",
                     options_.showProgress && ::isatty(::fileno(options_.err)) ? "\n" : "", unseen,
                     unseen == 1 ? "" : "s");
    } else if (options_.showProgress && ::isatty(::fileno(options_.err))) {
        std::fprintf(options_.err, "\n");
    }
    if (options_.showProgress) {
        for (const auto& [outcome, count] : tally_) std::fprintf(options_.out, "%zu x %s\n", count, outcome.c_str());
        tally_.clear();
        std::fflush(options_.out);
    }
}

std::size_t SaveSession::started() {
    std::lock_guard lock(mutex_);
    return started_;
}

std::size_t SaveSession::failed() {
    std::lock_guard lock(mutex_);
    return failed_;
}

std::size_t SaveSession::delivered() {
    std::lock_guard lock(mutex_);
    return delivered_;
}

}  // namespace messagingapp
