#include "ReferenceConversion.h"

#include <cstring>

#include "ReferenceFormulas.h"

namespace reference {

namespace {

using namespace VideoFormat;

VideoFormatId FamilyOf(VideoFormatId id) {
    return VideoFormatCatalogue::Row(id)->family;
}

bool IsPacked422(VideoFormatId family) {
    return family == UYVY || family == YUY2 || family == YVYU;
}
bool IsBayer(VideoFormatId family) {
    return family == BYBG || family == BYGB || family == BYRG || family == BYGR;
}
bool IsGrey(VideoFormatId family) {
    return family == Y800 || family == RGB8;
}

// Byte positions of Y0, U, Y1, V in a 4:2:2 group.
struct Order {
    int y0, u, y1, v;
};
Order OrderOf(VideoFormatId family) {
    if (family == UYVY) {
        return {1, 0, 3, 2};
    }
    if (family == YUY2) {
        return {0, 1, 2, 3};
    }
    return {0, 3, 2, 1};  // YVYU
}

const int kY41PLuma[8] = {1, 3, 5, 7, 8, 9, 10, 11};

Plane MakePlane(int rowBytes, int rows) {
    Plane plane;
    plane.rowBytes = rowBytes;
    plane.rows = rows;
    plane.bytes.assign(static_cast<size_t>(rowBytes) * rows, 0);
    plane.expect.assign(plane.bytes.size(), Expect::Untouched);
    return plane;
}

void Set(Plane& plane, int row, int column, int value) {
    const size_t at = static_cast<size_t>(row) * plane.rowBytes + column;
    plane.bytes[at] = static_cast<uint8_t>(value);
    plane.expect[at] = Expect::Exact;
}

void SetUndefined(Plane& plane, int row, int column) {
    plane.expect[static_cast<size_t>(row) * plane.rowBytes + column] = Expect::Undefined;
}

int Get(const Plane& plane, int row, int column) {
    return plane.bytes[static_cast<size_t>(row) * plane.rowBytes + column];
}

// One decoded pixel.
struct Pixel {
    bool luma = false;    // y (or grey, or b, g, r) holds a value
    bool chroma = false;  // u and v hold a value
    int y = 0, u = 0, v = 0;
    Rgb rgb{0, 0, 0};
};

enum class Kind { Yuv, Rgb, Grey };

struct Decoded {
    Kind kind;
    Form form = Form::A;
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    Pixel& At(int row, int x) { return pixels[static_cast<size_t>(row) * width + x]; }
    const Pixel& At(int row, int x) const { return pixels[static_cast<size_t>(row) * width + x]; }
};

const char* BayerTile(VideoFormatId family) {
    switch (family) {
        case BYBG:
            return "BGGR";
        case BYGB:
            return "GBRG";
        case BYRG:
            return "RGGB";
        default:
            return "GRBG";
    }
}

Decoded Decode(VideoFormatId family, const Planes& source, int width, int height) {
    Decoded picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    const Plane& packed = source[0];
    if (IsPacked422(family)) {
        picture.kind = Kind::Yuv;
        picture.form = family == YUY2 ? Form::B : Form::A;
        const Order order = OrderOf(family);
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const int group = 4 * (x / 2);
                Pixel& pixel = picture.At(row, x);
                pixel.luma = pixel.chroma = true;
                pixel.y = Get(packed, row, group + ((x & 1) != 0 ? order.y1 : order.y0));
                pixel.u = Get(packed, row, group + order.u);
                pixel.v = Get(packed, row, group + order.v);
            }
        }
    } else if (IsPlanar(family)) {
        picture.kind = Kind::Yuv;
        picture.form = Form::C;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                Pixel& pixel = picture.At(row, x);
                pixel.luma = true;
                pixel.y = Get(source[0], row, x);
                // An odd last column has no chroma sample of its own.
                if (x < (width & ~1)) {
                    pixel.chroma = true;
                    pixel.u = Get(source[1], row / 2, x / 2);
                    pixel.v = Get(source[2], row / 2, x / 2);
                }
            }
        }
    } else if (family == Y41P) {
        picture.kind = Kind::Yuv;
        picture.form = Form::B;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width / 8 * 8; ++x) {
                const int group = 12 * (x / 8);
                Pixel& pixel = picture.At(row, x);
                pixel.luma = pixel.chroma = true;
                pixel.y = Get(packed, row, group + kY41PLuma[x % 8]);
                pixel.u = Get(packed, row, group + ((x % 8) < 4 ? 0 : 4));
                pixel.v = Get(packed, row, group + ((x % 8) < 4 ? 2 : 6));
            }
        }
    } else if (family == RGB32 || family == RGB24 || IsBayer(family)) {
        picture.kind = Kind::Rgb;
        std::vector<uint8_t> bgr;
        int pixelBytes = family == RGB32 ? 4 : 3;
        if (IsBayer(family)) {
            std::vector<uint8_t> mosaic(static_cast<size_t>(width) * height);
            for (int row = 0; row < height; ++row) {
                std::memcpy(&mosaic[static_cast<size_t>(row) * width],
                            &packed.bytes[static_cast<size_t>(row) * packed.rowBytes], width);
            }
            bgr = Demosaic(mosaic, width, height, BayerTile(family));
        }
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                Pixel& pixel = picture.At(row, x);
                pixel.luma = true;
                if (IsBayer(family)) {
                    const uint8_t* at = &bgr[3 * (static_cast<size_t>(row) * width + x)];
                    pixel.rgb = Rgb{at[0], at[1], at[2]};
                } else {
                    pixel.rgb = Rgb{Get(packed, row, pixelBytes * x), Get(packed, row, pixelBytes * x + 1),
                                    Get(packed, row, pixelBytes * x + 2)};
                }
            }
        }
    } else {
        picture.kind = Kind::Grey;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                picture.At(row, x).luma = true;
                picture.At(row, x).y = Get(packed, row, x);
            }
        }
    }
    return picture;
}

