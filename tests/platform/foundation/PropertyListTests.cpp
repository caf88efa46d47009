#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using foundation::PlistValue;
namespace fs = std::filesystem;

PlistValue sampleDictionary() {
    return PlistValue(PlistValue::Dictionary{
        {"isEnabled", false},
        {"albumName", "Caf\u00e9 \u2615 trips"},
        {"count", std::int64_t{-3}},
        {"ratio", 0.25},
        {"blob", PlistValue::Data{0, 1, 2, 255}},
        {"when", foundation::PlistDate{86400}},  // XML dates carry whole seconds
        {"list", PlistValue::Array{1, "two", PlistValue::Dictionary{{"three", true}}}},
    });
}

TEST(PropertyListTest, XmlAndBinaryEncodingsRoundTripEveryType) {
    for (auto format : {foundation::PlistFormat::XML, foundation::PlistFormat::Binary}) {
        auto bytes = foundation::serializePropertyList(sampleDictionary(), format);
        ASSERT_TRUE(bytes.ok());
        auto parsed = foundation::parsePropertyList(bytes.value());
        ASSERT_TRUE(parsed.ok()) << parsed.error().message;
        EXPECT_EQ(parsed.value(), sampleDictionary());
    }
}

TEST(PropertyListTest, BoolValueFollowsThePlatformsRules) {
    struct Case {
        PlistValue value;
        std::optional<bool> expected;
    };
    const Case cases[] = {
        {true, true},
        {false, false},
        {std::int64_t{0}, false},
        {std::int64_t{-2}, true},
        {0.0, false},
        {0.5, true},
        {"YES", true},
        {"yes", true},
        {"true", true},
        {"T", true},
        {"1", true},
        {"  +007", true},
        {"-0009", true},
        {"NO", false},
        {"false", false},
        {"0", false},
        {"", false},
        {"  ", false},
        {"000", false},
        {"x1", false},
        {foundation::PlistDate{1}, std::nullopt},
        {PlistValue::Data{1}, std::nullopt},
        {PlistValue::Array{true}, std::nullopt},
        {PlistValue::Dictionary{}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value.boolValue(), c.expected) << c.value.description();
}

TEST(PropertyListTest, ObjectForKeyOnANonDictionaryIsAbsent) {
    EXPECT_EQ(PlistValue("text").objectForKey("a"), nullptr);
    EXPECT_EQ(sampleDictionary().objectForKey("missing"), nullptr);
    ASSERT_NE(sampleDictionary().objectForKey("albumName"), nullptr);
}

// Hostile or broken input is refused quickly and never crashes.
TEST(PropertyListTest, MalformedInputIsRefused) {
    auto xml = foundation::serializePropertyList(sampleDictionary()).value();
    auto binary = foundation::serializePropertyList(sampleDictionary(), foundation::PlistFormat::Binary).value();
    std::string deepXml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 100000; ++i) deepXml += "<array>";
    std::string inputs[] = {
        "",
        "   ",
        "not a property list",
        xml.substr(0, xml.size() / 2),
        binary.substr(0, binary.size() - 10),
        "bplist00",
        std::string("bplist00") + std::string(64, '\xff'),
        deepXml,
    };
    for (const auto& input : inputs) {
        auto started = std::chrono::steady_clock::now();
        auto parsed = foundation::parsePropertyList(input);
        EXPECT_FALSE(parsed.ok()) << input.substr(0, 40);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    }
    EXPECT_EQ(foundation::parsePropertyList(std::string(foundation::kMaximumPropertyListBytes + 1, ' ')).error().code,
              foundation::ErrorCode::TooLarge);
}

