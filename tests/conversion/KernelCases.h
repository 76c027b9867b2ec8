// The kernel table's entries as calls the variant tests can make on any
// table: the shapes of each entry's source and destination planes and a
// function that calls the entry with the planes of one test picture.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "conversion/kernels/KernelTable.h"

namespace kernel_cases {

// A plane's size relative to the picture: 'bytes' per pixel of a row of
// width / divisor pixels (rounded up), height / divisor rows (rounded up).
struct PlaneShape {
    int32_t bytes;
    int32_t divisor;
};

// The pointers and strides handed to one kernel call.
struct CallPlanes {
    const uint8_t* in[4] = {};
    int32_t inStrides[4] = {};
    uint8_t* out[3] = {};
    int32_t outStrides[3] = {};
};

typedef std::function<int32_t(const kernels::KernelTable&, const CallPlanes&, int32_t width, int32_t height)>
    Invoke;

struct KernelCase {
    const char* name;
    std::vector<PlaneShape> sources;
    std::vector<PlaneShape> destinations;
    bool inPlace;  // the destination holds the input (random) rather than a fill
    Invoke invoke;
};

// Every entry of the table, with the refusal cases of the entries that take
// an order, a map, a luma position or an alpha value.
std::vector<KernelCase> AllKernels();
// The case of that name among them; std::invalid_argument when there is none.
KernelCase CaseNamed(const char* name);

// Names the case in failure messages instead of dumping its bytes.
inline void PrintTo(const KernelCase& kernel, std::ostream* out) {
    *out << kernel.name;
}

}  // namespace kernel_cases

// A kernel of the common shape: one packed source, one packed destination.
#define KORVEL_PACKED_CASE(kernel, inBytes, outBytes)                                                      \
    kernel_cases::KernelCase {                                                                             \
#kernel,                                                                                           \
            {{inBytes, 1 } },                                                                              \
             {{outBytes, 1 } }, false,                                                                     \
              [](const kernels::KernelTable& t, const kernel_cases::CallPlanes& p, int32_t w,              \
                 int32_t h) { return t.kernel(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h); } \
    }
#define KORVEL_ALPHA_CASE(kernel, inBytes)                                                                   \
    kernel_cases::KernelCase {                                                                               \
#kernel,                                                                                             \
            {{inBytes, 1 } },                                                                                \
             {{4, 1 } }, false,                                                                              \
              [](const kernels::KernelTable& t, const kernel_cases::CallPlanes& p, int32_t w,                \
                 int32_t                                                                                     \
                     h) { return t.kernel(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 0x3C); } \
    }
// The luma bytes of packed 4:2:2 from byte 'first' of each pair (2: refused).
#define KORVEL_LUMA_CASE(kernel, first)                                                                       \
    kernel_cases::KernelCase {                                                                                \
#kernel " luma " #first,                                                                              \
            {{2, 1 } },                                                                                       \
             {{1, 1 } }, false,                                                                               \
              [](const kernels::KernelTable& t, const kernel_cases::CallPlanes& p, int32_t w,                 \
                 int32_t                                                                                      \
                     h) { return t.kernel(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, first); } \
    }
#define KORVEL_TO_PLANAR_CASE(kernel, inBytes)                                                              \
    kernel_cases::KernelCase {                                                                              \
#kernel, {{inBytes, 1 } },                                                                          \
                  {{1, 1 },                                                                                 \
                    {1, 2 }, {1, 2 } }, false,                                                              \
                     [](const kernels::KernelTable& t, const kernel_cases::CallPlanes& p, int32_t w,        \
                        int32_t h) { return t.kernel(p.in[0], p.inStrides[0], p.out, p.outStrides, w, h); } \
    }
#define KORVEL_FROM_PLANAR_CASE(kernel, outBytes)                                                           \
    kernel_cases::KernelCase {                                                                              \
#kernel, {{1, 1 },                                                                                  \
                   {1, 2 }, {1, 2 } },                                                                      \
                    {{outBytes, 1 } }, false,                                                               \
                     [](const kernels::KernelTable& t, const kernel_cases::CallPlanes& p, int32_t w,        \
                        int32_t h) { return t.kernel(p.in, p.inStrides, p.out[0], p.outStrides[0], w, h); } \
    }
