// Recognising the video files the library takes: QuickTime movies (MOV) and
// MPEG-4 files (MP4), both recognised by their first box.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace assets {

enum class VideoFormat { MOV, MP4 };

// How many leading bytes sniffVideoFormat looks at.
inline constexpr std::size_t kVideoSniffLength = 12;

std::optional<VideoFormat> sniffVideoFormat(std::span<const std::uint8_t> header);
// The format of a video file, given by its host path; nothing for a missing
// file, a folder, or anything that is not a movie.
std::optional<VideoFormat> sniffVideoFile(const std::filesystem::path& hostFile);
// "MOV" or "MP4".
const char* videoExtension(VideoFormat format);

}  // namespace assets
