// Where the photo library keeps things inside a device root, and how its
// files are named: media in the camera folders ("/var/mobile/Media/DCIM/
// 100APPLE/IMG_0001.PNG"), the index and the files being written in
// "/var/mobile/Media/PhotoData".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace assets {

inline constexpr const char* kMediaDevicePath = "/var/mobile/Media";
inline constexpr const char* kDCIMDevicePath = "/var/mobile/Media/DCIM";
inline constexpr const char* kPhotoDataDevicePath = "/var/mobile/Media/PhotoData";
inline constexpr const char* kDatabaseDevicePath = "/var/mobile/Media/PhotoData/Photos.sqlite";
// Media files are written here under a temporary name, then moved into a
// camera folder.
inline constexpr const char* kIncomingDevicePath = "/var/mobile/Media/PhotoData/Incoming";

// A camera folder holds at most this many files, as on the phone.
inline constexpr std::int64_t kFilesPerCameraFolder = 1000;

// The device path of the media file with this number (1, 2, ...):
// "/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG". File names run from
// IMG_0001 to IMG_9999 and then start again, always in a new folder, so
// every number has its own path.
std::string mediaDevicePath(std::int64_t fileNumber, std::string_view extension);
// True for names of the form "IMG_0001.PNG" (four digits, an extension of
// letters and digits) and camera folders of the form "100APPLE".
bool isMediaFileName(std::string_view name);
bool isCameraFolderName(std::string_view name);
// The number mediaDevicePath gives this camera folder and file name
// ("100APPLE", "IMG_0001.PNG" -> 1), or nothing for a name it never gives.
std::optional<std::int64_t> mediaFileNumber(std::string_view folderName, std::string_view fileName);

// A temporary media file is named "<pid>-<sequence>.tmp" after the process
// writing it, so that a cleaner can tell a live writer's file from one left
// behind by a process that died.
std::string temporaryFileName(pid_t writer, std::uint64_t sequence);
std::optional<pid_t> temporaryFileWriter(std::string_view name);
// False only when no process with this id exists any more.
bool processIsAlive(pid_t pid);

// A device path inside a given device root (the store may serve a device
// root other than the process's own).
std::filesystem::path hostPathIn(const std::filesystem::path& deviceRoot, std::string_view devicePath);

}  // namespace assets
