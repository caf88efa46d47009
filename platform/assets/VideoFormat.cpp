#include "platform/assets/VideoFormat.h"

#include <array>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace assets {

namespace {

std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

}  // namespace

std::optional<VideoFormat> sniffVideoFormat(std::span<const std::uint8_t> header) {
    if (header.size() < kVideoSniffLength) return std::nullopt;
    // Every movie starts with a box: a 32-bit size (0: to the end of the
    // file, 1: a 64-bit size follows, else at least the 8-byte box header)
    // and a four-letter type.
    std::uint32_t size = bigEndian32(header.data());
    if (size > 1 && size < 8) return std::nullopt;
    std::string_view type(reinterpret_cast<const char*>(header.data() + 4), 4);
    if (type == "ftyp") {
        std::string_view brand(reinterpret_cast<const char*>(header.data() + 8), 4);
        return brand == "qt  " ? VideoFormat::MOV : VideoFormat::MP4;
    }
    // Older QuickTime movies have no file-type box and start with one of
    // these.
    for (std::string_view movieStart : {"moov", "mdat", "wide", "free", "skip", "pnot"})
        if (type == movieStart) return VideoFormat::MOV;
    return std::nullopt;
}

std::optional<VideoFormat> sniffVideoFile(const std::filesystem::path& hostFile) {
    int fd = ::open(hostFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::array<std::uint8_t, kVideoSniffLength> header{};
    bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ssize_t got = regular ? ::pread(fd, header.data(), header.size(), 0) : -1;
    ::close(fd);
    if (got != static_cast<ssize_t>(header.size())) return std::nullopt;
    return sniffVideoFormat(header);
}

const char* videoExtension(VideoFormat format) { return format == VideoFormat::MOV ? "MOV" : "MP4"; }

}  // namespace assets