// Found by fuzzing: a zero byte inside a string (raw in XML text, U+0000 in a
// binary list's UTF-16 string) made libplist's string getter abort the
// process. XML has no NUL character, so such text is refused; a binary list's
// string is read whole, as the platform's strings hold it.
TEST(PropertyListTest, ZeroBytesInStringsNeverStopTheProcess) {
    const std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>albumName</key><string>Holiday";
    const std::string end = "trip</string></dict></plist>";
    auto withNul = foundation::parsePropertyList(xml + std::string(1, '\0') + end);
    ASSERT_FALSE(withNul.ok());
    EXPECT_EQ(withNul.error().code, foundation::ErrorCode::Malformed);
    // A terminator after the text is no part of it.
    auto terminated = foundation::parsePropertyList(xml + " " + end + std::string(2, '\0'));
    ASSERT_TRUE(terminated.ok()) << terminated.error().message;
    EXPECT_EQ(*terminated->objectForKey("albumName")->string(), "Holiday trip");

    // {"k": "\u00e9\0\u00e9"} as UTF-16: offsets table at 0x14, one-byte refs.
    const std::uint8_t binary[] = {'b',  'p',  'l',  'i',  's',  't',  '0',  '0',
                                   0xD1, 0x01, 0x02,                             // dictionary of one: key 1, value 2
                                   0x51, 'k',                                    // ASCII "k"
                                   0x63, 0x00, 0xE9, 0x00, 0x00, 0x00, 0xE9,     // UTF-16 "\u00e9\0\u00e9"
                                   0x08, 0x0B, 0x0D,                             // offsets of the three objects
                                   0,    0,    0,    0,    0,    0,    1,    1,  // trailer: 1-byte offsets and refs
                                   0,    0,    0,    0,    0,    0,    0,    3,  // three objects
                                   0,    0,    0,    0,    0,    0,    0,    0,  // the top object is 0
                                   0,    0,    0,    0,    0,    0,    0,    0x14};  // the offsets table is at 0x14
    auto fromBinary = foundation::parsePropertyList(
        std::string_view(reinterpret_cast<const char*>(binary), sizeof binary));
    ASSERT_TRUE(fromBinary.ok()) << fromBinary.error().message;
    EXPECT_EQ(*fromBinary->objectForKey("k")->string(), std::string("\xC3\xA9\0\xC3\xA9", 5));

    // {"a\0b": "x"}: a key cannot be read whole, so the list is refused.
    const std::uint8_t zeroInKey[] = {'b',  'p',  'l',  'i', 's', 't', '0', '0', 0xD1, 0x01, 0x02,  // dictionary of one
                                      0x53, 'a',  0x00, 'b',                                        // ASCII "a\0b"
                                      0x51, 'x',                                                    // ASCII "x"
                                      0x08, 0x0B, 0x0F,                                             // offsets, at 0x11
                                      0,    0,    0,    0,   0,   0,   1,   1,   0,    0,    0,    0, 0, 0, 0, 3,
                                      0,    0,    0,    0,   0,   0,   0,   0,   0,    0,    0,    0, 0, 0, 0, 0x11};
    EXPECT_FALSE(
        foundation::parsePropertyList(std::string_view(reinterpret_cast<const char*>(zeroInKey), sizeof zeroInKey))
            .ok());
}

// A binary list nested deeper than the limit: built by hand, since the writer
// would recurse just as deeply.
TEST(PropertyListTest, DeeplyNestedBinaryListIsRefused) {
    const int depth = 5000;
    std::string body = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets.push_back(body.size());
        body += static_cast<char>(0xA1);  // array of one element
        body += static_cast<char>(0);     // 2-byte ref follows
        body[body.size() - 1] = static_cast<char>(((i + 1) >> 8) & 0xFF);
        body += static_cast<char>((i + 1) & 0xFF);
    }
    offsets.push_back(body.size());
    body += static_cast<char>(0x08);  // false
    std::uint64_t table = body.size();
    for (auto offset : offsets) {
        for (int b = 3; b >= 0; --b) body += static_cast<char>((offset >> (8 * b)) & 0xFF);
    }
    std::string trailer(32, '\0');
    trailer[6] = 4;  // offset size
    trailer[7] = 2;  // ref size
    auto put = [&](int at, std::uint64_t value) {
        for (int b = 0; b < 8; ++b) trailer[at + b] = static_cast<char>((value >> (8 * (7 - b))) & 0xFF);
    };
    put(8, offsets.size());
    put(16, 0);
    put(24, table);
    body += trailer;
    auto parsed = foundation::parsePropertyList(body);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error().code, foundation::ErrorCode::TooLarge);
}

TEST(PropertyListTest, AtomicWriteReplacesTheFileAndLeavesNoTemporaries) {
    testsupport::processDeviceRoot();
    fs::path folder = foundation::hostPath("/var/mobile/Library/Preferences");
    fs::path file = folder / "atomic-write-test.plist";
    std::ofstream(file) << "old contents";
    ASSERT_TRUE(foundation::writePropertyListAtomically(file, sampleDictionary()).ok());
    EXPECT_EQ(foundation::readPropertyListFile(file).value(), sampleDictionary());
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
    fs::remove(file);
}

