// Speed of every conversion of the engine at 640 x 480 and 1920 x 1080 on one
// thread, beside libyuv and OpenCV where they offer the same conversion. Only
// measures; prints one table.
//
//   bench_conversion [milliseconds per measurement, default 20] [name filter]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "conversion/ConversionEngine.h"

#ifdef KORVEL_HAVE_LIBYUV
#include <libyuv.h>
#endif
#ifdef KORVEL_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using namespace VideoFormat;

struct Conversion {
    VideoFormatId from;
    VideoFormatId to;
    const char* name;
};

const Conversion kConversions[] = {
#define KORVEL_BENCH_CASE(from, to) {from, to, #from "To" #to},
    KORVEL_CONVERSION_ROUTINES(KORVEL_BENCH_CASE)
#undef KORVEL_BENCH_CASE
};

bool IsPlanar(VideoFormatId id) {
    return VideoFormatCatalogue::Row(id)->planar != 0;
}

// Packed pictures with rows of exactly one row of the format; planar ones as
// one contiguous block, the form libyuv and OpenCV read as well.
struct Picture {
    VideoFormatId format;
    int width;
    int height;
    int stride;
    std::vector<uint8_t> bytes;

    Picture(VideoFormatId id, int w, int h) : format(id), width(w), height(h) {
        stride = static_cast<int>(VideoFormatCatalogue::MinimumRowBytes(id, w));
        const size_t size = IsPlanar(id)
                                ? static_cast<size_t>(VideoFormatCatalogue::PlanarPictureBytes(id, w, h))
                                : static_cast<size_t>(stride) * h;
        bytes.resize(size);
    }
    uint8_t* Luma() { return bytes.data(); }
    // Chroma planes in logical order whatever the memory order.
    uint8_t* U() { return bytes.data() + width * height + (format == YV12 ? (width / 2) * (height / 2) : 0); }
    uint8_t* V() { return bytes.data() + width * height + (format == YV12 ? 0 : (width / 2) * (height / 2)); }
};

// The contenders of one conversion (memcpy, the engine, the baselines) are
// measured in turns: five rounds, each giving every contender a batch of at
// least a fifth of 'minimumSeconds', and each keeps its fastest batch. Other
// processes on the machine only ever slow a batch down, and taking turns
// spreads their load over all contenders alike. Each batch starts after one
// untimed run of its own contender: otherwise a batch would begin by writing
// back what the contender before it left dirty in the cache (memcpy's 16 MB
// at 1920 x 1080) and a contender following one that wrote the same
// destination would start warm, a bias that at this size is worth a factor
// of several to whoever happens to come later in the turn.
std::vector<double> SecondsPerRun(const std::vector<std::function<void()>>& runs, double minimumSeconds) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> best(runs.size(), 0.0);
    for (int round = 0; round < 5; ++round) {
        for (size_t contender = 0; contender < runs.size(); ++contender) {
            runs[contender]();  // warm caches and scratch buffers
            int count = 0;
            const Clock::time_point start = Clock::now();
            double elapsed = 0.0;
            do {
                runs[contender]();
                ++count;
                elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            } while (elapsed < minimumSeconds / 5 || count < 2);
            const double perRun = elapsed / count;
            if (round == 0 || perRun < best[contender]) {
                best[contender] = perRun;
            }
        }
    }
    return best;
}

