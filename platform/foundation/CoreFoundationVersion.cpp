#include "platform/foundation/CoreFoundationVersion.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"

#include <array>
#include <atomic>
#include <charconv>

namespace foundation {

namespace {

struct Release {
    int major;
    int minor;
    double coreFoundationVersion;
};

// The platform's published pairs. Point releases that kept their minor
// release's Core Foundation are left out: the lookup takes the nearest listed
// release at or below the asked one.
constexpr std::array kReleases{
    Release{2, 0, 478.23},    Release{2, 1, 478.26},    Release{2, 2, 478.29},    Release{3, 0, 478.47},
    Release{3, 1, 478.52},    Release{3, 2, 478.61},    Release{4, 0, 550.32},    Release{4, 1, 550.38},
    Release{4, 2, 550.52},    Release{5, 0, 675.00},    Release{5, 1, 690.10},    Release{6, 0, 793.00},
    Release{7, 0, 847.20},    Release{7, 1, 847.24},    Release{8, 0, 1140.10},   Release{8, 1, 1141.14},
    Release{8, 2, 1142.16},   Release{8, 3, 1144.17},   Release{8, 4, 1145.15},   Release{9, 0, 1240.10},
    Release{9, 1, 1241.11},   Release{9, 2, 1242.13},   Release{9, 3, 1242.13},   Release{10, 0, 1348.00},
    Release{10, 2, 1348.22},  Release{10, 3, 1349.56},  Release{11, 0, 1443.00},  Release{11, 1, 1445.32},
    Release{11, 2, 1450.14},  Release{11, 3, 1452.23},  Release{12, 0, 1556.00},  Release{12, 1, 1560.10},
    Release{12, 2, 1570.15},  Release{12, 3, 1575.13},  Release{12, 4, 1575.17},  Release{13, 0, 1665.15},
    Release{13, 1, 1671.101}, Release{13, 2, 1673.126}, Release{13, 3, 1674.102}, Release{13, 4, 1675.129},
    Release{13, 5, 1676.104}, Release{14, 0, 1740.00},  Release{14, 1, 1751.108}, Release{14, 2, 1770.106},
    Release{14, 3, 1770.300}, Release{14, 4, 1774.101}, Release{14, 5, 1775.118}, Release{15, 0, 1854.00},
    Release{15, 1, 1855.105}, Release{15, 2, 1856.105}, Release{15, 4, 1858.112}, Release{16, 0, 1946.10},
};

// Trivially destructible, so the override needs no static constructor in any
// image that links this library.
constinit std::atomic<bool> gOverridden{false};
constinit std::atomic<double> gOverride{0};

// Reads one decimal component; false when `text` does not start with digits.
bool readNumber(std::string_view& text, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < 0) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

std::optional<double> coreFoundationVersionForSystemVersion(std::string_view productVersion) {
    // "major[.minor[.patch]]"; the patch does not change the Core Foundation
    // version, so it is read only to reject malformed text.
    int major = 0, minor = 0, patch = 0;
    std::string_view rest = productVersion;
    if (!readNumber(rest, major)) return std::nullopt;
    if (!rest.empty()) {
        if (rest.front() != '.') return std::nullopt;
        rest.remove_prefix(1);
        if (!readNumber(rest, minor)) return std::nullopt;
    }
    if (!rest.empty()) {
        if (rest.front() != '.') return std::nullopt;
        rest.remove_prefix(1);
        if (!readNumber(rest, patch)) return std::nullopt;
    }
    if (!rest.empty()) return std::nullopt;

    double found = kReleases.front().coreFoundationVersion;
    for (const Release& release : kReleases) {
        if (release.major > major || (release.major == major && release.minor > minor)) break;
        found = release.coreFoundationVersion;
    }
    return found;
}

double kCFCoreFoundationVersionNumber() {
    if (gOverridden.load(std::memory_order_acquire)) return gOverride.load(std::memory_order_acquire);
    auto systemVersion = readPropertyListFile(hostPath(kSystemVersionPlistPath));
    if (!systemVersion) return kDefaultCoreFoundationVersionNumber;
    const PlistValue* product = systemVersion->objectForKey("ProductVersion");
    if (!product || !product->string()) return kDefaultCoreFoundationVersionNumber;
    return coreFoundationVersionForSystemVersion(*product->string()).value_or(kDefaultCoreFoundationVersionNumber);
}

void setCoreFoundationVersionNumberForTesting(std::optional<double> version) {
    gOverride.store(version.value_or(0), std::memory_order_release);
    gOverridden.store(version.has_value(), std::memory_order_release);
}

}  // namespace foundation
