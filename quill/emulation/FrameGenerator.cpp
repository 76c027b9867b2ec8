#include "quill/emulation/FrameGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Quill {
namespace Emulation {

namespace {

constexpr int kPeriod = 256;    // pixels after which the bars repeat
constexpr int kScrollStep = 8;  // pixels per frame; keeps 4:1:1 groups whole
constexpr int kBarWidth = 32;
constexpr int kBands = 8;

const int kBarColours[8][3] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192}, {0, 192, 0},
                               {192, 0, 192},   {192, 0, 0},   {0, 0, 192},   {48, 48, 48}};
const double kBandStrength[kBands] = {1.0, 0.8, 0.6, 0.45, 0.3, 0.45, 0.6, 0.8};

uint8_t Clamp(double value) {
    return uint8_t(std::min(255.0, std::max(0.0, std::floor(value + 0.5))));
}

int LumaFull(int red, int green, int blue) {
    return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

// Limited-range BT.601, as video YUV formats carry it.
uint8_t VideoY(int red, int green, int blue) {
    return Clamp(16.0 + (65.481 * red + 128.553 * green + 24.966 * blue) / 255.0);
}
uint8_t VideoU(double red, double green, double blue) {
    return Clamp(128.0 + (-37.797 * red - 74.203 * green + 112.0 * blue) / 255.0);
}
uint8_t VideoV(double red, double green, double blue) {
    return Clamp(128.0 + (112.0 * red - 93.786 * green - 18.214 * blue) / 255.0);
}

// Which colour (0 red, 1 green, 2 blue) a Bayer mosaic samples at a position.
int BayerChannel(BayerPhase phase, int column, int row) {
    static const int kRG[2][2] = {{0, 1}, {1, 2}};
    static const int kBG[2][2] = {{2, 1}, {1, 0}};
    static const int kGR[2][2] = {{1, 0}, {2, 1}};
    static const int kGB[2][2] = {{1, 2}, {0, 1}};
    switch (phase) {
        case BayerPhase::RG:
            return kRG[row][column];
        case BayerPhase::BG:
            return kBG[row][column];
        case BayerPhase::GR:
            return kGR[row][column];
        case BayerPhase::GB:
            return kGB[row][column];
        case BayerPhase::None:
            break;
    }
    return 1;
}

void PutWord(uint8_t* out, uint32_t word) {
    out[0] = uint8_t(word);
    out[1] = uint8_t(word >> 8);
}

}  // namespace

void FrameGenerator::Configure(const PixelFormatInfo& format, int width, int height, double brightness) {
    if (&format == format_ && width == width_ && height == height_ && brightness == brightness_) {
        return;
    }
    format_ = &format;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    brightness_ = brightness;
    rowBytes_ = format.RowBytes(width_);
    lineBytes_ = format.RowBytes(width_ + kPeriod);
    layout_ = Pattern::ComputeStripLayout(width_, height_);
    BuildLines();
    BuildStamps();
}

FrameGenerator::Rgb FrameGenerator::SceneColour(int x, int band) const {
    const int* bar = kBarColours[(x / kBarWidth) % 8];
    const double shade = 0.7 + 0.3 * double(x % kBarWidth) / (kBarWidth - 1);
    const double gain = shade * kBandStrength[band] * brightness_;
    return Rgb{Clamp(bar[0] * gain), Clamp(bar[1] * gain), Clamp(bar[2] * gain)};
}

