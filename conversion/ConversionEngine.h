// Converts one frame from its delivered format into a negotiated one through a
// 24 x 24 matrix of routines, and answers the negotiation's questions about
// which conversions exist. One caller at a time: the routines borrow the
// engine's scratch buffers.
#pragma once

#include <cstdint>

#include "conversion/ConversionRoutines.h"
#include "conversion/PortableTypes.h"
#include "conversion/ScratchBuffers.h"
#include "conversion/VideoFormatCatalogue.h"

#ifdef _WIN32
#include <strmif.h>
#else
struct AM_MEDIA_TYPE;  // conversion/PortableMediaTypes.h
#endif

class ConversionEngine {
  public:
    // Selects the kernels for this processor and builds the matrix.
    ConversionEngine();
    ConversionEngine(const ConversionEngine&) = delete;
    ConversionEngine& operator=(const ConversionEngine&) = delete;

    // Heights and strides are signed. A negative stride means the pointer
    // addresses the first row to be processed and the rows run towards lower
    // addresses; a negative height means a top-down picture in the formats
    // whose orientation follows the height's sign (the RGB ones). Buffer sizes
    // are in bytes. Returns E_INVALIDARG, having written nothing, for anything it
    // cannot convert safely; otherwise the routine's result.
    HRESULT ConvertFrame(const uint8_t* source, int64_t sourceSize, int32_t width, int32_t sourceHeight,
                         int32_t sourceStride, VideoFormatId sourceFormat, uint8_t* destination,
                         int64_t destinationSize, int32_t destinationWidth, int32_t destinationHeight,
                         int32_t destinationStride, VideoFormatId destinationFormat);

    bool HasRoutine(VideoFormatId source, VideoFormatId destination) const;
    // The routine of a pair, or null.
    ConversionRoutine RoutineFor(VideoFormatId source, VideoFormatId destination) const;

    // Destinations reachable from a source, other than the source itself, in
    // ascending id.
    int32_t DestinationCount(VideoFormatId source) const;
    HRESULT DestinationAt(VideoFormatId source, int32_t index, VideoFormatId* destination) const;

    // The routine chosen by the last ConvertFrame that reached one.
    ConversionRoutine LastRoutine() const { return lastRoutine_; }
    ScratchBuffers& Scratch() { return scratch_; }

    // Media-type side (OutputMediaTypes.cpp, library conversion_mediatypes).
    int32_t DestinationCountForMediaType(const AM_MEDIA_TYPE* mediaType) const;
    HRESULT OutputMediaTypeAt(const AM_MEDIA_TYPE* input, int32_t index, AM_MEDIA_TYPE* output,
                              bool useVideoInfo2) const;
    bool CanConvert(const AM_MEDIA_TYPE* source, const AM_MEDIA_TYPE* destination) const;
    HRESULT BuildOutputMediaType(const AM_MEDIA_TYPE* input, VideoFormatId destination, AM_MEDIA_TYPE* output,
                                 bool useVideoInfo2) const;
    HRESULT BuildOutputMediaTypeFromSize(VideoFormatId format, int32_t width, int32_t height,
                                         double frameRate, AM_MEDIA_TYPE* output, bool useVideoInfo2) const;

  private:
    void BuildMatrix();

    ConversionRoutine lastRoutine_ = nullptr;
    ScratchBuffers scratch_;
    ConversionRoutine matrix_[VideoFormat::Count][VideoFormat::Count];
};
