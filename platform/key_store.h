#pragma once
// The per-user key store that stands in for the registry: a key path such as
// "Software\Vennlore\Orvalis\1.00" is a folder under $XDG_CONFIG_HOME (default ~/.config)
// with the "Software\" prefix dropped, and each value is a file holding exactly its bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace keystore {

// The folder of a key, or empty when no home folder is known.
std::string KeyFolder(const std::string& keyPath);
// Opens or creates the key's folder; `isNew` tells whether it had to be created.
bool CreateKey(const std::string& keyPath, bool* isNew);
enum class ReadResult { Missing, Read, Failed };
// Reads the value into `bytes`; a value longer than `limit` bytes is a failed read, so is
// anything at its path but a regular file (a folder, a pipe, a device): never a wait or an
// endless read.
ReadResult ReadValue(const std::string& keyPath, const std::string& name, size_t limit, std::vector<uint8_t>& bytes);
// Removes the temporaries "<name>.tmp.<pid>" that saves of ended processes left behind.
void RemoveStaleTemporaries(const std::string& keyPath, const std::string& name);
// Writes the whole value or nothing (WriteFileAtomically), so a crash never leaves a
// half-written value.
bool WriteValue(const std::string& keyPath, const std::string& name, const uint8_t* data, size_t size);

}  // namespace keystore