// Columns whose decoded values carry into a packed or planar YUV destination:
// a 4:2:0 source gives its even part, Y41P its whole groups.
int YuvColumns(VideoFormatId sourceFamily, int width) {
    if (IsPlanar(sourceFamily)) {
        return width & ~1;
    }
    if (sourceFamily == Y41P) {
        return width / 8 * 8;
    }
    return width;
}

void EncodePacked422(const Decoded& picture, VideoFormatId sourceFamily, VideoFormatId family, Plane& out) {
    const Order order = OrderOf(family);
    const int width = picture.width;
    for (int row = 0; row < picture.height; ++row) {
        if (picture.kind == Kind::Rgb) {
            for (int pair = 0; pair < width / 2; ++pair) {
                const Rgb& first = picture.At(row, 2 * pair).rgb;
                const Rgb& second = picture.At(row, 2 * pair + 1).rgb;
                Set(out, row, 4 * pair + order.y0, Luma(first.r, first.g, first.b));
                Set(out, row, 4 * pair + order.y1, Luma(second.r, second.g, second.b));
                Set(out, row, 4 * pair + order.u, PairU(first, second));
                Set(out, row, 4 * pair + order.v, PairV(first, second));
            }
            if ((width & 1) != 0) {
                const Rgb& lone = picture.At(row, width - 1).rgb;
                const int at = 4 * (width / 2);
                // The lone pixel's two bytes: luma and the group's first chroma byte,
                // which for YVYU is a V the lone-pixel formula does not give.
                Set(out, row, at + order.y0, Luma(lone.r, lone.g, lone.b));
                if (family == YVYU) {
                    SetUndefined(out, row, at + 1);
                } else {
                    Set(out, row, at + order.u, LoneU(lone));
                }
            }
            continue;
        }
        const int columns = picture.kind == Kind::Grey ? width : YuvColumns(sourceFamily, width);
        for (int pair = 0; pair < columns / 2; ++pair) {
            const Pixel& first = picture.At(row, 2 * pair);
            const Pixel& second = picture.At(row, 2 * pair + 1);
            const bool grey = picture.kind == Kind::Grey;
            Set(out, row, 4 * pair + order.y0, first.y);
            Set(out, row, 4 * pair + order.y1, second.y);
            Set(out, row, 4 * pair + order.u, grey ? 128 : first.u);
            Set(out, row, 4 * pair + order.v, grey ? 128 : first.v);
        }
        if ((columns & 1) != 0) {
            const Pixel& lone = picture.At(row, columns - 1);
            const bool grey = picture.kind == Kind::Grey;
            int group[4];
            group[order.y0] = lone.y;
            group[order.y1] = 0;
            group[order.u] = grey ? 128 : lone.u;
            group[order.v] = grey ? 128 : lone.v;
            Set(out, row, 4 * (columns / 2), group[0]);
            Set(out, row, 4 * (columns / 2) + 1, group[1]);
        }
    }
}

