// Writes the fuzzers' seed corpus: small, valid (and a few nearly valid)
// inputs of every kind each reader meets, so that fuzzing starts from the
// shapes real files have. Images come from the formats' reference encoders;
// the project's own lists and strings tables are taken from resources/.
//
//   snapfold-write-fuzz-seeds <source folder>
//
// Run again after changing it; seeds keep their names, so the corpus in git
// changes only where a seed did.
#include "platform/foundation/PropertyList.h"
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/IconAndTiffWriters.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SampleJpegWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using foundation::NSDictionary;
using foundation::PlistValue;
using imageio::PixelFormat;

namespace {

fs::path gSource;

void write(const std::string& target, const std::string& name, const void* data, std::size_t size) {
    fs::path folder = gSource / "fuzz" / "corpus" / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary | std::ios::trunc)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void write(const std::string& target, const std::string& name, const std::string& text) {
    write(target, name, text.data(), text.size());
}
void write(const std::string& target, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    write(target, name, bytes.data(), bytes.size());
}
void writeList(const std::string& target, const std::string& name, const PlistValue& value,
               foundation::PlistFormat format) {
    auto bytes = foundation::serializePropertyList(value, format);
    if (!bytes) throw std::runtime_error("cannot encode " + name);
    write(target, name, bytes.value());
}
void copyResource(const std::string& target, const std::string& name, const fs::path& resource) {
    std::ifstream in(gSource / "resources" / resource, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) throw std::runtime_error("missing resource " + resource.string());
    write(target, name, bytes);
}

// ASCII text as UTF-16 with its byte-order mark, as the phone's readers
// take text in either byte order.
std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

// A list in the other encodings every reader accepts: old-style text (UTF-8
// and UTF-16) and XML in UTF-16.
void otherEncodingSeeds(const std::string& target, const std::string& name, const std::string& oldStyle,
                        const PlistValue& sameAsXml) {
    write(target, "old-style-" + name + ".plist", oldStyle);
    write(target, "old-style-utf16le-" + name + ".plist", utf16(oldStyle, false));
    auto xml = foundation::serializePropertyList(sameAsXml);
    if (!xml) throw std::runtime_error("cannot encode " + name);
    write(target, "xml-utf16be-" + name + ".plist", utf16(xml.value(), true));
}

constexpr auto XML = foundation::PlistFormat::XML;
constexpr auto Binary = foundation::PlistFormat::Binary;

void settingsFileSeeds() {
    const std::string t = "settings_file";
    otherEncodingSeeds(t, "settings",
                       "{ isEnabled = NO; albumName = \"Family \\\"trips\\\"\"; other = ( 1, <0fbd>, { a = b; } ); }\n",
                       NSDictionary{{"isEnabled", false}, {"albumName", "Family"}});
    writeList(t, "xml-on-default-album.plist", NSDictionary{{"isEnabled", true}, {"albumName", "WhatsApp"}}, XML);
    writeList(t, "xml-off-holiday.plist", NSDictionary{{"isEnabled", false}, {"albumName", "Holiday \u2600"}}, XML);
    writeList(t, "binary-string-switch.plist", NSDictionary{{"isEnabled", "YES"}, {"albumName", "Family"}}, Binary);
    writeList(t, "binary-wrong-kinds.plist",
              NSDictionary{{"isEnabled", foundation::PlistDate{4.5e8}}, {"albumName", 42}}, Binary);
    writeList(t, "xml-number-switch-empty-name.plist",
              NSDictionary{{"isEnabled", 0}, {"albumName", ""}, {"other", PlistValue::Array{1.5, "x"}}}, XML);
    writeList(t, "xml-array-root.plist", PlistValue::Array{"isEnabled", "albumName"}, XML);
    write(t, "xml-signed-zero-string.plist",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
          "<key>isEnabled</key><string> -000t</string><key>albumName</key><string>A/../B</string>"
          "</dict></plist>\n");
}

PlistValue row(NSDictionary entry) { return PlistValue(std::move(entry)); }

const char* const kOldStyleRows =
    "{ title = Snapfold; items = ( { cell = PSGroupCell; label = General; footerText = \"Saves go here\"; },\n"
    "  { cell = PSSwitchCell; label = Enabled; key = isEnabled; default = 1;\n"
    "    PostNotification = \"com.veltrona.snapfold/settingschanged\"; } ); }\n";

PlistValue oldStyleRowsAsXml() {
    return NSDictionary{
        {"title", "Snapfold"},
        {"items", PlistValue::Array{NSDictionary{
                      {"cell", "PSSwitchCell"}, {"label", "Enabled"}, {"key", "isEnabled"}, {"default", true}}}}};
}

void specifierListSeeds() {
    otherEncodingSeeds("specifier_list", "rows", kOldStyleRows, oldStyleRowsAsXml());
    const std::string t = "specifier_list";
    copyResource(t, "bundle-root.plist", "bundle/Snapfold.plist");
    copyResource(t, "bundle-configuration.plist", "bundle/SnapfoldConfiguration.plist");
    copyResource(t, "bundle-makers.plist", "bundle/SnapfoldMakers.plist");
    PlistValue::Array everyCell{
        row({{"cell", "PSGroupCell"}, {"label", "Group"}, {"footerText", "Footer"}}),
        row({{"cell", "PSSwitchCell"},
             {"label", "Switch"},
             {"key", "isEnabled"},
             {"default", true},
             {"defaults", "com.veltrona.snapfold"},
             {"PostNotification", "com.veltrona.snapfold/settingschanged"}}),
        row({{"cell", "PSEditTextCell"},
             {"label", "Name"},
             {"key", "albumName"},
             {"default", "WhatsApp"},
             {"defaults", "com.veltrona.snapfold"}}),
        row({{"cell", "PSSecureEditTextCell"}, {"label", "Secret"}, {"key", "secret"}}),
        row({{"cell", "PSLinkListCell"},
             {"label", "Choice"},
             {"detail", "PSListItemsController"},
             {"key", "choice"},
             {"validValues", PlistValue::Array{1, 2, 3}},
             {"validTitles", PlistValue::Array{"One", "Two", "Three"}},
             {"shortTitles", PlistValue::Array{"1", "2"}},
             {"default", 2}}),
        row({{"cell", "PSSegmentCell"},
             {"label", "Segments"},
             {"key", "segment"},
             {"validValues", PlistValue::Array{"a", "b"}},
             {"validTitles", PlistValue::Array{"A", 7}}}),
        row({{"cell", "PSSliderCell"}, {"key", "level"}, {"min", 0}, {"max", 10}, {"default", 5.5}}),
        row({{"cell", "PSButtonCell"}, {"label", "Button"}, {"action", "specifiers"}}),
        row({{"cell", "PSLinkCell"}, {"label", "Link"}, {"detail", "PSListController"}}),
        row({{"cell", "PSStaticTextCell"}, {"label", "Static"}, {"cellClass", "PSTableCell"}}),
        row({{"cell", "PSTitleValueCell"},
             {"label", "Title"},
             {"get", "readPreferenceValue:"},
             {"set", "setPreferenceValue:specifier:"}}),
        row({{"cell", "PSNoSuchCell"}, {"label", "Unknown"}}),
        PlistValue("not a dictionary"),
    };
    writeList(t, "every-cell-type.plist", NSDictionary{{"title", "Every cell"}, {"items", everyCell}}, XML);
    writeList(t, "every-cell-type-binary.plist", NSDictionary{{"title", "Binary"}, {"items", everyCell}}, Binary);
    writeList(t, "rows-before-first-group.plist",
              NSDictionary{{"items", PlistValue::Array{row({{"cell", "PSSwitchCell"}, {"label", "Lead"}}),
                                                       row({{"label", "Group without cell"}})}}},
              XML);
    writeList(t, "items-not-an-array.plist", NSDictionary{{"title", 3}, {"items", NSDictionary{}}}, XML);
}

void preferenceLoaderEntrySeeds() {
    otherEncodingSeeds("preference_loader_entry", "own-rows",
                       "{ entry = { cell = PSLinkCell; label = Snapfold; }; items = ( { cell = PSSwitchCell; "
                       "label = Enabled; key = isEnabled; } ); }\n",
                       NSDictionary{{"entry", NSDictionary{{"cell", "PSLinkCell"}, {"label", "Snapfold"}}},
                                    {"items", PlistValue::Array{NSDictionary{{"cell", "PSSwitchCell"}}}}});
    const std::string t = "preference_loader_entry";
    copyResource(t, "snapfold-entry.plist", "entry/Snapfold.plist");
    auto link = [](NSDictionary extra) {
        NSDictionary entry{{"cell", "PSLinkCell"}, {"label", "Fuzzed"}};
        for (auto& [key, value] : extra) entry.insert_or_assign(key, value);
        return PlistValue(std::move(entry));
    };
    writeList(t, "installed-bundle.plist", NSDictionary{{"entry", link({{"bundle", "FuzzedSettings"}})}}, XML);
    writeList(t, "bundle-path.plist",
              NSDictionary{{"entry", link({{"bundlePath", "/Library/PreferenceBundles/FuzzedSettings.bundle"},
                                           {"isController", "YES"}})}},
              Binary);
    writeList(
        t, "own-rows.plist",
        NSDictionary{
            {"entry", link({})},
            {"title", "Own rows"},
            {"items",
             PlistValue::Array{
                 row({{"cell", "PSGroupCell"}, {"label", "G"}}),
                 row({{"cell", "PSSwitchCell"}, {"label", "S"}, {"key", "k"}, {"defaults", "com.example.fuzzed"}})}}},
        XML);
    writeList(t, "version-filter.plist",
              NSDictionary{{"entry", link({})},
                           {"pl_filter", NSDictionary{{"CoreFoundationVersion", PlistValue::Array{1140.1, 1300}}}},
                           {"items", PlistValue::Array{}}},
              XML);
    writeList(t, "not-a-link.plist", NSDictionary{{"entry", NSDictionary{{"cell", "PSSwitchCell"}, {"label", "x"}}}},
              XML);
    writeList(t, "missing-bundle.plist", NSDictionary{{"entry", link({{"bundle", "../Absent"}})}}, Binary);
}

void stringsTableSeeds() {
    write("strings_table", "xml-utf16le.strings",
          utf16(foundation::serializePropertyList(NSDictionary{{"CONFIGURATION", "Configuration"}}).value(), false));
    const std::string t = "strings_table";
    for (const char* language : {"en", "de", "fr", "es"})
        copyResource(t, std::string("bundle-") + language + ".strings",
                     fs::path("bundle") / (std::string(language) + ".lproj") / "Localizable.strings");
    std::string plain =
        "/* comment */\n\"KEY\" = \"Value \\\"quoted\\\" \\U00e9\\n\";\n// line\nUNQUOTED = bare.text;\n"
        "\"ALONE\";\n\"OCTAL\" = \"\\101\\0102\";\n\"PAIR\" = \"\\UD83D\\UDE00\";\n"
        "\"SKIPPED\" = (\"a\", { b = c; }, <0a0b>);\n";
    write(t, "strings-form.strings", plain);
    write(t, "braces-form.strings", "{\n  key = value;\n  'single' = \"double\";\n}\n");
    write(t, "utf8-with-mark.strings", "\xEF\xBB\xBF\"K\" = \"\xC3\xA9t\xC3\xA9\";\n");
    auto utf16 = [](const std::string& ascii, bool bigEndian, bool mark) {
        std::string out;
        if (mark) out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : ascii) {
            if (bigEndian) out += '\0';
            out += c;
            if (!bigEndian) out += '\0';
        }
        return out;
    };
    write(t, "utf16-le-with-mark.strings", utf16("\"A\" = \"B\";\n\"C\" = \"D\";\n", false, true));
    write(t, "utf16-be-without-mark.strings", utf16("\"A\" = \"B\";\n", true, false));
    writeList(t, "xml-dictionary.strings", NSDictionary{{"A", "B"}, {"N", 1}, {"E", ""}}, XML);
    writeList(t, "binary-dictionary.strings", NSDictionary{{"A", "B"}, {"L", PlistValue::Array{"x"}}}, Binary);
}

