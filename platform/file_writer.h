#pragma once
// Whole files written atomically: the bytes go to a temporary file in the target's folder,
// which is then renamed over the target, so a failed save leaves no partial file behind.
#include <cstddef>
#include <cstdint>
#include <string>

// "" on success, else the system's reason (strerror); the temporary file is removed then.
std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Gives the finished temporary file `temp` the name `path`, atomically: 0, or the system's
// code with `temp` removed. An existing file is swapped out rather than renamed over, which on
// ext4 would also write the new file's data to disk at once, a wait longer than making it.
int ReplaceWithTemporary(const std::string& temp, const std::string& path);

// Creates ".NAME.XXXXXX" beside `path` with the usual mode (not mkstemp's private one) and
// returns its descriptor, its name in `temp`; -1 with errno set when it cannot.
int CreateTemporaryBeside(const std::string& path, std::string& temp);