void EncodeY41P(const Decoded& picture, VideoFormatId sourceFamily, Plane& out) {
    const int columns = picture.kind == Kind::Yuv ? YuvColumns(sourceFamily, picture.width) : picture.width;
    for (int row = 0; row < picture.height; ++row) {
        for (int group = 0; group < columns / 8; ++group) {
            const int first = 8 * group;
            for (int pixel = 0; pixel < 8; ++pixel) {
                const Pixel& at = picture.At(row, first + pixel);
                const int y = picture.kind == Kind::Rgb ? Luma(at.rgb.r, at.rgb.g, at.rgb.b) : at.y;
                Set(out, row, 12 * group + kY41PLuma[pixel], y);
            }
            for (int half = 0; half < 2; ++half) {
                const Pixel& a = picture.At(row, first + 4 * half);
                const Pixel& b = picture.At(row, first + 4 * half + 1);
                int u = 128;
                int v = 128;
                if (picture.kind == Kind::Yuv) {
                    u = a.u;
                    v = a.v;
                } else if (picture.kind == Kind::Rgb) {
                    u = PairU(a.rgb, b.rgb);
                    v = PairV(a.rgb, b.rgb);
                }
                Set(out, row, 12 * group + 4 * half, u);
                Set(out, row, 12 * group + 4 * half + 2, v);
            }
        }
    }
}

void EncodePlanar(const Decoded& picture, VideoFormatId sourceFamily, const Planes& source, Planes& out) {
    const int width = picture.width;
    const int height = picture.height;
    if (picture.kind == Kind::Grey || IsPlanar(sourceFamily)) {
        // The luma plane whole; the chroma planes filled or copied.
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                Set(out[0], row, x, picture.At(row, x).y);
            }
        }
        for (int plane = 1; plane < 3; ++plane) {
            for (int row = 0; row < height / 2; ++row) {
                for (int x = 0; x < width / 2; ++x) {
                    Set(out[plane], row, x, picture.kind == Kind::Grey ? 128 : Get(source[plane], row, x));
                }
            }
        }
        return;
    }
    const int columns = (picture.kind == Kind::Yuv ? YuvColumns(sourceFamily, width) : width) & ~1;
    for (int row = 0; row < (height & ~1); ++row) {
        for (int x = 0; x < columns; ++x) {
            const Pixel& pixel = picture.At(row, x);
            Set(out[0], row, x,
                picture.kind == Kind::Rgb ? Luma(pixel.rgb.r, pixel.rgb.g, pixel.rgb.b) : pixel.y);
        }
    }
    for (int row = 0; row < height / 2; ++row) {
        for (int x = 0; x < columns / 2; ++x) {
            const Pixel& topLeft = picture.At(2 * row, 2 * x);
            if (picture.kind == Kind::Yuv) {
                Set(out[1], row, x, topLeft.u);
                Set(out[2], row, x, topLeft.v);
            } else {
                const Rgb& a = topLeft.rgb;
                const Rgb& b = picture.At(2 * row, 2 * x + 1).rgb;
                const Rgb& c = picture.At(2 * row + 1, 2 * x).rgb;
                const Rgb& d = picture.At(2 * row + 1, 2 * x + 1).rgb;
                Set(out[1], row, x, BlockU(a, b, c, d));
                Set(out[2], row, x, BlockV(a, b, c, d));
            }
        }
    }
}

void EncodeGrey(const Decoded& picture, VideoFormatId sourceFamily, Plane& out) {
    for (int row = 0; row < picture.height; ++row) {
        for (int x = 0; x < picture.width; ++x) {
            const Pixel& pixel = picture.At(row, x);
            if (!pixel.luma) {
                continue;
            }
            (void)sourceFamily;
            Set(out, row, x, picture.kind == Kind::Rgb ? Grey(pixel.rgb) : pixel.y);
        }
    }
}

