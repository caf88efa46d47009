// Reading the property lists the system reads (the settings file, the
// bundle's root specifier list, the same list in binary) with our readers,
// against libplist's readers on the same bytes as the peer. Our readers also
// convert to PlistValue; the peer only builds libplist's own tree.
#include "platform/foundation/PropertyList.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string settingsFile() {
    return foundation::serializePropertyList(
               foundation::PlistValue::Dictionary{{"isEnabled", true}, {"albumName", "Harbour trips"}})
        .value();
}

std::string rootSpecifierList() {
    std::ifstream in(SNAPFOLD_SOURCE_DIR "/resources/bundle/Snapfold.plist", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string rootSpecifierListBinary() {
    auto value = foundation::parsePropertyList(rootSpecifierList());
    return foundation::serializePropertyList(value.value(), foundation::PlistFormat::Binary).value();
}

std::string input(int which) {
    switch (which) {
    case 0: return settingsFile();
    case 1: return rootSpecifierList();
    default: return rootSpecifierListBinary();
    }
}

void BM_OurReader(benchmark::State& state) {
    const std::string bytes = input(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto parsed = foundation::parsePropertyList(bytes);
        if (!parsed) state.SkipWithError("not read");
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
// 0: settings file (XML), 1: root specifier list (XML), 2: the same in binary.
BENCHMARK(BM_OurReader)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_LibplistReader(benchmark::State& state) {
    const std::string bytes = input(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        plist_t node = nullptr;
        if (state.range(0) == 2) {
            plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &node);
        } else {
            plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &node);
        }
        if (!node) state.SkipWithError("not read");
        benchmark::DoNotOptimize(node);
        plist_free(node);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LibplistReader)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
