#pragma once
// Whole files written atomically: the bytes go to a temporary file in the target's folder,
// which is then renamed over the target, so a failed save leaves no partial file behind.
#include <cstddef>
#include <cstdint>
#include <string>

// "" on success, else the system's reason (strerror); the temporary file is removed then.
std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Creates ".NAME.XXXXXX" beside `path` with the usual mode (not mkstemp's private one) and
// returns its descriptor, its name in `temp`; -1 with errno set when it cannot.
int CreateTemporaryBeside(const std::string& path, std::string& temp);
