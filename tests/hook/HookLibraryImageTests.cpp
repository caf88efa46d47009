// The hook library as a file: its load-time initializer must be its only
// static initializer, so nothing of the library runs before the initializer
// has subscribed and loaded the snapshot, and no global of the library needs
// constructing in every process it is loaded into.
#include "tests/support/TestSupport.h"

#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace {

// The size of a named section of a 64-bit ELF file, or nothing.
std::optional<std::uint64_t> sectionSize(const std::vector<char>& file, const char* wanted) {
    if (file.size() < sizeof(Elf64_Ehdr) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) return std::nullopt;
    Elf64_Ehdr header;
    std::memcpy(&header, file.data(), sizeof header);
    auto sectionAt = [&](std::size_t index) {
        Elf64_Shdr section;
        std::memcpy(&section, file.data() + header.e_shoff + index * header.e_shentsize, sizeof section);
        return section;
    };
    if (header.e_shoff + std::uint64_t{header.e_shnum} * header.e_shentsize > file.size()) return std::nullopt;
    Elf64_Shdr names = sectionAt(header.e_shstrndx);
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section = sectionAt(i);
        const char* name = file.data() + names.sh_offset + section.sh_name;
        if (std::strcmp(name, wanted) == 0) return section.sh_size;
    }
    return std::nullopt;
}

TEST(HookLibraryImageTest, TheLoadTimeInitializerIsTheOnlyStaticInitializer) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizer instrumentation adds a constructor of its own to every file";
#endif
    std::ifstream in(testsupport::buildDirectory() / "lib/Snapfold.dylib", std::ios::binary);
    ASSERT_TRUE(in) << "build the Snapfold target first";
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // The toolchain's own frame_dummy entry, and ours.
    auto initializers = sectionSize(file, ".init_array");
    ASSERT_TRUE(initializers);
    EXPECT_EQ(*initializers / sizeof(Elf64_Addr), 2u);
    EXPECT_FALSE(sectionSize(file, ".ctors").value_or(0) > 2 * sizeof(Elf64_Addr));
}

}  // namespace