void filterListSeeds() {
    otherEncodingSeeds("filter_plist", "filter",
                       "{ Filter = { Bundles = ( \"net.whatsapp.WhatsApp\" ); Mode = Any; }; }\n",
                       NSDictionary{{"Filter", NSDictionary{{"Bundles", PlistValue::Array{"net.whatsapp.WhatsApp"}}}}});
    const std::string t = "filter_plist";
    copyResource(t, "snapfold-filter.plist", "Snapfold.plist");
    writeList(t, "any-mode.plist",
              NSDictionary{{"Filter", NSDictionary{{"Mode", "Any"},
                                                   {"Executables", PlistValue::Array{"SpringBoard", "WhatsApp"}},
                                                   {"Classes", PlistValue::Array{"WAAssetsLibraryManager"}}}}},
              XML);
    writeList(t, "version-range.plist",
              NSDictionary{{"Filter", NSDictionary{{"CoreFoundationVersion", PlistValue::Array{1140.10, 1240}},
                                                   {"Bundles", PlistValue::Array{"com.apple.UIKit"}}}}},
              Binary);
    writeList(t, "safe-mode-only.plist", NSDictionary{{"Filter", NSDictionary{{"Flags", 2}}}}, XML);
    writeList(t, "no-filter.plist", NSDictionary{{"Other", true}}, XML);
    writeList(t, "filter-not-a-dictionary.plist", NSDictionary{{"Filter", PlistValue::Array{"x"}}}, Binary);
    writeList(t, "lists-of-wrong-kinds.plist",
              NSDictionary{{"Filter", NSDictionary{{"Bundles", "net.whatsapp.WhatsApp"},
                                                   {"Executables", PlistValue::Array{1, true}},
                                                   {"CoreFoundationVersion", PlistValue::Array{"1140"}}}}},
              XML);
}

