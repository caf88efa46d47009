#include "platform/springboard/PresentedBanner.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/springboard/BannerBox.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace springboard {

namespace {

struct BannerBoard {
    std::mutex mutex;
    // Held while listeners run, so that a listener removed by another thread
    // is never called once the removal has returned. Recursive: a listener may
    // remove listeners itself.
    std::recursive_mutex delivering;
    // The most recent banners only: a long-running app shows one per save,
    // and the board must not grow with them.
    std::deque<PresentedBanner> presented;
    std::vector<std::pair<BannerListenerToken, BannerListener>> listeners;
    BannerListenerToken nextToken = 1;
    std::FILE* terminal = stdout;
};

BannerBoard& board() {
    static auto* instance = new BannerBoard;  // Lives as long as the process.
    return *instance;
}

std::optional<std::filesystem::path> findInPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    std::string_view rest = path;
    while (!rest.empty()) {
        auto colon = rest.find(':');
        std::filesystem::path candidate = std::filesystem::path(rest.substr(0, colon)) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

// A desktop notification needs a graphical session and the notification
// client; without either, the terminal box is the whole presentation.
std::optional<std::filesystem::path> desktopNotifier() {
    auto nonEmpty = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!nonEmpty("DISPLAY") && !nonEmpty("WAYLAND_DISPLAY")) return std::nullopt;
    return findInPath("notify-send");
}

// Sending runs on a queue of its own and waits for the client, so a slow
// notification daemon never holds up the thread that presented the banner.
void sendDesktopNotification(const std::filesystem::path& notifier, const PresentedBanner& banner) {
    static auto* queue = new foundation::DispatchQueue("banner-desktop");  // Lives as long as the process.
    queue->async([notifier, appName = banner.sectionID, title = banner.title, message = banner.message]() mutable {
        std::vector<std::string> arguments{notifier.string(), "--app-name", appName, title, message};
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) ::waitpid(pid, nullptr, 0);
        posix_spawn_file_actions_destroy(&actions);
    });
}

}  // namespace

BannerListenerToken addBannerListener(BannerListener listener) {
    auto& b = board();
    std::lock_guard lock(b.mutex);
    BannerListenerToken token = b.nextToken++;
    b.listeners.emplace_back(token, std::move(listener));
    return token;
}

void removeBannerListener(BannerListenerToken token) {
    auto& b = board();
    std::lock_guard delivering(b.delivering);
    std::lock_guard lock(b.mutex);
    std::erase_if(b.listeners, [&](const auto& entry) { return entry.first == token; });
}

void setBannerTerminal(std::FILE* terminal) {
    auto& b = board();
    std::lock_guard lock(b.mutex);
    b.terminal = terminal;
}

std::vector<PresentedBanner> presentedBannersForTesting() {
    auto& b = board();
    std::lock_guard lock(b.mutex);
    return {b.presented.begin(), b.presented.end()};
}

void clearPresentedBannersForTesting() {
    auto& b = board();
    std::lock_guard lock(b.mutex);
    b.presented.clear();
}

void presentBanner(PresentedBanner banner) {
    auto& b = board();
    std::FILE* terminal = nullptr;
    {
        std::lock_guard delivering(b.delivering);
        std::vector<std::pair<BannerListenerToken, BannerListener>> listeners;
        {
            std::lock_guard lock(b.mutex);
            b.presented.push_back(banner);
            if (b.presented.size() > kRecordedBannerLimit) b.presented.pop_front();
            listeners = b.listeners;
            terminal = b.terminal;
        }
        // Called outside the list's lock, so a listener may change the list;
        // one removed meanwhile is skipped.
        for (const auto& [token, listener] : listeners) {
            bool stillListening;
            {
                std::lock_guard lock(b.mutex);
                stillListening = std::any_of(b.listeners.begin(), b.listeners.end(),
                                             [&](const auto& entry) { return entry.first == token; });
            }
            if (stillListening) listener(banner);
        }
    }

    if (terminal) {
        std::string box = drawBannerBox(banner.title, banner.message);
        std::fwrite(box.data(), 1, box.size(), terminal);  // One write, so banners from two threads never interleave.
        std::fflush(terminal);
    }
    // Looked up once; kept for the process's life so no exit-time destructor
    // races a banner presented from another thread.
    static const auto* notifier = new std::optional<std::filesystem::path>(desktopNotifier());
    if (*notifier) sendDesktopNotification(**notifier, banner);
}

}  // namespace springboard
