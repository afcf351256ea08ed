// Files and folders behind a small Win32-shaped layer: handles are POSIX file
// descriptors, failures leave a Windows error code in GetLastError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using FileHandle = intptr_t;
inline constexpr FileHandle INVALID_HANDLE_VALUE = -1;

inline constexpr uint32_t GENERIC_READ = 0x80000000;
inline constexpr uint32_t GENERIC_WRITE = 0x40000000;

inline constexpr uint32_t FILE_SHARE_READ = 0x1;
inline constexpr uint32_t FILE_SHARE_WRITE = 0x2;

inline constexpr uint32_t CREATE_NEW = 1;
inline constexpr uint32_t CREATE_ALWAYS = 2;
inline constexpr uint32_t OPEN_EXISTING = 3;
inline constexpr uint32_t OPEN_ALWAYS = 4;
inline constexpr uint32_t TRUNCATE_EXISTING = 5;

inline constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr uint32_t FILE_ATTRIBUTE_TEMPORARY = 0x100;
inline constexpr uint32_t FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
inline constexpr uint32_t FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
inline constexpr uint32_t FILE_FLAG_RANDOM_ACCESS = 0x10000000;
// Our own flag: the last path component must not be a symbolic link.
inline constexpr uint32_t FILE_FLAG_NO_FOLLOW = 0x00100000;

inline constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Sharing is kept among the program's own openers with advisory locks: an
// opener that shares nothing takes the file exclusively, any other shares it.
FileHandle CreateFile(const std::string& path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                      uint32_t flagsAndAttributes);
bool CloseHandle(FileHandle handle);
// Bytes read or written, or -1 with the last error set.
int64_t ReadFile(FileHandle handle, void* buffer, int64_t count);
int64_t WriteFile(FileHandle handle, const void* buffer, int64_t count);
// origin 0, 1, 2: begin, current, end. New position or -1.
int64_t SetFilePointer(FileHandle handle, int64_t distance, int origin);
int64_t GetFileSize(FileHandle handle);

// A regular file (or a link to one): folders, pipes and devices are not files here.
bool FileExists(const std::string& path);
// The path itself when anything stands there; else the one entry of its
// folder whose name differs only in letter case, as a Windows disk would
// find it; else the path unchanged.
std::string FindFileIgnoringCase(const std::string& path);
// Anything at all under that name, a folder or a link included.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);
// Read-only is the absence of every write-permission bit; hidden, system and
// archive have no form here and read as clear.
uint32_t GetFileAttributes(const std::string& path);
bool SetFileAttributes(const std::string& path, uint32_t attributes);
// A folder standing at the path (not a link to one) is removed with all it
// holds: the places of a program's fixed files are its own.
void RemoveFolderAt(const std::string& path);
// Creates the folder and every missing parent, each with mode 0700.
bool ForceDirectories(const std::string& path);

// The private temporary folder ${TMPDIR:-/tmp}/ekPlayer-<uid>/, created on
// first use with mode 0700. A folder that is a link, belongs to someone else,
// can be written by others or can't be written is never used: then
// $XDG_RUNTIME_DIR/ekPlayer/, then a fresh folder of a random name. Throws
// platform::Exception only when none of them can be had.
std::string GetTempPath();

// The path with every link resolved; none when any part of it is missing.
std::optional<std::string> RealPath(const std::string& path);

// Whether the folder is one GetTempPath gives or would give, told by its name
// and place without making it.
bool IsPrivateTemporaryFolder(const std::string& folder);

// Folder of the running program, with its trailing separator.
std::string ProgramFolder();

// The part after the last '/' (the whole path when there is none).
std::string ExtractFileName(const std::string& path);
// The part up to and including the last '/' (empty when there is none).
std::string ExtractFilePath(const std::string& path);
// From the last dot of the file name on, the dot included; empty without one.
std::string ExtractFileExt(const std::string& path);
// The same in lower case, for comparing extensions without regard to case.
std::string LowerFileExt(const std::string& path);

}  // namespace platform
