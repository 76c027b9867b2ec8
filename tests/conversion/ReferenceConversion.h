// A slow, direct model of every conversion: the source is decoded into one
// value per pixel and encoded again by the rules each routine follows. It
// produces the expected destination planes, each byte marked as written with
// an exact value, left untouched, or of no defined value.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "conversion/VideoFormatCatalogue.h"

namespace reference {

enum class Expect : uint8_t { Untouched, Exact, Undefined };

// One plane in logical row order (row 0 is the first row processed).
struct Plane {
    int rowBytes = 0;
    int rows = 0;
    std::vector<uint8_t> bytes;
    std::vector<Expect> expect;
};

// Packed pictures have one plane, planar ones three: Y, U, V.
typedef std::vector<Plane> Planes;

// Bytes of one packed row as the engine requires them at least.
int PackedRowBytes(VideoFormatId family, int width);

bool IsPlanar(VideoFormatId family);

// Random planes of a picture of the format; packed rows are rowBytes long
// (padding included).
Planes RandomPicture(VideoFormatId format, int width, int height, int rowBytes, std::mt19937& random);

// The expected destination of converting source (of sourceFamily) into a
// destination of destinationFamily. sourceRowBytes and destinationRowBytes are
// the two packed strides (used only by the same-family copy). sourceFormat
// tells Y800 from RGB8 where the alpha differs.
Planes Convert(VideoFormatId sourceFormat, const Planes& source, VideoFormatId destinationFormat, int width,
               int height, int sourceRowBytes, int destinationRowBytes);

// The demosaic by its definition: each missing colour the rounded mean of the
// 3 x 3 neighbours of that colour; a black border. Returns B, G, R per pixel.
std::vector<uint8_t> Demosaic(const std::vector<uint8_t>& mosaic, int width, int height, const char* tile);

}  // namespace reference