void FrameGenerator::EncodeLine(const std::vector<Rgb>& colours, int parity, uint8_t* out) const {
    const int pixels = int(colours.size());
    const int maximum = (1 << format_->significantBits) - 1;
    switch (format_->layout) {
        case PixelLayout::Mono8:
            for (int x = 0; x < pixels; ++x) {
                out[x] = uint8_t(LumaFull(colours[x].red, colours[x].green, colours[x].blue));
            }
            break;
        case PixelLayout::Mono16:
            for (int x = 0; x < pixels; ++x) {
                const int luma = LumaFull(colours[x].red, colours[x].green, colours[x].blue);
                PutWord(out + 2 * x, uint32_t((luma * maximum + 127) / 255));
            }
            break;
        case PixelLayout::Bayer8:
            for (int x = 0; x < pixels; ++x) {
                const int channel = BayerChannel(format_->phase, x & 1, parity);
                out[x] = uint8_t(channel == 0   ? colours[x].red
                                 : channel == 1 ? colours[x].green
                                                : colours[x].blue);
            }
            break;
        case PixelLayout::Rgb8:
        case PixelLayout::Bgr8:
        case PixelLayout::Rgba8:
        case PixelLayout::Bgra8: {
            const bool alpha = format_->layout == PixelLayout::Rgba8 || format_->layout == PixelLayout::Bgra8;
            const bool blueFirst =
                format_->layout == PixelLayout::Bgr8 || format_->layout == PixelLayout::Bgra8;
            const int size = alpha ? 4 : 3;
            for (int x = 0; x < pixels; ++x) {
                uint8_t* pixel = out + size * x;
                pixel[0] = uint8_t(blueFirst ? colours[x].blue : colours[x].red);
                pixel[1] = uint8_t(colours[x].green);
                pixel[2] = uint8_t(blueFirst ? colours[x].red : colours[x].blue);
                if (alpha) {
                    pixel[3] = 255;
                }
            }
            break;
        }
        case PixelLayout::Uyvy:
        case PixelLayout::Yuyv: {
            const bool uFirst = format_->layout == PixelLayout::Uyvy;
            for (int x = 0; x + 1 < pixels; x += 2) {
                const Rgb& a = colours[x];
                const Rgb& b = colours[x + 1];
                const double red = (a.red + b.red) / 2.0;
                const double green = (a.green + b.green) / 2.0;
                const double blue = (a.blue + b.blue) / 2.0;
                uint8_t* pair = out + 2 * x;
                const uint8_t u = VideoU(red, green, blue);
                const uint8_t v = VideoV(red, green, blue);
                const uint8_t y0 = VideoY(a.red, a.green, a.blue);
                const uint8_t y1 = VideoY(b.red, b.green, b.blue);
                if (uFirst) {
                    pair[0] = u, pair[1] = y0, pair[2] = v, pair[3] = y1;
                } else {
                    pair[0] = y0, pair[1] = u, pair[2] = y1, pair[3] = v;
                }
            }
            break;
        }
        case PixelLayout::Y41p:
            for (int x = 0; x + 7 < pixels; x += 8) {
                uint8_t* group = out + (x / 8) * 12;
                static const int kLumaOffset[8] = {1, 3, 5, 7, 8, 9, 10, 11};
                for (int half = 0; half < 2; ++half) {
                    double red = 0, green = 0, blue = 0;
                    for (int i = 0; i < 4; ++i) {
                        const Rgb& c = colours[x + 4 * half + i];
                        red += c.red / 4.0, green += c.green / 4.0, blue += c.blue / 4.0;
                    }
                    group[4 * half] = VideoU(red, green, blue);
                    group[4 * half + 2] = VideoV(red, green, blue);
                }
                for (int i = 0; i < 8; ++i) {
                    const Rgb& c = colours[x + i];
                    group[kLumaOffset[i]] = VideoY(c.red, c.green, c.blue);
                }
            }
            break;
    }
}

