#include "conversion/BayerDemosaic.h"

#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"

namespace routines {

HRESULT DemosaicBayerRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase,
                          int32_t firstRow, int32_t rowCount) {
    return support::FromKernel(kernels::ActiveKernelTable().DemosaicBayer(
        source, sourceStride, destination, destinationStride, width, height, static_cast<int32_t>(phase),
        firstRow, rowCount));
}

HRESULT DemosaicBayerBGRA(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase,
                          uint8_t alpha) {
    return support::FromKernel(kernels::ActiveKernelTable().DemosaicBayerBGRA(
        source, sourceStride, destination, destinationStride, width, height, static_cast<int32_t>(phase), 0,
        height, alpha));
}

HRESULT DemosaicBayerGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase) {
    return support::FromKernel(kernels::ActiveKernelTable().DemosaicBayerGrey(
        source, sourceStride, destination, destinationStride, width, height, static_cast<int32_t>(phase), 0,
        height));
}

}  // namespace routines
