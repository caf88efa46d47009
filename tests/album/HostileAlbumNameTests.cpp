// Album names come from a settings file anyone on the device can write. A
// name is only ever a value in the library's index: whatever it holds
// ("/", "..", NUL, a megabyte of text, bytes that are not UTF-8), a save
// puts the picture in an album of exactly that name, and no file appears
// anywhere but in the library's own folders.
#include "platform/foundation/DeviceRoot.h"
#include "tests/album/AlbumTestSupport.h"

#include <filesystem>
#include <set>

namespace albumtest {
namespace {

namespace fs = std::filesystem;

std::set<fs::path> filesBelow(const fs::path& folder) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(fs::canonical(folder)))
        if (!entry.is_directory()) files.insert(entry.path());
    return files;
}

bool isBelow(const fs::path& path, const fs::path& folder) {
    auto relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

class HostileAlbumNameTest : public AlbumTest {
protected:
    bool saveInto(const std::string& album, std::uint8_t seed) {
        auto outcome = Outcome::make();
        saveImageData(library, pngOf(seed), album, NSDictionary{}, Outcome::completionOf(outcome),
                      Outcome::failureOf(outcome));
        EXPECT_TRUE(outcome->waitForReport());
        std::lock_guard lock(outcome->mutex);
        return outcome->completions.size() == 1 && outcome->failures.empty();
    }
};

TEST_F(HostileAlbumNameTest, AnyNameIsAnAlbumNameAndNeverAPath) {
    const fs::path root = testsupport::processDeviceRoot();
    const std::vector<std::string> names{
        "../../../../escape-marker",
        "/tmp/escape-marker",
        "Holiday/2015",
        "..",
        std::string("before\0after", 12),
        std::string(1 << 20, 'L'),
        "\xFF\xFE not UTF-8 \xC3\x28",
        "caf\xC3\xA9 \xF0\x9F\x93\xB7",
    };
    // Prepare the library first, so that the files it makes once are not
    // counted against the saves.
    ASSERT_TRUE(saveInto("WhatsApp", 1));
    auto before = filesBelow(root);

    std::uint8_t seed = 10;
    for (const auto& name : names) {
        SCOPED_TRACE("album name of " + std::to_string(name.size()) + " bytes starting " + name.substr(0, 24));
        ASSERT_TRUE(saveInto(name, seed++));
        ASSERT_TRUE(saveInto(name, seed++)) << "the second save must find the album the first one made";
        auto albums = albumsNamed(name);
        ASSERT_EQ(albums.size(), 1u) << "the name must come back exactly";
        EXPECT_EQ(albums[0].assets, 2);
    }

    // Two new media files per name, in the camera folders; nothing else but
    // the index's own files changed or appeared.
    // The device's /var is a link to /private/var, as on the phone.
    const fs::path media = fs::canonical(foundation::hostPath("/var/mobile/Media/DCIM"));
    const fs::path photoData = fs::canonical(foundation::hostPath("/var/mobile/Media/PhotoData"));
    std::size_t newMedia = 0;
    for (const auto& file : filesBelow(root)) {
        if (before.contains(file)) continue;
        EXPECT_TRUE(isBelow(file, media) || isBelow(file, photoData)) << "unexpected file " << file;
        if (isBelow(file, media)) ++newMedia;
    }
    EXPECT_EQ(newMedia, 2 * names.size());
    EXPECT_FALSE(fs::exists(root.parent_path() / "escape-marker"));
    EXPECT_FALSE(fs::exists("/tmp/escape-marker"));
}

}  // namespace
}  // namespace albumtest
