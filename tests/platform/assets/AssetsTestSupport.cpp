#include "tests/platform/assets/AssetsTestSupport.h"

#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/TestImages.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace assetstest {

using assets::ALAssetsGroupRef;
using assets::ALAssetsLibrary;
using assets::AssetsLibraryTestSeam;

void LibraryTest::SetUp() {
    testsupport::processDeviceRoot();
    AssetsLibraryTestSeam::resetForTesting();
    AssetsLibraryTestSeam::drainForTesting();
    testsupport::clearDevice();
    library = ALAssetsLibrary::create();
}

void LibraryTest::TearDown() {
    AssetsLibraryTestSeam::resetForTesting();
    AssetsLibraryTestSeam::drainForTesting();
    library.reset();
}

foundation::NSDataRef dataOf(const std::vector<std::uint8_t>& bytes) {
    return std::make_shared<const foundation::NSData>(bytes);
}

foundation::NSDataRef pngData(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    return imageio::encodePNG(sampleimages::makePhotoLikeImage(width, height, imageio::PixelFormat::RGB8, seed));
}

foundation::NSDataRef jpegData(std::optional<int> exifOrientation, std::uint32_t width, std::uint32_t height) {
    auto image = sampleimages::makePhotoLikeImage(width, height, imageio::PixelFormat::RGB8, 7);
    return dataOf(sampleimages::encodeJpeg(image, 85, exifOrientation));
}

foundation::NSDataRef gifData() {
    testimages::GifFrame frame{0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), std::nullopt, false};
    return dataOf(testimages::writeGifWithGiflib(4, 4, {{0, 0, 0, 255}, {200, 10, 10, 255}}, {frame}));
}

foundation::NSDataRef webpData() {
    auto image = testimages::solidImage(8, 8, imageio::PixelFormat::RGB8, {10, 120, 200, 255});
    return dataOf(testimages::writeWebPWithLibwebp(image, true));
}

std::string writeMovie(const std::string& devicePath, const std::string& brand) {
    std::string movie;
    auto box = [&movie](const std::string& type, const std::string& body) {
        std::uint32_t size = static_cast<std::uint32_t>(8 + body.size());
        for (int shift = 24; shift >= 0; shift -= 8) movie.push_back(static_cast<char>((size >> shift) & 0xff));
        movie += type + body;
    };
    box("ftyp", brand + std::string("\0\0\0\0", 4) + brand);
    box("mdat", std::string(4096, '\x5a'));
    fs::path host = foundation::hostPath(devicePath);
    fs::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << movie;
    return movie;
}

WriteResult writeImage(ALAssetsLibrary& library, foundation::NSDataRef data,
                       std::optional<foundation::NSDictionary> metadata) {
    std::promise<WriteResult> written;
    library.writeImageDataToSavedPhotosAlbum(std::move(data), std::move(metadata),
                                             [&written](foundation::NSURLRef url, foundation::NSErrorRef error) {
                                                 written.set_value({url, error});
                                             });
    return written.get_future().get();
}

WriteResult writeVideo(ALAssetsLibrary& library, foundation::NSURLRef fileURL) {
    std::promise<WriteResult> written;
    library.writeVideoAtPathToSavedPhotosAlbum(std::move(fileURL),
                                               [&written](foundation::NSURLRef url, foundation::NSErrorRef error) {
                                                   written.set_value({url, error});
                                               });
    return written.get_future().get();
}

foundation::NSURLRef writePhoto(ALAssetsLibrary& library, std::uint32_t seed) {
    auto result = writeImage(library, pngData(16, 12, seed));
    EXPECT_FALSE(result.error) << result.error->description();
    EXPECT_TRUE(result.url);
    return result.url;
}

