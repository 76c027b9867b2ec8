// CMediaType and the media-type helpers, used directly: copies own their
// format blocks and pUnk references, comparison looks at the format bytes,
// partial types match what they specify.
#include <cstring>

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include "baseclasses/MediaType.h"

namespace {

// An IUnknown that only counts, to watch pUnk references.
class CountedUnknown : public IUnknown {
  public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    LONG refs = 1;
};

CMediaType VideoType(const GUID& subtype, LONG width) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = 48;
    return type;
}

}  // namespace

TEST(BaseClassesMediaType, CopiesOwnTheirFormatBlockAndPunk) {
    CountedUnknown unknown;
    CMediaType original = VideoType(MEDIASUBTYPE_RGB24, 64);
    original.pUnk = &unknown;
    unknown.AddRef();

    CMediaType copy(original);
    EXPECT_EQ(3, unknown.refs);
    EXPECT_NE(original.Format(), copy.Format());
    EXPECT_EQ(original.FormatLength(), copy.FormatLength());
    EXPECT_TRUE(copy == original);

    AM_MEDIA_TYPE* created = CreateMediaType(&original);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(4, unknown.refs);
    EXPECT_NE(original.pbFormat, created->pbFormat);
    EXPECT_EQ(0, std::memcmp(original.pbFormat, created->pbFormat, created->cbFormat));
    DeleteMediaType(created);
    EXPECT_EQ(3, unknown.refs);
    DeleteMediaType(nullptr);

    AM_MEDIA_TYPE plain = {};
    ASSERT_EQ(S_OK, CopyMediaType(&plain, &original));
    EXPECT_EQ(4, unknown.refs);
    FreeMediaType(plain);
    EXPECT_EQ(nullptr, plain.pbFormat);
    EXPECT_EQ(0u, plain.cbFormat);
    EXPECT_EQ(nullptr, plain.pUnk);
    EXPECT_EQ(3, unknown.refs);

    // Assignment replaces, self-assignment keeps.
    CMediaType other = VideoType(MEDIASUBTYPE_RGB32, 32);
    other = original;
    EXPECT_TRUE(other == original);
    EXPECT_EQ(4, unknown.refs);
    other = other;
    EXPECT_TRUE(other == original);
    other.InitMediaType();
    EXPECT_EQ(3, unknown.refs);
    EXPECT_FALSE(other.IsValid());
    EXPECT_EQ(nullptr, other.Format());
    EXPECT_TRUE(other.IsFixedSize());
    EXPECT_EQ(1u, other.GetSampleSize());

    copy.InitMediaType();
    original.InitMediaType();
    EXPECT_EQ(1, unknown.refs);
}

TEST(BaseClassesMediaType, ComparesGuidsAndFormatBytes) {
    const CMediaType wide = VideoType(MEDIASUBTYPE_RGB24, 64);
    const CMediaType narrow = VideoType(MEDIASUBTYPE_RGB24, 32);
    const CMediaType rgb32 = VideoType(MEDIASUBTYPE_RGB32, 64);
    EXPECT_TRUE(wide == VideoType(MEDIASUBTYPE_RGB24, 64));
    EXPECT_TRUE(wide != narrow);
    EXPECT_TRUE(wide != rgb32);

    // Sample size and compression do not take part.
    CMediaType sized = VideoType(MEDIASUBTYPE_RGB24, 64);
    sized.SetSampleSize(9216);
    sized.SetTemporalCompression(TRUE);
    EXPECT_TRUE(sized == wide);
    EXPECT_EQ(9216u, sized.GetSampleSize());
    sized.SetVariableSize();
    EXPECT_FALSE(sized.IsFixedSize());
    EXPECT_EQ(0u, sized.GetSampleSize());

    // Partial types match on what they specify.
    CMediaType anyVideo(&MEDIATYPE_Video);
    EXPECT_TRUE(anyVideo.IsPartiallySpecified());
    EXPECT_TRUE(wide.MatchesPartial(&anyVideo));
    EXPECT_TRUE(rgb32.MatchesPartial(&anyVideo));
    CMediaType rgb24Only(&MEDIATYPE_Video);
    rgb24Only.SetSubtype(&MEDIASUBTYPE_RGB24);
    EXPECT_TRUE(wide.MatchesPartial(&rgb24Only));
    EXPECT_FALSE(rgb32.MatchesPartial(&rgb24Only));
    EXPECT_TRUE(wide.MatchesPartial(&wide));
    EXPECT_FALSE(narrow.MatchesPartial(&wide));
    EXPECT_FALSE(wide.IsPartiallySpecified());
    CMediaType audio(&MEDIATYPE_Audio);
    EXPECT_FALSE(wide.MatchesPartial(&audio));
}

TEST(BaseClassesMediaType, FormatBufferOperations) {
    CMediaType type(&MEDIATYPE_Video);
    const BYTE bytes[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(type.SetFormat(bytes, 6));
    ASSERT_EQ(6u, type.FormatLength());
    EXPECT_EQ(0, std::memcmp(bytes, type.Format(), 6));

    BYTE* grown = type.ReallocFormatBuffer(8);
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(8u, type.FormatLength());
    EXPECT_EQ(0, std::memcmp(bytes, grown, 6));
    EXPECT_EQ(0, grown[6]);
    BYTE* shrunk = type.ReallocFormatBuffer(2);
    ASSERT_NE(nullptr, shrunk);
    EXPECT_EQ(2u, type.FormatLength());
    EXPECT_EQ(1, shrunk[0]);
    EXPECT_EQ(2, shrunk[1]);

    // Too short for a VIDEOINFOHEADER: not handed out as one.
    EXPECT_EQ(nullptr, type.FormatAs<VIDEOINFOHEADER>());
    ASSERT_NE(nullptr, type.ReallocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    EXPECT_EQ(reinterpret_cast<const VIDEOINFOHEADER*>(type.Format()), type.FormatAs<VIDEOINFOHEADER>());

    type.ResetFormatBuffer();
    EXPECT_EQ(nullptr, type.FormatAs<BYTE>());
    EXPECT_EQ(nullptr, type.Format());
    EXPECT_EQ(0u, type.FormatLength());
    EXPECT_TRUE(type.SetFormat(nullptr, 0));
    EXPECT_FALSE(type.SetFormat(nullptr, 4));
}
