// The colour formulas restated for the tests, independently of the engine's
// own header, so a slip in one is caught by the other.
#pragma once

#include <cstdint>

namespace reference {

struct Rgb {
    int b;
    int g;
    int r;
};

inline int Clamp(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

inline int Luma(int r, int g, int b) {
    return (16843 * r + 33030 * g + 6423 * b + 1081344) >> 16;
}
inline int PairU(const Rgb& first, const Rgb& second) {
    return (28770 * (first.b + second.b) - 19071 * (first.g + second.g) - 9699 * (first.r + second.r) +
            16793600) >>
           17;
}
inline int PairV(const Rgb& first, const Rgb& second) {
    return (28770 * (first.r + second.r) - 24117 * (first.g + second.g) - 4653 * (first.b + second.b) +
            16793600) >>
           17;
}
inline int LoneU(const Rgb& pixel) {
    return (28770 * pixel.b - 19071 * pixel.g - 9699 * pixel.r + 8396800) >> 16;
}
inline int BlockU(const Rgb& a, const Rgb& b, const Rgb& c, const Rgb& d) {
    const int sumB = a.b + b.b + c.b + d.b;
    const int sumG = a.g + b.g + c.g + d.g;
    const int sumR = a.r + b.r + c.r + d.r;
    return (28770 * sumB - 19071 * sumG - 9699 * sumR + 33587200) >> 18;
}
inline int BlockV(const Rgb& a, const Rgb& b, const Rgb& c, const Rgb& d) {
    const int sumB = a.b + b.b + c.b + d.b;
    const int sumG = a.g + b.g + c.g + d.g;
    const int sumR = a.r + b.r + c.r + d.r;
    return (28770 * sumR - 24117 * sumG - 4653 * sumB + 33587200) >> 18;
}
inline int Grey(const Rgb& pixel) {
    return (1225 * pixel.r + 2404 * pixel.g + 467 * pixel.b) >> 12;
}

enum class Form { A, B, C };

inline Rgb YuvToRgb(Form form, int y, int u, int v) {
    if (form == Form::B) {
        return Rgb{Clamp((76284 * y + 132186 * u - 18140365) >> 16),
                   Clamp((76284 * y - 25690 * u - 53281 * v + 8887730) >> 16),
                   Clamp((76284 * y + 104595 * v - 14608761) >> 16)};
    }
    const bool a = form == Form::A;
    const int luma = (a ? 76282 : 76284) * (y - 16);
    const int cu = u - 128;
    const int cv = v - 128;
    return Rgb{Clamp((luma + (a ? 132184 : 132186) * cu + 32768) >> 16),
               Clamp((luma - (a ? 25689 : 25690) * cu - (a ? 53279 : 53281) * cv + 32768) >> 16),
               Clamp((luma + (a ? 104593 : 104595) * cv + 32768) >> 16)};
}

}  // namespace reference