#ifdef KORVEL_HAVE_LIBYUV
// libyuv's ARGB is B, G, R, A in memory and its RGB24 is B, G, R, as ours.
std::function<void()> LibyuvRun(Picture& source, Picture& destination) {
    Picture* s = &source;
    Picture* d = &destination;
    const int w = s->width;
    const int h = s->height;
    const VideoFormatId from = s->format;
    const VideoFormatId to = d->format;
    const bool toPlanar = to == I420 || to == YV12;
    const bool fromPlanar = from == I420 || from == YV12;
    if (toPlanar) {
        const int cw = w / 2;
        switch (from) {
            case UYVY:
                return [=] {
                    libyuv::UYVYToI420(s->Luma(), s->stride, d->Luma(), w, d->U(), cw, d->V(), cw, w, h);
                };
            case YUY2:
                return [=] {
                    libyuv::YUY2ToI420(s->Luma(), s->stride, d->Luma(), w, d->U(), cw, d->V(), cw, w, h);
                };
            case RGB32:
                return [=] {
                    libyuv::ARGBToI420(s->Luma(), s->stride, d->Luma(), w, d->U(), cw, d->V(), cw, w, h);
                };
            case RGB24:
                return [=] {
                    libyuv::RGB24ToI420(s->Luma(), s->stride, d->Luma(), w, d->U(), cw, d->V(), cw, w, h);
                };
            case Y800:
                return [=] {
                    libyuv::I400ToI420(s->Luma(), s->stride, d->Luma(), w, d->U(), cw, d->V(), cw, w, h);
                };
            case I420:
            case YV12:
                return [=] {
                    libyuv::I420Copy(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), w, d->U(), cw, d->V(),
                                     cw, w, h);
                };
            default:
                return nullptr;
        }
    }
    if (fromPlanar) {
        const int cw = w / 2;
        switch (to) {
            case UYVY:
                return [=] {
                    libyuv::I420ToUYVY(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), d->stride, w, h);
                };
            case YUY2:
                return [=] {
                    libyuv::I420ToYUY2(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), d->stride, w, h);
                };
            case RGB32:
                return [=] {
                    libyuv::I420ToARGB(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), d->stride, w, h);
                };
            case RGB24:
                return [=] {
                    libyuv::I420ToRGB24(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), d->stride, w, h);
                };
            case Y800:
                return [=] {
                    libyuv::I420ToI400(s->Luma(), w, s->U(), cw, s->V(), cw, d->Luma(), d->stride, w, h);
                };
            default:
                return nullptr;
        }
    }
    const uint8_t* in = s->Luma();
    const int inStride = s->stride;
    uint8_t* out = d->Luma();
    const int outStride = d->stride;
    if (from == UYVY && to == RGB32) {
        return [=] { libyuv::UYVYToARGB(in, inStride, out, outStride, w, h); };
    }
    if (from == UYVY && to == Y800) {
        return [=] { libyuv::UYVYToY(in, inStride, out, outStride, w, h); };
    }
    if (from == YUY2 && to == RGB32) {
        return [=] { libyuv::YUY2ToARGB(in, inStride, out, outStride, w, h); };
    }
    if (from == YUY2 && to == Y800) {
        return [=] { libyuv::YUY2ToY(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB32 && to == YUY2) {
        return [=] { libyuv::ARGBToYUY2(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB32 && to == UYVY) {
        return [=] { libyuv::ARGBToUYVY(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB32 && to == RGB24) {
        return [=] { libyuv::ARGBToRGB24(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB32 && to == Y800) {
        return [=] { libyuv::ARGBToJ400(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB24 && to == RGB32) {
        return [=] { libyuv::RGB24ToARGB(in, inStride, out, outStride, w, h); };
    }
    if (from == RGB24 && to == Y800) {
        return [=] { libyuv::RGB24ToJ400(in, inStride, out, outStride, w, h); };
    }
    if (from == Y800 && to == RGB32) {
        return [=] { libyuv::J400ToARGB(in, inStride, out, outStride, w, h); };
    }
    return nullptr;
}
#endif

#ifdef KORVEL_HAVE_OPENCV
int OpenCvCode(VideoFormatId from, VideoFormatId to) {
    const bool rgb24 = to == RGB24;
    const bool rgb32 = to == RGB32;
    const bool grey = to == Y800;
    switch (from) {
        case UYVY:
            return rgb24   ? cv::COLOR_YUV2BGR_UYVY
                   : rgb32 ? cv::COLOR_YUV2BGRA_UYVY
                   : grey  ? cv::COLOR_YUV2GRAY_UYVY
                           : -1;
        case YUY2:
            return rgb24   ? cv::COLOR_YUV2BGR_YUY2
                   : rgb32 ? cv::COLOR_YUV2BGRA_YUY2
                   : grey  ? cv::COLOR_YUV2GRAY_YUY2
                           : -1;
        case YVYU:
            return rgb24   ? cv::COLOR_YUV2BGR_YVYU
                   : rgb32 ? cv::COLOR_YUV2BGRA_YVYU
                   : grey  ? cv::COLOR_YUV2GRAY_YVYU
                           : -1;
        case YV12:
            return rgb24   ? cv::COLOR_YUV2BGR_YV12
                   : rgb32 ? cv::COLOR_YUV2BGRA_YV12
                   : grey  ? cv::COLOR_YUV2GRAY_420
                           : -1;
        case I420:
            return rgb24   ? cv::COLOR_YUV2BGR_I420
                   : rgb32 ? cv::COLOR_YUV2BGRA_I420
                   : grey  ? cv::COLOR_YUV2GRAY_420
                           : -1;
        case RGB24:
            return to == I420   ? cv::COLOR_BGR2YUV_I420
                   : to == YV12 ? cv::COLOR_BGR2YUV_YV12
                   : rgb32      ? cv::COLOR_BGR2BGRA
                   : grey       ? cv::COLOR_BGR2GRAY
                                : -1;
        case RGB32:
            return to == I420   ? cv::COLOR_BGRA2YUV_I420
                   : to == YV12 ? cv::COLOR_BGRA2YUV_YV12
                   : rgb24      ? cv::COLOR_BGRA2BGR
                   : grey       ? cv::COLOR_BGRA2GRAY
                                : -1;
        case Y800:
            return rgb24 ? cv::COLOR_GRAY2BGR : rgb32 ? cv::COLOR_GRAY2BGRA : -1;
        case BYBG:
            return rgb24   ? cv::COLOR_BayerBGGR2BGR
                   : rgb32 ? cv::COLOR_BayerBGGR2BGRA
                   : grey  ? cv::COLOR_BayerBGGR2GRAY
                           : -1;
        case BYGB:
            return rgb24   ? cv::COLOR_BayerGBRG2BGR
                   : rgb32 ? cv::COLOR_BayerGBRG2BGRA
                   : grey  ? cv::COLOR_BayerGBRG2GRAY
                           : -1;
        case BYRG:
            return rgb24   ? cv::COLOR_BayerRGGB2BGR
                   : rgb32 ? cv::COLOR_BayerRGGB2BGRA
                   : grey  ? cv::COLOR_BayerRGGB2GRAY
                           : -1;
        case BYGR:
            return rgb24   ? cv::COLOR_BayerGRBG2BGR
                   : rgb32 ? cv::COLOR_BayerGRBG2BGRA
                   : grey  ? cv::COLOR_BayerGRBG2GRAY
                           : -1;
        default:
            return -1;
    }
}

// A Mat header over a picture: packed as rows x bytes-per-row channels; planar
// as one plane of 3/2 the height, as cvtColor expects for 4:2:0.
cv::Mat MatOver(Picture& picture) {
    if (IsPlanar(picture.format)) {
        return cv::Mat(picture.height * 3 / 2, picture.width, CV_8UC1, picture.Luma());
    }
    const int bytesPerPixel = picture.format == RGB32                            ? 4
                              : picture.format == RGB24                          ? 3
                              : picture.format == Y800 || picture.format >= BYBG ? 1
                                                                                 : 2;
    return cv::Mat(picture.height, picture.width, CV_8UC(bytesPerPixel), picture.Luma(), picture.stride);
}

std::function<void()> OpenCvRun(Picture& source, Picture& destination) {
    const int code = OpenCvCode(source.format, destination.format);
    if (code < 0) {
        return nullptr;
    }
    cv::Mat in = MatOver(source);
    cv::Mat out = MatOver(destination);
    return [in, out, code]() mutable { cv::cvtColor(in, out, code); };
}
#endif

struct Measurement {
    double seconds = 0.0;
    bool present = false;
};

void PrintCell(const Measurement& measurement, double pixels, double memcpySeconds) {
    if (!measurement.present) {
        std::printf(" %9s %7s", "-", "-");
        return;
    }
    std::printf(" %9.1f %7.3f", pixels / measurement.seconds / 1e6, memcpySeconds / measurement.seconds);
}

// The goals: at least as fast as the faster of libyuv and OpenCV where either
// offers the conversion, and at least this share of memcpy's speed on the
// same bytes.
constexpr double kMemcpyShareGoal = 0.25;

struct Misses {
    int conversions = 0;
    int baseline = 0;
    int memcpy = 0;
    int either = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const double minimumSeconds = (argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0) / 1000.0;
    const char* only = argc > 2 ? argv[2] : nullptr;  // measure only names containing this
#ifdef KORVEL_HAVE_OPENCV
    cv::setNumThreads(1);
#endif
    std::mt19937 random(1);
    std::uniform_int_distribution<int> byte(0, 255);
    ConversionEngine engine;

    std::printf(
        "One thread. Mpix/s = million source pixels a second; xmemcpy = memcpy time of the larger of the\n");
    std::printf("source and destination frames divided by the conversion's time (1.0: as fast as memcpy).\n");
    std::printf("Destinations of the engine are written as the pins write them (RGB bottom-up).\n");
    std::printf(
        "xbest = engine speed over the faster of libyuv and OpenCV. MISS columns: 'best' below 1.0\n");
    std::printf("xbest, 'mem' below %.2f xmemcpy. Each figure is the fastest of five batches, taken\n",
                kMemcpyShareGoal);
    std::printf("in turns with the other contenders of its row.\n\n");
    std::printf("%-14s %-9s | %9s %7s | %9s %7s | %9s %7s | %6s %-9s\n", "conversion", "size", "engine",
                "xmemcpy", "libyuv", "xmemcpy", "OpenCV", "xmemcpy", "xbest", "MISS");

    const int sizes[2][2] = {{640, 480}, {1920, 1080}};
    Misses misses[2];
    for (const Conversion& conversion : kConversions) {
        if (only != nullptr && std::strstr(conversion.name, only) == nullptr) {
            continue;
        }
        for (int sizeIndex = 0; sizeIndex < 2; ++sizeIndex) {
            const int width = sizes[sizeIndex][0];
            const int height = sizes[sizeIndex][1];
            Picture source(conversion.from, width, height);
            Picture destination(conversion.to, width, height);
            for (uint8_t& value : source.bytes) {
                value = static_cast<uint8_t>(byte(random));
            }
            std::vector<uint8_t> copyIn(std::max(source.bytes.size(), destination.bytes.size()));
            std::vector<uint8_t> copyOut(copyIn.size());
            std::vector<std::function<void()>> runs;
            runs.push_back([&] { std::memcpy(copyOut.data(), copyIn.data(), copyIn.size()); });
            HRESULT result = S_OK;
            runs.push_back([&] {
                result =
                    engine.ConvertFrame(source.bytes.data(), static_cast<int64_t>(source.bytes.size()), width,
                                        height, source.stride, conversion.from, destination.bytes.data(),
                                        static_cast<int64_t>(destination.bytes.size()), width, height,
                                        destination.stride, conversion.to);
            });
            Measurement ours;
            Measurement libyuvTime;
            Measurement openCvTime;
            size_t libyuvIndex = 0;
            size_t openCvIndex = 0;
#ifdef KORVEL_HAVE_LIBYUV
            if (std::function<void()> run = LibyuvRun(source, destination)) {
                libyuvIndex = runs.size();
                runs.push_back(run);
            }
#endif
#ifdef KORVEL_HAVE_OPENCV
            if (std::function<void()> run = OpenCvRun(source, destination)) {
                openCvIndex = runs.size();
                runs.push_back(run);
            }
#endif
            const std::vector<double> seconds = SecondsPerRun(runs, minimumSeconds);
            const double memcpySeconds = seconds[0];
            ours.seconds = seconds[1];
            ours.present = result == S_OK;
            libyuvTime.present = libyuvIndex != 0;
            libyuvTime.seconds = libyuvTime.present ? seconds[libyuvIndex] : 0.0;
            openCvTime.present = openCvIndex != 0;
            openCvTime.seconds = openCvTime.present ? seconds[openCvIndex] : 0.0;
            char sizeText[16];
            std::snprintf(sizeText, sizeof sizeText, "%dx%d", width, height);
            std::printf("%-14s %-9s |", conversion.name, sizeText);
            const double pixels = static_cast<double>(width) * height;
            PrintCell(ours, pixels, memcpySeconds);
            std::printf(" |");
            PrintCell(libyuvTime, pixels, memcpySeconds);
            std::printf(" |");
            PrintCell(openCvTime, pixels, memcpySeconds);

            double fastest = 0.0;  // the faster baseline's seconds, 0 without one
            for (const Measurement* baseline : {&libyuvTime, &openCvTime}) {
                if (baseline->present && (fastest == 0.0 || baseline->seconds < fastest)) {
                    fastest = baseline->seconds;
                }
            }
            const bool missesBaseline = ours.present && fastest > 0.0 && ours.seconds > fastest;
            const bool missesMemcpy = !ours.present || memcpySeconds / ours.seconds < kMemcpyShareGoal;
            if (fastest > 0.0 && ours.present) {
                std::printf(" | %6.2f", fastest / ours.seconds);
            } else {
                std::printf(" | %6s", "-");
            }
            std::printf(" %-4s %-4s\n", missesBaseline ? "best" : "", missesMemcpy ? "mem" : "");
            Misses& count = misses[sizeIndex];
            ++count.conversions;
            count.baseline += missesBaseline ? 1 : 0;
            count.memcpy += missesMemcpy ? 1 : 0;
            count.either += missesBaseline || missesMemcpy ? 1 : 0;
            std::fflush(stdout);
        }
    }
    std::printf("\n");
    for (int sizeIndex = 0; sizeIndex < 2; ++sizeIndex) {
        const Misses& count = misses[sizeIndex];
        std::printf(
            "%dx%d: %d conversions, %d miss a goal (%d slower than the best baseline, %d below %.2f "
            "xmemcpy)\n",
            sizes[sizeIndex][0], sizes[sizeIndex][1], count.conversions, count.either, count.baseline,
            count.memcpy, kMemcpyShareGoal);
    }
    return 0;
}
