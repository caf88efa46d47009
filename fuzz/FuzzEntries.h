// The entry functions behind the fuzz targets: one per reader of outside
// input, each taking the raw bytes as that reader would meet them. The
// libFuzzer programs and the corpus replay in the test suite call the same
// functions, so every input the fuzzers kept or crashed on is checked again
// in every ordinary build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

using Input = std::span<const std::uint8_t>;

// A promise the reader broke on an input (decoder and inspector disagreeing,
// a row lost from a list), in words; nothing when the input was handled
// soundly. Crashes and sanitizer reports need no words: they end the process.
using Finding = std::optional<std::string>;

struct FuzzEntry {
    // The target's name: the libFuzzer program is fuzz_<name>, its corpus
    // fuzz/corpus/<name>/ and its crash inputs fuzz/regressions/<name>/.
    std::string_view name;
    // What the target feeds, for people reading a list of targets.
    std::string_view feeds;
    Finding (*feed)(Input bytes);
};

// Every target, in a fixed order.
std::span<const FuzzEntry> fuzzEntries();
// The target of that name, or null.
const FuzzEntry* findFuzzEntry(std::string_view name);

// The body of a libFuzzer program: feeds the bytes to the named target in a
// device root of its own (a fresh temporary folder, never the user's) and
// aborts with the finding, so that libFuzzer keeps the input as a crash.
int runFuzzEntry(std::string_view name, Input bytes);

// The entries, one per reader (see FuzzEntries.cpp for what each feeds).
// Those marked "device root" read or write files below the process's device
// root, which the caller must have chosen before the first call.
Finding feedSettingsFile(Input bytes);
Finding feedSpecifierList(Input bytes);          // device root
Finding feedPreferenceLoaderEntry(Input bytes);  // device root
Finding feedStringsTable(Input bytes);
Finding feedFilterPropertyList(Input bytes);
Finding feedImageFile(Input bytes);
Finding feedAssetURL(Input bytes);
Finding feedNotificationName(Input bytes);

// The bytes as text, for the readers that take text.
inline std::string_view asText(Input bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

}  // namespace fuzz
