#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The palette of a device-independent bitmap: one 0x00RRGGBB entry per colour-table entry
// (as many as the header's colours-used count). Empty means the system's default palette.
// `info` points at the info header; `size` is how many bytes are readable from there.
std::vector<uint32_t> MakeDIBPalette(const uint8_t* info, size_t size);