void EncodeRgb(const Decoded& picture, VideoFormatId sourceFormat, int pixelBytes, Plane& out) {
    for (int row = 0; row < picture.height; ++row) {
        for (int x = 0; x < picture.width; ++x) {
            const Pixel& pixel = picture.At(row, x);
            Rgb colour = pixel.rgb;
            int alpha = 255;
            if (picture.kind == Kind::Yuv) {
                if (!pixel.chroma) {
                    continue;
                }
                colour = YuvToRgb(picture.form, pixel.y, pixel.u, pixel.v);
            } else if (picture.kind == Kind::Grey) {
                colour = Rgb{pixel.y, pixel.y, pixel.y};
                if (FamilyOf(sourceFormat) == Y800) {
                    alpha = pixel.y;
                }
            }
            Set(out, row, pixelBytes * x, colour.b);
            Set(out, row, pixelBytes * x + 1, colour.g);
            Set(out, row, pixelBytes * x + 2, colour.r);
            if (pixelBytes == 4) {
                Set(out, row, pixelBytes * x + 3, alpha);
            }
        }
    }
}

}  // namespace

bool IsPlanar(VideoFormatId family) {
    return family == YV12 || family == I420 || family == IYUV;
}

int PackedRowBytes(VideoFormatId family, int width) {
    family = FamilyOf(family);
    if (IsPacked422(family)) {
        return (width + 1) / 2 * 4;
    }
    switch (family) {
        case Y41P:
            return (width * 12 + 7) / 8;
        case RGB32:
            return 4 * width;
        case RGB24:
            return 3 * width;
        default:
            return width;
    }
}

Planes RandomPicture(VideoFormatId format, int width, int height, int rowBytes, std::mt19937& random) {
    const VideoFormatId family = FamilyOf(format);
    Planes planes;
    if (IsPlanar(family)) {
        planes.push_back(MakePlane(width, height));
        planes.push_back(MakePlane(width / 2, height / 2));
        planes.push_back(MakePlane(width / 2, height / 2));
    } else {
        planes.push_back(MakePlane(rowBytes, height));
    }
    std::uniform_int_distribution<int> byte(0, 255);
    for (Plane& plane : planes) {
        for (uint8_t& value : plane.bytes) {
            value = static_cast<uint8_t>(byte(random));
        }
    }
    return planes;
}

Planes Convert(VideoFormatId sourceFormat, const Planes& source, VideoFormatId destinationFormat, int width,
               int height, int sourceRowBytes, int destinationRowBytes) {
    const VideoFormatId from = FamilyOf(sourceFormat);
    const VideoFormatId to = FamilyOf(destinationFormat);
    Planes out;
    if (IsPlanar(to)) {
        out.push_back(MakePlane(width, height));
        out.push_back(MakePlane(width / 2, height / 2));
        out.push_back(MakePlane(width / 2, height / 2));
    } else {
        out.push_back(MakePlane(destinationRowBytes, height));
    }
    if (from == to && !IsPlanar(from)) {
        // The packed copy moves whole strides, padding included.
        const int bytes = sourceRowBytes < destinationRowBytes ? sourceRowBytes : destinationRowBytes;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < bytes; ++x) {
                Set(out[0], row, x, Get(source[0], row, x));
            }
        }
        return out;
    }
    const Decoded picture = Decode(from, source, width, height);
    if (IsPacked422(to)) {
        EncodePacked422(picture, from, to, out[0]);
    } else if (IsPlanar(to)) {
        EncodePlanar(picture, from, source, out);
    } else if (to == Y41P) {
        EncodeY41P(picture, from, out[0]);
    } else if (IsGrey(to)) {
        EncodeGrey(picture, from, out[0]);
    } else {
        EncodeRgb(picture, sourceFormat, to == RGB32 ? 4 : 3, out[0]);
    }
    return out;
}

std::vector<uint8_t> Demosaic(const std::vector<uint8_t>& mosaic, int width, int height, const char* tile) {
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3, 0);
    auto colourAt = [&](int row, int x) { return tile[(row & 1) * 2 + (x & 1)]; };
    const char kColours[3] = {'B', 'G', 'R'};
    for (int row = 1; row < height - 1; ++row) {
        for (int x = 1; x < width - 1; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0;
                int count = 0;
                if (colourAt(row, x) == kColours[channel]) {
                    sum = mosaic[static_cast<size_t>(row) * width + x];
                    count = 1;
                } else {
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            if (colourAt(row + dy, x + dx) == kColours[channel]) {
                                sum += mosaic[static_cast<size_t>(row + dy) * width + x + dx];
                                ++count;
                            }
                        }
                    }
                }
                bgr[3 * (static_cast<size_t>(row) * width + x) + channel] =
                    static_cast<uint8_t>((sum + count / 2) / count);
            }
        }
    }
    return bgr;
}

}  // namespace reference
