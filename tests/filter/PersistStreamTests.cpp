// IPersistStream and ISpecifyPropertyPages of the filter: the saved camera
// identifier's exact bytes, reopening the saved camera in a new filter, and
// short and corrupt streams.
#include "FilterTestSupport.h"

#include <vfwmsgs.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using PersistStream = FilterTest;

std::wstring Selected(IKorvelGenICamSource* source) {
    Bstr id;
    source->GetSelectedCamera(id.Out());
    return id.Text();
}

// The whole content of an HGLOBAL stream.
std::vector<BYTE> Contents(IStream* stream) {
    STATSTG stat = {};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start = {};
    EXPECT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    if (!bytes.empty()) {
        EXPECT_EQ(S_OK, stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    }
    EXPECT_EQ(bytes.size(), read);
    return bytes;
}

// A new stream holding bytes, positioned at its start.
IStream* StreamOf(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    if (!stream) {
        return nullptr;
    }
    if (!bytes.empty()) {
        ULONG written = 0;
        EXPECT_EQ(S_OK, stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    }
    LARGE_INTEGER start = {};
    EXPECT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
    return stream;
}

std::vector<BYTE> Header(const wchar_t* text) {
    std::vector<BYTE> bytes;
    for (; *text; ++text) {
        bytes.push_back(static_cast<BYTE>(*text & 0xFF));
        bytes.push_back(static_cast<BYTE>(*text >> 8));
    }
    return bytes;
}

std::vector<BYTE> IdentifierBlock(const std::string& text, size_t size = 100) {
    std::vector<BYTE> block(size, 0);
    std::memcpy(block.data(), text.data(), std::min(text.size(), size));
    return block;
}

std::vector<BYTE> operator+(std::vector<BYTE> first, const std::vector<BYTE>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Loads bytes into the filter; the result of Load.
HRESULT LoadInto(IPersistStream* persist, const std::vector<BYTE>& bytes) {
    IStream* stream = StreamOf(bytes);
    if (!stream) {
        return E_FAIL;
    }
    const HRESULT hr = persist->Load(stream);
    EXPECT_EQ(0u, stream->Release());
    return hr;
}

}  // namespace

TEST_F(PersistStream, SavesTheIdentifierBlockAndReportsSizes) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IPersistStream* persist = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IPersistStream, &persist));
    EXPECT_EQ(IdentityOf(filter), IdentityOf(persist));

    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_EQ(CLSID_CKorvelGenICamSource, clsid);
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    ULARGE_INTEGER size = {};
    EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(124u, size.QuadPart);
    EXPECT_EQ(E_POINTER, persist->GetSizeMax(nullptr));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));
    EXPECT_EQ(E_POINTER, persist->Load(nullptr));

    IStream* stream = StreamOf({});
    ASSERT_NE(nullptr, stream);
    ASSERT_EQ(S_OK, persist->Save(stream, FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());  // kept dirty on request
    const std::vector<BYTE> saved = Contents(stream);
    EXPECT_EQ(Header(L"00000000000 ") + IdentifierBlock(Narrow(MonoCameraId("C1"))), saved);
    ASSERT_EQ(S_OK, persist->Save(stream, TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(0u, stream->Release());

    // Loading the filter's own stream changes nothing.
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    EXPECT_EQ(S_OK, LoadInto(persist, saved));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));

    // No camera open: the header alone.
    EXPECT_EQ(E_INVALIDARG, source->SelectCamera(Bstr(L"").Get()));
    stream = StreamOf({});
    ASSERT_EQ(S_OK, persist->Save(stream, TRUE));
    EXPECT_EQ(Header(L"00000000000 "), Contents(stream));
    EXPECT_EQ(0u, stream->Release());

    source->Release();
    persist->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(PersistStream, NewFilterReopensTheSavedCamera) {
    IBaseFilter* first = CreateFilter();
    ASSERT_NE(nullptr, first);
    IKorvelGenICamSource* firstSource = nullptr;
    ASSERT_EQ(S_OK, Query(first, IID_IKorvelGenICamSource, &firstSource));
    ASSERT_EQ(S_OK, firstSource->SelectCamera(Bstr(MonoCameraId("C3").c_str()).Get()));
    IPersistStream* firstPersist = nullptr;
    ASSERT_EQ(S_OK, Query(first, IID_IPersistStream, &firstPersist));
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_EQ(S_OK, firstPersist->Save(stream, TRUE));
    firstPersist->Release();
    firstSource->Release();
    EXPECT_EQ(0u, first->Release());

    IBaseFilter* second = CreateFilter();
    ASSERT_NE(nullptr, second);
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(second, IID_IKorvelGenICamSource, &source));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));
    IPersistStream* persist = nullptr;
    ASSERT_EQ(S_OK, Query(second, IID_IPersistStream, &persist));
    LARGE_INTEGER start = {};
    ASSERT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(S_OK, persist->Load(stream));
    EXPECT_EQ(MonoCameraId("C3"), Selected(source));
    LONG device = 0;
    IKorvelGenICamConfigControl* config = nullptr;
    ASSERT_EQ(S_OK, Query(second, IID_IKorvelGenICamConfigControl, &config));
    EXPECT_EQ(S_OK, config->GetActiveDevice(&device));
    EXPECT_NE(0, device);
    config->Release();

    EXPECT_EQ(0u, stream->Release());
    persist->Release();
    source->Release();
    EXPECT_EQ(0u, second->Release());
}

