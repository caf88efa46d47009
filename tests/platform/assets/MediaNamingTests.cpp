// How media files are named and recognised: camera folders of at most a
// thousand files, names that never repeat, and movies told from other data
// by their first box.
#include "platform/assets/StoreLayout.h"
#include "platform/assets/VideoFormat.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace assetstest {
namespace {

using namespace assets;

TEST(MediaNamingTest, FilesFillCameraFoldersAThousandAtATime) {
    EXPECT_EQ(mediaDevicePath(1, "PNG"), "/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG");
    EXPECT_EQ(mediaDevicePath(1000, "JPG"), "/var/mobile/Media/DCIM/100APPLE/IMG_1000.JPG");
    EXPECT_EQ(mediaDevicePath(1001, "JPG"), "/var/mobile/Media/DCIM/101APPLE/IMG_1001.JPG");
    EXPECT_EQ(mediaDevicePath(9999, "MOV"), "/var/mobile/Media/DCIM/109APPLE/IMG_9999.MOV");
    EXPECT_EQ(mediaDevicePath(10000, "MOV"), "/var/mobile/Media/DCIM/109APPLE/IMG_0001.MOV");
}

TEST(MediaNamingTest, NoTwoNumbersShareAPath) {
    std::set<std::string> paths;
    constexpr int kNumbers = 30'000;
    for (int number = 1; number <= kNumbers; ++number) {
        std::string path = mediaDevicePath(number, "PNG");
        std::string folder = path.substr(0, path.rfind('/'));
        std::string name = path.substr(path.rfind('/') + 1);
        ASSERT_TRUE(isMediaFileName(name)) << path;
        ASSERT_TRUE(isCameraFolderName(folder.substr(folder.rfind('/') + 1))) << path;
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), static_cast<std::size_t>(kNumbers));
}

TEST(MediaNamingTest, OnlyTheLibrarysOwnNamesCountAsMedia) {
    for (const char* name : {"IMG_0001.PNG", "IMG_9999.WEBP", "IMG_0420.MOV"})
        EXPECT_TRUE(isMediaFileName(name)) << name;
    for (const char* name : {"IMG_001.PNG", "IMG_00001.PNG", "img_0001.png", "IMG_0001", "IMG_0001.", "IMG_0001.P/G",
                             "notes.txt", "IMG_ABCD.PNG", ".IMG_0001.PNG"})
        EXPECT_FALSE(isMediaFileName(name)) << name;
    EXPECT_TRUE(isCameraFolderName("100APPLE"));
    EXPECT_FALSE(isCameraFolderName("APPLE"));
    EXPECT_FALSE(isCameraFolderName("100ANDROID"));
}

TEST(MediaNamingTest, TemporaryNamesTellTheirWriter) {
    EXPECT_EQ(temporaryFileWriter(temporaryFileName(4242, 7)), 4242);
    for (const char* name : {"4242.tmp", "-7.tmp", "abc-7.tmp", "4242-7.png", "4242-x.tmp", "0-1.tmp"})
        EXPECT_FALSE(temporaryFileWriter(name)) << name;
}

std::vector<std::uint8_t> box(const std::string& type, const std::string& brand, std::uint32_t size = 24) {
    std::string bytes{static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                      static_cast<char>(size)};
    bytes += type + brand;
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

TEST(VideoFormatTest, MoviesAreToldByTheirFirstBox) {
    EXPECT_EQ(sniffVideoFormat(box("ftyp", "qt  ")), VideoFormat::MOV);
    EXPECT_EQ(sniffVideoFormat(box("ftyp", "isom")), VideoFormat::MP4);
    EXPECT_EQ(sniffVideoFormat(box("ftyp", "mp42")), VideoFormat::MP4);
    EXPECT_EQ(sniffVideoFormat(box("moov", "mvhd")), VideoFormat::MOV);
    EXPECT_FALSE(sniffVideoFormat(box("ftyp", "isom", 4)));  // a box shorter than its own header
    EXPECT_FALSE(sniffVideoFormat(box("IHDR", "abcd")));
    EXPECT_FALSE(sniffVideoFormat(box("ftyp", "qt")));  // too short to tell
    std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
    EXPECT_FALSE(sniffVideoFormat(std::vector<std::uint8_t>(png.begin(), png.end())));
    EXPECT_STREQ(videoExtension(VideoFormat::MOV), "MOV");
    EXPECT_STREQ(videoExtension(VideoFormat::MP4), "MP4");
}

}  // namespace
}  // namespace assetstest
