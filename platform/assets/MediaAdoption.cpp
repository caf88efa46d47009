#include "platform/assets/MediaAdoption.h"

#include "platform/assets/AssetOrientation.h"
#include "platform/assets/AssetRows.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/StoreLayout.h"
#include "platform/assets/VideoFormat.h"
#include "platform/foundation/Concurrently.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/SystemError.h"
#include "platform/imageio/ImageCodecs.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace assets {

namespace {

// Larger files are no photo a phone took or received.
constexpr off_t kMaximumPhotoBytes = 512ll * 1024 * 1024;
constexpr double kUnixTimeOfReferenceDate = 978307200.0;

struct UnlistedFile {
    std::int64_t number = 0;
    std::string devicePath;
    fs::path hostPath;
};

bool readAll(int fd, std::span<std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// What the index would hold for the file, or nothing when it is no photo or
// movie the library can show. The file's modification time stands in for
// the lost creation date; the metadata given at the write is lost.
std::optional<AssetRecord> recordFor(const UnlistedFile& file) {
    // Never blocks (a FIFO under a media name) and never follows a link.
    int fd = ::open(file.hostPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct CloseOnReturn {
        int fd;
        ~CloseOnReturn() { ::close(fd); }
    } closer{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0 ||
        status.st_size > kMaximumPhotoBytes)
        return std::nullopt;

    AssetRecord record;
    record.uuid = makeUUID();
    record.devicePath = file.devicePath;
    record.byteSize = status.st_size;
    record.createdSinceReferenceDate = static_cast<double>(status.st_mtim.tv_sec) + status.st_mtim.tv_nsec / 1e9 -
                                       kUnixTimeOfReferenceDate;

    // A movie is known by its first box, without reading the rest.
    auto size = static_cast<std::size_t>(status.st_size);
    std::array<std::uint8_t, kVideoSniffLength> header{};
    std::span headerBytes = std::span(header).first(std::min(size, kVideoSniffLength));
    if (!readAll(fd, headerBytes)) return std::nullopt;
    if (auto video = sniffVideoFormat(headerBytes)) {
        record.kind = AssetKind::Video;
        record.extension = videoExtension(*video);
        return record;
    }
    std::vector<std::uint8_t> bytes(size);
    std::copy(headerBytes.begin(), headerBytes.end(), bytes.begin());
    if (!readAll(fd, std::span(bytes).subspan(headerBytes.size()))) return std::nullopt;
    auto image = imageio::inspectImage(std::span<const std::uint8_t>(bytes));
    if (!image) return std::nullopt;
    record.kind = AssetKind::Photo;
    record.extension = imageio::fileExtension(image->format);
    record.orientation = resolveAssetOrientation(std::nullopt, image->exifOrientation);
    return record;
}

foundation::ErrorOr<std::vector<UnlistedFile>> unlistedFiles(sql::Database& database, const fs::path& deviceRoot) {
    std::unordered_set<std::string> listed;
    {
        auto paths = TRY(database.prepare("SELECT file_path FROM assets"));
        for (;;) {
            bool more = TRY(paths.step());
            if (!more) break;
            listed.insert(paths.columnText(0));
        }
    }
    std::vector<UnlistedFile> unlisted;
    std::error_code ec;
    fs::path dcim = hostPathIn(deviceRoot, kDCIMDevicePath);
    for (const auto& folder : fs::directory_iterator(dcim, ec)) {
        std::string folderName = folder.path().filename().string();
        std::error_code folderError;
        if (!isCameraFolderName(folderName) || !folder.is_directory(folderError)) continue;
        for (const auto& entry : fs::directory_iterator(folder.path(), folderError)) {
            std::string name = entry.path().filename().string();
            std::string devicePath = std::string(kDCIMDevicePath) + "/" + folderName + "/" + name;
            if (!isMediaFileName(name) || listed.count(devicePath)) continue;
            // A name the library never gives goes after every numbered one.
            auto number = mediaFileNumber(folderName, name).value_or(INT64_MAX);
            unlisted.push_back({number, devicePath, entry.path()});
        }
        // What cannot be listed now stays on disk and is found by a later open.
        if (folderError)
            foundation::NSLog("Photo library: cannot list %s: %s", folder.path().string(), folderError.message());
    }
    if (ec) return foundation::errorFromErrorCode(ec, "cannot list the camera folders in " + dcim.string());
    std::sort(unlisted.begin(), unlisted.end(), [](const UnlistedFile& a, const UnlistedFile& b) {
        return a.number != b.number ? a.number < b.number : a.devicePath < b.devicePath;
    });
    return unlisted;
}

// The records of every file, checked on several threads: a rebuild decodes
// every photo, which is by far its largest cost. Each thread writes only the
// slots it claimed, and all are joined before the records are read.
std::vector<std::optional<AssetRecord>> recordsFor(const std::vector<UnlistedFile>& files) {
    std::vector<std::optional<AssetRecord>> records(files.size());
    std::atomic<std::size_t> nextFile{0};
    auto checkFiles = [&] {
        for (std::size_t i = nextFile++; i < files.size(); i = nextFile++) records[i] = recordFor(files[i]);
    };
    constexpr std::size_t kFilesPerThread = 16;
    std::size_t threads = std::min<std::size_t>(
        {std::max(1u, std::thread::hardware_concurrency()), 8, files.size() / kFilesPerThread + 1});
    foundation::runConcurrently(static_cast<unsigned>(threads), [&](unsigned) { checkFiles(); });
    return records;
}

}  // namespace

foundation::ErrorOr<AdoptionCount> adoptUnlistedMedia(sql::Database& database, const fs::path& deviceRoot) {
    // The files are checked before the write lock is taken, so that a long
    // rebuild keeps other processes' saves waiting only for the inserts.
    // Media files are never rewritten in place, so a check stays true.
    auto candidates = TRY(unlistedFiles(database, deviceRoot));
    if (candidates.empty()) return AdoptionCount{};
    auto candidateRecords = recordsFor(candidates);
    std::unordered_map<std::string, std::optional<AssetRecord>> checked;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        checked.emplace(candidates[i].devicePath, std::move(candidateRecords[i]));

    // Listed again under the lock: another process may have added some of
    // them meanwhile, and a file placed since is checked now.
    auto transaction = TRY(sql::WriteTransaction::begin(database));
    auto unlisted = TRY(unlistedFiles(database, deviceRoot));
    AdoptionCount count;
    std::int64_t nextNumber = 1;
    for (const auto& file : unlisted) {
        auto known = checked.find(file.devicePath);
        auto record = known != checked.end() ? known->second : recordFor(file);
        if (!record) {
            foundation::NSLog("Photo library: %s is not a photo or movie it can show; left as it is, not listed",
                              file.devicePath);
            ++count.unreadable;
            continue;
        }
        TRY(insertAssetIntoSavedPhotos(database, *record));
        if (file.number != INT64_MAX) nextNumber = std::max(nextNumber, file.number + 1);
        ++count.adopted;
    }
    if (count.adopted == 0) return count;  // Nothing written; the transaction gives the lock back.
    TRY(advanceFileNumberCounter(database, nextNumber));
    TRY(transaction.commit());
    return count;
}

}  // namespace assets
