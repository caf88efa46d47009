// Fixtures and helpers for the photo library's tests: a fresh library per
// test in the test process's own device root, images in every format the
// library stores, futures over the library's result blocks, and an
// independent look at the index and the media folders (plain SQLite and the
// file system, not the code under test).
#pragma once

#include "platform/assets/AssetsLibrary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace assetstest {

using Bytes = std::vector<std::uint8_t>;

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<assets::ALAssetsLibrary> library;
};

// ---- Images and videos ---------------------------------------------------------

foundation::NSDataRef pngData(std::uint32_t width = 32, std::uint32_t height = 24, std::uint32_t seed = 1);
foundation::NSDataRef jpegData(std::optional<int> exifOrientation = std::nullopt, std::uint32_t width = 32,
                               std::uint32_t height = 24);
foundation::NSDataRef gifData();
foundation::NSDataRef webpData();
foundation::NSDataRef dataOf(const std::vector<std::uint8_t>& bytes);
// A small movie file at a device path: an ISO media file whose file-type box
// names `brand` ("qt  " for a QuickTime movie, "isom" for MPEG-4).
std::string writeMovie(const std::string& devicePath, const std::string& brand);

// ---- Waiting for result blocks ------------------------------------------------------

struct WriteResult {
    foundation::NSURLRef url;
    foundation::NSErrorRef error;
};
WriteResult writeImage(assets::ALAssetsLibrary& library, foundation::NSDataRef data,
                       std::optional<foundation::NSDictionary> metadata = std::nullopt);
WriteResult writeVideo(assets::ALAssetsLibrary& library, foundation::NSURLRef fileURL);
// The URL of a newly written PNG; fails the test when the write fails.
foundation::NSURLRef writePhoto(assets::ALAssetsLibrary& library, std::uint32_t seed = 1);

struct Enumeration {
    std::vector<assets::ALAssetsGroupRef> groups;  // the calls with a group, in order
    int finalCalls = 0;                            // calls with no group
    bool lastCallHadNoGroup = false;
    foundation::NSErrorRef error;  // from the failure block
};
// Enumerates and waits for the final call (or the failure block). With
// `stopAt`, sets the stop flag on the call for the group at that index.
Enumeration enumerate(assets::ALAssetsLibrary& library, assets::ALAssetsGroupType types,
                      std::optional<std::size_t> stopAt = std::nullopt);
std::vector<std::string> namesOf(const std::vector<assets::ALAssetsGroupRef>& groups);
std::string nameOf(const assets::ALAssetsGroupRef& group);
assets::ALAssetsGroupRef groupNamed(assets::ALAssetsLibrary& library, const std::string& name);

struct LookupResult {
    assets::ALAssetRef asset;
    foundation::NSErrorRef error;
    bool resultBlockCalled = false;
};
LookupResult lookUp(assets::ALAssetsLibrary& library, foundation::NSURLRef url);
assets::ALAssetRef assetFor(assets::ALAssetsLibrary& library, const foundation::NSURLRef& url);

struct CreationResult {
    assets::ALAssetsGroupRef group;
    foundation::NSErrorRef error;
    bool resultBlockCalled = false;
};
CreationResult createAlbum(assets::ALAssetsLibrary& library, const std::string& name);

// The URLs of a group's assets in the group's order.
std::vector<std::string> assetURLsIn(const assets::ALAssetsGroupRef& group);

// ---- An independent look at the library on disk ----------------------------------------

std::filesystem::path mediaFolder();
// Every regular file below the camera folders, as device paths, sorted.
std::vector<std::string> mediaFilesOnDisk();
std::vector<std::string> temporaryFilesOnDisk();

struct IndexSnapshot {
    std::string integrityCheck;
    std::string journalMode;
    std::vector<std::string> assetFilePaths;
};
// Read with plain SQLite (nothing is written).
IndexSnapshot readIndex();

// A process id that is certainly not in use: a child that has exited and
// been reaped.
pid_t deadProcessId();

}  // namespace assetstest