void FrameGenerator::EncodeFlat(int level, int pixels, uint8_t* out) const {
    const int maximum = (1 << format_->significantBits) - 1;
    switch (format_->layout) {
        case PixelLayout::Mono8:
        case PixelLayout::Bayer8:
            std::memset(out, level, size_t(pixels));
            break;
        case PixelLayout::Mono16:
            for (int x = 0; x < pixels; ++x) {
                PutWord(out + 2 * x, level == 0 ? 0u : uint32_t(maximum));
            }
            break;
        case PixelLayout::Rgb8:
        case PixelLayout::Bgr8:
            std::memset(out, level, size_t(pixels) * 3);
            break;
        case PixelLayout::Rgba8:
        case PixelLayout::Bgra8:
            for (int x = 0; x < pixels; ++x) {
                out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = uint8_t(level);
                out[4 * x + 3] = 255;
            }
            break;
        case PixelLayout::Uyvy:
        case PixelLayout::Yuyv: {
            const int lumaFirst = format_->layout == PixelLayout::Yuyv ? 1 : 0;
            for (int i = 0; i < pixels * 2; ++i) {
                out[i] = uint8_t((i & 1) == (lumaFirst ^ 1) ? level : 128);
            }
            break;
        }
        case PixelLayout::Y41p:
            for (int group = 0; group < pixels / 8; ++group) {
                static const uint8_t kChroma[12] = {1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0};
                for (int i = 0; i < 12; ++i) {
                    out[12 * group + i] = uint8_t(kChroma[i] != 0 ? 128 : level);
                }
            }
            break;
    }
}

void FrameGenerator::BuildLines() {
    const bool bayer = format_->layout == PixelLayout::Bayer8;
    const int parities = bayer ? 2 : 1;
    const int linePixels = width_ + kPeriod;
    lines_.assign(lineBytes_ * kBands * parities, 0);
    std::vector<Rgb> colours(size_t(linePixels), Rgb{0, 0, 0});
    for (int band = 0; band < kBands; ++band) {
        for (int x = 0; x < linePixels; ++x) {
            colours[size_t(x)] = SceneColour(x, band);
        }
        for (int parity = 0; parity < parities; ++parity) {
            EncodeLine(colours, parity, lines_.data() + lineBytes_ * size_t(band * parities + parity));
        }
    }
    rowLine_.resize(size_t(height_));
    for (int y = 0; y < height_; ++y) {
        const int band = int(int64_t(y) * kBands / std::max(1, height_));
        rowLine_[size_t(y)] = uint32_t(band * parities + (bayer ? (y & 1) : 0));
    }
}

void FrameGenerator::BuildStamps() {
    if (!layout_.valid) {
        black_.clear();
        white_.clear();
        return;
    }
    const size_t bytes = format_->RowBytes(layout_.blockWidth);
    black_.assign(bytes, 0);
    white_.assign(bytes, 0);
    EncodeFlat(0, layout_.blockWidth, black_.data());
    EncodeFlat(255, layout_.blockWidth, white_.data());
}

void FrameGenerator::Render(uint8_t* destination, uint64_t frameNumber) const {
    if (format_ == nullptr || rowBytes_ == 0) {
        return;
    }
    const int scrollPixels = int((frameNumber * kScrollStep) % kPeriod);
    const size_t offset = format_->RowBytes(scrollPixels);
    for (int y = 0; y < height_; ++y) {
        std::memcpy(destination + size_t(y) * rowBytes_,
                    lines_.data() + rowLine_[size_t(y)] * lineBytes_ + offset, rowBytes_);
    }
    if (!layout_.valid) {
        return;
    }
    const uint32_t number = uint32_t(frameNumber & 0xFFFF);
    const size_t blockBytes = black_.size();
    for (int strip = 0; strip < 2; ++strip) {
        for (int bit = 0; bit < Pattern::kFrameNumberBits; ++bit) {
            const bool one = ((number >> (Pattern::kFrameNumberBits - 1 - bit)) & 1) != 0;
            const uint8_t* stamp = one ? white_.data() : black_.data();
            const size_t column = format_->RowBytes(layout_.BlockX(bit));
            const int top = layout_.BlockY(strip, bit);
            for (int row = 0; row < layout_.blockHeight; ++row) {
                std::memcpy(destination + size_t(top + row) * rowBytes_ + column, stamp, blockBytes);
            }
        }
    }
}

}  // namespace Emulation
}  // namespace Quill