TEST_F(PersistStream, ShortAndCorruptStreams) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IPersistStream* persist = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IPersistStream, &persist));
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    const std::vector<BYTE> header = Header(L"00000000000 ");
    const std::string c2 = Narrow(MonoCameraId("C2"));

    // The header alone keeps the open camera.
    EXPECT_EQ(S_OK, LoadInto(persist, header));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));

    // A header cut short, or empty, or ending in anything but white space or
    // NUL, is not a stream of ours and applies nothing.
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, LoadInto(persist, {}));
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, LoadInto(persist, Header(L"00000")));
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, LoadInto(persist, Header(L"00000000000X") + IdentifierBlock(c2)));
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, LoadInto(persist, Header(L"x0000000000 ") + IdentifierBlock(c2)));
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, LoadInto(persist, Header(L"            ") + IdentifierBlock(c2)));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));

    // Other terminators and a signed or shorter version are accepted.
    for (const wchar_t* accepted :
         {L"00000000000\t", L"00000000000\r", L"00000000000\n", L"-0000000001 ", L"7 "}) {
        EXPECT_EQ(S_OK, LoadInto(persist, Header(accepted) + IdentifierBlock(c2)));
        EXPECT_EQ(MonoCameraId("C2"), Selected(source));
        ASSERT_EQ(S_OK, source->SelectCamera(Bstr(MonoCameraId("C1").c_str()).Get()));
    }
    EXPECT_EQ(S_OK,
              LoadInto(persist, Header(L"00000000000") + std::vector<BYTE>{0, 0} + IdentifierBlock(c2)));
    EXPECT_EQ(MonoCameraId("C2"), Selected(source));
    ASSERT_EQ(S_OK, source->SelectCamera(Bstr(MonoCameraId("C1").c_str()).Get()));

    // A camera that is not attached: S_OK, the previous camera stays.
    EXPECT_EQ(S_OK, LoadInto(persist, header + IdentifierBlock("Korvel KV-M640 (C9)")));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));
    // An empty identifier block stores no camera and closes nothing.
    EXPECT_EQ(S_OK, LoadInto(persist, header + IdentifierBlock("")));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));

    // A block cut short still names its camera.
    EXPECT_EQ(S_OK, LoadInto(persist, header + IdentifierBlock(c2, c2.size())));
    EXPECT_EQ(MonoCameraId("C2"), Selected(source));
    ASSERT_EQ(S_OK, source->SelectCamera(Bstr(MonoCameraId("C1").c_str()).Get()));

    // 100 bytes without a NUL are read no further than the block: no camera
    // has that name, so the open one stays.
    std::vector<BYTE> full(100, 'A');
    EXPECT_EQ(S_OK, LoadInto(persist, header + full + IdentifierBlock(c2)));
    EXPECT_EQ(MonoCameraId("C1"), Selected(source));

    source->Release();
    persist->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(PersistStream, PropertyPagesOwnPageFirst) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    ISpecifyPropertyPages* pages = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_ISpecifyPropertyPages, &pages));
    EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(3u, list.cElems);
    ASSERT_NE(nullptr, list.pElems);
    EXPECT_EQ(CLSID_KorvelCameraSetupPage, list.pElems[0]);
    EXPECT_EQ(CLSID_VideoProcAmpPropertyPage, list.pElems[1]);
    EXPECT_EQ(CLSID_CameraControlPropertyPage, list.pElems[2]);
    CoTaskMemFree(list.pElems);
    pages->Release();
    EXPECT_EQ(0u, filter->Release());
}