imageio::CGImage gradient(std::uint32_t width, std::uint32_t height, PixelFormat format) {
    imageio::CGImage image = testimages::solidImage(width, height, format, {0, 0, 0, 255});
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            testimages::setPixel(image, x, y,
                                 {static_cast<std::uint8_t>(x * 255 / width),
                                  static_cast<std::uint8_t>(y * 255 / height), static_cast<std::uint8_t>((x + y) * 8),
                                  static_cast<std::uint8_t>(255 - x * 16)});
    return image;
}

void imageFileSeeds() {
    const std::string t = "image_file";
    using testimages::PngWriteOptions;
    auto rgb = gradient(8, 6, PixelFormat::RGB8), rgba = gradient(8, 6, PixelFormat::RGBA8);
    auto gray = gradient(8, 6, PixelFormat::Gray8), grayAlpha = gradient(8, 6, PixelFormat::GrayAlpha8);

    // PNG: the project's own writer (a plain stream, checked without
    // defiltering) and libpng's every colour type, depth and chunk.
    write(t, "own-rgb.png", *imageio::encodePNG(rgb));
    write(t, "own-rgba.png", *imageio::encodePNG(rgba));
    write(t, "libpng-gray.png", testimages::writePngWithLibpng(gray));
    write(t, "libpng-gray-alpha.png", testimages::writePngWithLibpng(grayAlpha));
    write(t, "libpng-gray-2bit.png", testimages::writePngWithLibpng(gray, PngWriteOptions{.bitDepth = 2}));
    write(t, "libpng-rgb-16bit.png", testimages::writePngWithLibpng(rgb, PngWriteOptions{.bitDepth = 16}));
    write(t, "libpng-palette.png", testimages::writePngWithLibpng(rgb, PngWriteOptions{.palette = true}));
    write(t, "libpng-interlaced.png", testimages::writePngWithLibpng(rgba, PngWriteOptions{.interlaced = true}));
    write(t, "libpng-transparent-color.png",
          testimages::writePngWithLibpng(rgb,
                                         PngWriteOptions{.transparentColor = std::array<std::uint16_t, 3>{0, 0, 0}}));
    write(t, "libpng-ancillary-chunks.png",
          testimages::writePngWithLibpng(
              rgb, PngWriteOptions{.physicalSize = std::array<std::uint32_t, 3>{2835, 2835, 1},
                                   .gamma = 45455,
                                   .chromaticities = std::array<std::uint32_t, 8>{31270, 32900, 64000, 33000, 30000,
                                                                                  60000, 15000, 6000},
                                   .srgbIntent = 0}));
    auto truncated = *imageio::encodePNG(rgb);
    truncated.resize(truncated.size() - 12);  // IEND cut off
    write(t, "own-rgb-without-end.png", truncated);

    // JPEG: colour, gray, both EXIF byte orders, CMYK.
    write(t, "rgb.jpg", sampleimages::encodeJpeg(gradient(16, 8, PixelFormat::RGB8), 80));
    write(t, "gray.jpg", sampleimages::encodeJpeg(gradient(8, 8, PixelFormat::Gray8), 80));
    write(t, "exif-orientation-6.jpg", sampleimages::encodeJpeg(gradient(16, 8, PixelFormat::RGB8), 80, 6));
    write(t, "exif-orientation-3-little-endian.jpg",
          testimages::withApp1Segment(sampleimages::encodeJpeg(gradient(8, 8, PixelFormat::RGB8), 60),
                                      sampleimages::exifOrientationPayload(3, true)));
    write(t, "cmyk.jpg", testimages::writeCmykJpeg(8, 8, {10, 200, 30, 0}));

    // GIF: plain, transparent and interlaced first frames, an animation.
    std::vector<testimages::Rgba> palette{{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {9, 9, 9, 255}};
    testimages::GifFrame frame{0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), std::nullopt, false};
    for (std::size_t i = 0; i < 16; ++i) frame.indices[i] = static_cast<std::uint8_t>(i % 4);
    write(t, "plain.gif", testimages::writeGifWithGiflib(4, 4, palette, {frame}));
    auto transparent = frame;
    transparent.transparentIndex = 3;
    transparent.left = 2;
    write(t, "transparent-offset.gif", testimages::writeGifWithGiflib(6, 5, palette, {transparent}));
    auto interlaced = frame;
    interlaced.interlaced = true;
    write(t, "interlaced-animation.gif", testimages::writeGifWithGiflib(4, 4, palette, {interlaced, frame}));

    // WebP: lossy, lossless with alpha, an animation.
    write(t, "lossy.webp", testimages::writeWebPWithLibwebp(gradient(16, 8, PixelFormat::RGB8), false, 50));
    write(t, "lossless-alpha.webp", testimages::writeWebPWithLibwebp(rgba, true));
    write(t, "animated.webp",
          testimages::writeAnimatedWebPWithLibwebp(
              {gradient(4, 4, PixelFormat::RGBA8), gradient(4, 4, PixelFormat::RGBA8)}));

    // BMP, TIFF and ICO: both row orders, straight alpha, gray, an orientation,
    // and icons holding a masked bitmap beside a PNG.
    write(t, "rgb-bottom-up.bmp", testimages::writeBmp(gradient(7, 5, PixelFormat::RGB8)));
    write(t, "rgba-top-down.bmp", testimages::writeBmp(rgba, true));
    write(t, "rgb.tif", testimages::writeTiffWithLibtiff(rgb));
    write(t, "rgba-orientation-6.tif", testimages::writeTiffWithLibtiff(rgba, 6));
    write(t, "gray.tif", testimages::writeTiffWithLibtiff(gray));
    auto corners = [](std::uint32_t x, std::uint32_t y) { return x == y; };
    write(t, "bitmap-and-png.ico",
          testimages::writeIco({{testimages::iconBitmap(gradient(5, 3, PixelFormat::RGB8), corners), 5, 3, 24},
                                {testimages::writePngWithLibpng(rgba), 8, 6, 32}}));
    write(t, "rgba-bitmap.ico", testimages::writeIco({{testimages::iconBitmap(rgba, corners), 8, 6, 32}}));

    // What a messaging app also passes on: text, and a video's first bytes.
    write(t, "text.txt", "Just a message, no picture.\n");
    write(t, "video-start.mp4",
          std::string("\0\0\0\x18"
                      "ftypmp42\0\0\0\0mp42isom",
                      24));
}