Enumeration enumerate(ALAssetsLibrary& library, assets::ALAssetsGroupType types, std::optional<std::size_t> stopAt) {
    auto done = std::make_shared<std::promise<void>>();
    auto seen = std::make_shared<Enumeration>();
    library.enumerateGroupsWithTypes(
        types,
        [done, seen, stopAt](ALAssetsGroupRef group, bool* stop) {
            seen->lastCallHadNoGroup = !group;
            if (!group) {
                if (++seen->finalCalls == 1) done->set_value();
                return;
            }
            if (stopAt && *stopAt == seen->groups.size()) *stop = true;
            seen->groups.push_back(std::move(group));
        },
        [done, seen](foundation::NSErrorRef error) {
            seen->error = std::move(error);
            done->set_value();
        });
    done->get_future().get();
    // Anything the enumeration still does after its final call has happened
    // by the time every delivery has run.
    AssetsLibraryTestSeam::drainForTesting();
    return *seen;
}

std::string nameOf(const ALAssetsGroupRef& group) {
    auto name = group ? group->valueForProperty(assets::ALAssetsGroupPropertyName) : std::nullopt;
    return name && name->string() ? *name->string() : std::string();
}

std::vector<std::string> namesOf(const std::vector<ALAssetsGroupRef>& groups) {
    std::vector<std::string> names;
    for (const auto& group : groups) names.push_back(nameOf(group));
    return names;
}

ALAssetsGroupRef groupNamed(ALAssetsLibrary& library, const std::string& name) {
    for (auto& group : enumerate(library, assets::ALAssetsGroupAll).groups)
        if (nameOf(group) == name) return group;
    return nullptr;
}

LookupResult lookUp(ALAssetsLibrary& library, foundation::NSURLRef url) {
    std::promise<LookupResult> found;
    library.assetForURL(
        std::move(url),
        [&found](assets::ALAssetRef asset) {
            found.set_value({asset, nullptr, true});
        },
        [&found](foundation::NSErrorRef error) {
            found.set_value({nullptr, error, false});
        });
    return found.get_future().get();
}

assets::ALAssetRef assetFor(ALAssetsLibrary& library, const foundation::NSURLRef& url) {
    return lookUp(library, url).asset;
}

CreationResult createAlbum(ALAssetsLibrary& library, const std::string& name) {
    std::promise<CreationResult> created;
    library.addAssetsGroupAlbumWithName(
        name,
        [&created](ALAssetsGroupRef group) {
            created.set_value({group, nullptr, true});
        },
        [&created](foundation::NSErrorRef error) {
            created.set_value({nullptr, error, false});
        });
    return created.get_future().get();
}

std::vector<std::string> assetURLsIn(const ALAssetsGroupRef& group) {
    std::vector<std::string> urls;
    group->enumerateAssetsUsingBlock([&urls](assets::ALAssetRef asset, std::uint64_t, bool*) {
        if (asset) urls.push_back(asset->assetURL()->absoluteString());
    });
    return urls;
}

fs::path mediaFolder() { return foundation::hostPath(assets::kMediaDevicePath); }

std::vector<std::string> mediaFilesOnDisk() {
    std::vector<std::string> files;
    std::error_code ec;
    fs::path dcim = foundation::hostPath(assets::kDCIMDevicePath);
    for (auto it = fs::recursive_directory_iterator(dcim, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file())
            files.push_back(std::string(assets::kDCIMDevicePath) + "/" + fs::relative(it->path(), dcim).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> temporaryFilesOnDisk() {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(foundation::hostPath(assets::kIncomingDevicePath), ec))
        files.push_back(entry.path().filename().string());
    return files;
}

IndexSnapshot readIndex() {
    IndexSnapshot snapshot;
    sqlite3* db = nullptr;
    fs::path file = foundation::hostPath(assets::kDatabaseDevicePath);
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << file << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return snapshot;
    }
    sqlite3_busy_timeout(db, 10'000);
    auto each = [db](const char* sql, auto&& row) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
            return;
        }
        while (sqlite3_step(statement) == SQLITE_ROW)
            row(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
        sqlite3_finalize(statement);
    };
    each("PRAGMA integrity_check", [&](std::string line) { snapshot.integrityCheck += line; });
    each("PRAGMA journal_mode", [&](std::string mode) { snapshot.journalMode = mode; });
    each("SELECT file_path FROM assets ORDER BY file_path",
         [&](std::string path) { snapshot.assetFilePaths.push_back(std::move(path)); });
    sqlite3_close(db);
    return snapshot;
}

pid_t deadProcessId() {
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

}  // namespace assetstest
