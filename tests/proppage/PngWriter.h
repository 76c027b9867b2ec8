// A minimal PNG writer for test screenshots: 8-bit RGB, one IDAT of stored
// (uncompressed) deflate blocks, with the CRC-32 and Adler-32 the format needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds height rows of width pixels, 3 bytes each, top row first.
// False when the sizes do not match or the file cannot be written.
bool WritePng(const std::wstring& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

// The PNG file's bytes (exposed for the writer's own check).
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);
