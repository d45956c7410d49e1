#pragma once
// File > Open Recent: the files last opened, most recent first, kept in the settings store as
// the value "RecentFiles" (UTF-8, one absolute path a line).
#include <string>
#include <vector>

inline constexpr size_t kRecentFilesMax = 8;

// The stored list; a value that is not such a list (too long, not UTF-8, a line that is not an
// absolute path, a NUL byte) gives an empty one.
std::vector<std::string> RecentFiles();
// Puts `path` (made absolute) first, once, and keeps the first eight.
void NoteRecentFile(const std::string& path);
void ForgetRecentFile(const std::string& path);