// Under a file-size limit the write fails as too large (the library answers
// that as it answers a full disk) and the file keeps its old contents; no
// temporary is left. The limit is set in a child process so that the test
// process keeps its own.
TEST(PropertyListTest, AWriteThatRunsOutOfSpaceLeavesTheOldFile) {
    testsupport::processDeviceRoot();
    fs::path folder = foundation::hostPath("/var/mobile/Library/Preferences");
    fs::create_directories(folder);
    fs::path file = folder / "full-disk-test.plist";
    ASSERT_TRUE(foundation::writePropertyListAtomically(file, sampleDictionary()).ok());

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write reports EFBIG instead
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        PlistValue::Dictionary large{{"albumName", std::string(4096, 'x')}};
        auto written = foundation::writePropertyListAtomically(file, PlistValue(large));
        ::_exit(!written.ok() && written.error().code == foundation::ErrorCode::TooLarge ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not fail as too large";
    EXPECT_EQ(foundation::readPropertyListFile(file).value(), sampleDictionary());
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
    fs::remove(file);
}

// A folder that refuses the write is reported as such, not as a failure of
// no particular kind. The superuser may write anywhere, so the child that
// writes gives that up first.
TEST(PropertyListTest, AWriteTheFolderRefusesIsReportedAsPermissionDenied) {
    fs::path folder = testsupport::processDeviceRoot() / "refusing";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        auto written = foundation::writePropertyListAtomically(folder / "refused.plist", sampleDictionary());
        if (written.ok()) ::_exit(1);
        std::fprintf(stderr, "%s\n", written.error().message.c_str());
        ::_exit(written.error().code == foundation::ErrorCode::PermissionDenied ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the refused write was not reported as permission denied";
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
}

TEST(PropertyListTest, DictionaryWithContentsOfFileAnswersOnlyDictionaries) {
    testsupport::processDeviceRoot();
    auto path = "/var/mobile/Library/Preferences/dictionary-test.plist";
    EXPECT_FALSE(foundation::dictionaryWithContentsOfFile(path)) << "missing file";
    ASSERT_TRUE(foundation::writePropertyListAtomically(foundation::hostPath(path), PlistValue::Array{1, 2}).ok());
    EXPECT_FALSE(foundation::dictionaryWithContentsOfFile(path)) << "array root";
    ASSERT_TRUE(foundation::writePropertyListAtomically(foundation::hostPath(path), sampleDictionary()).ok());
    auto dict = foundation::dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(dict);
    EXPECT_EQ(dict->size(), sampleDictionary().dictionary()->size());
}

// A settings file, list or picture may be replaced by anything: each is
// refused at once with its reason, and nothing blocks or reads without end.
TEST(PropertyListTest, FilesThatAreNoRegularFileAreRefusedWithoutBlocking) {
    fs::path folder = testsupport::processDeviceRoot() / "special";
    fs::create_directories(folder);
    fs::path fifo = folder / "fifo.plist", large = folder / "large.plist";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::ofstream(large) << std::string(foundation::kMaximumPropertyListBytes + 1, ' ');
    const std::pair<fs::path, foundation::ErrorCode> cases[] = {
        {fifo, foundation::ErrorCode::Malformed},
        {folder, foundation::ErrorCode::Malformed},
        {"/dev/zero", foundation::ErrorCode::Malformed},
        {large, foundation::ErrorCode::TooLarge},
        {folder / "missing.plist", foundation::ErrorCode::NotFound}};
    for (const auto& [file, code] : cases) {
        auto read = foundation::readPropertyListFile(file);
        ASSERT_FALSE(read.ok()) << file;
        EXPECT_EQ(read.error().code, code) << file << ": " << read.error().message;
        EXPECT_NE(read.error().message.find(file.string()), std::string::npos) << read.error().message;
    }
    fs::remove_all(folder);
}

// One filter list, written by an independent writer in every encoding the
// phone reads (binary, XML in UTF-8 and UTF-16 both ways, old-style text in
// UTF-8 and UTF-16), reads as one dictionary, also through the dictionary
// reader that the settings file and the other lists go through.
TEST(PropertyListTest, EveryEncodingThePhoneReadsGivesTheSameDictionary) {
    testsupport::processDeviceRoot();
    const PlistValue expected(PlistValue::Dictionary{
        {"Filter", PlistValue::Dictionary{{"Bundles", PlistValue::Array{"net.whatsapp.WhatsApp"}}}}});
    const char* devicePath = "/var/mobile/Library/Preferences/encoding-test.plist";
    for (const char* name :
         {"filter.xml", "filter-utf16le.xml", "filter-utf16be.xml", "filter.bplist", "filter-old-style.plist",
          "filter-old-style-utf16le.plist", "filter-old-style-utf16be.plist"}) {
        std::ifstream in(fs::path(SNAPFOLD_PROPERTY_LISTS_DIR) / name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        auto parsed = foundation::parsePropertyList(bytes);
        ASSERT_TRUE(parsed.ok()) << name << ": " << parsed.error().message;
        EXPECT_EQ(parsed.value(), expected) << name;
        ASSERT_TRUE(foundation::writeFileAtomically(foundation::hostPath(devicePath), bytes).ok());
        EXPECT_EQ(foundation::dictionaryWithContentsOfFile(devicePath), *expected.dictionary()) << name;
    }
    fs::remove(foundation::hostPath(devicePath));
}

}  // namespace
