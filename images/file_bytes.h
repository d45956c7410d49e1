#pragma once
// A whole file read into memory in one go.
#include <cstdint>
#include <string>
#include <vector>

enum class FileBytes { Ok, OpenFailed, NoMemory, ReadFailed };

FileBytes ReadFileBytes(const std::string& path, std::vector<uint8_t>& out);