void assetURLSeeds() {
    const std::string t = "asset_url";
    const std::string id = "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
    write(t, "png.txt", "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG");
    write(t, "jpg-lower-case.txt", "assets-library://asset/asset.jpg?id=0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0&ext=jpg");
    write(t, "items-swapped.txt", "assets-library://asset/asset.MOV?ext=MOV&id=" + id);
    write(t, "group.txt", "assets-library://group/?id=" + id);
    write(t, "trailing-ampersand.txt", "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG&");
    write(t, "fragment.txt", "assets-library://asset/asset.PNG?id=" + id + "&ext=PNG#x");
    write(t, "path-trick.txt", "assets-library://asset/../asset.PNG?id=" + id + "&ext=PNG");
    write(t, "percent-escape.txt", "assets-library://asset/asset.PNG?id=%30F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F&ext=PNG");
    write(t, "file-url.txt", "file:///var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG");
}

// File names as they sit in the notify center's folder, and names as
// processes post them.
void notificationNameSeeds() {
    const std::string t = "notification_name";
    write(t, "settings-changed.txt", "com.veltrona.snapfold/settingschanged");
    write(t, "settings-changed-file.txt", "com.veltrona.snapfold%2Fsettingschanged");
    write(t, "fence-file.txt", "net.whatsapp.WhatsApp.fence.4242");
    write(t, "leading-dot-file.txt", "%2Ehidden%25%7F%0A");
    write(t, "escapes-lower-case.txt", "a%2fb");
    write(t, "needless-escape.txt", "%41BC");
    write(t, "utf-8.txt", "com.example/\xC3\xA9t\xC3\xA9");
    write(t, "longest-file-name.txt", std::string(252, 'n') + "%2F");
    write(t, "one-byte-too-long.txt", std::string(253, 'n') + "/");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <source folder>\n";
        return 2;
    }
    gSource = argv[1];
    if (!fs::is_directory(gSource / "fuzz") || !fs::is_directory(gSource / "resources")) {
        std::cerr << argv[1] << " is not the project's source folder\n";
        return 2;
    }
    try {
        settingsFileSeeds();
        specifierListSeeds();
        preferenceLoaderEntrySeeds();
        stringsTableSeeds();
        filterListSeeds();
        imageFileSeeds();
        assetURLSeeds();
        notificationNameSeeds();
    } catch (const std::exception& error) {
        std::cerr << "seed corpus: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
