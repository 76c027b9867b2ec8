#include "tools/capture/VideoFormatNames.h"

#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// {FOURCC-0000-0010-8000-00AA00389B71}
const GUID kFourccBase = {0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

GUID SubtypeOfFourcc(uint32_t fourcc) {
    GUID subtype = kFourccBase;
    subtype.Data1 = fourcc;
    return subtype;
}

uint32_t MakeFourcc(const std::string& code) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24);
}

struct RgbName {
    const GUID* subtype;
    const char* name;
};

const RgbName kRgbNames[] = {
    {&MEDIASUBTYPE_RGB24, "RGB24"}, {&MEDIASUBTYPE_RGB32, "RGB32"},   {&MEDIASUBTYPE_ARGB32, "ARGB32"},
    {&MEDIASUBTYPE_RGB8, "RGB8"},   {&MEDIASUBTYPE_RGB565, "RGB565"}, {&MEDIASUBTYPE_RGB555, "RGB555"},
};

std::string Upper(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

}  // namespace

namespace VideoFormatNames {

bool SubtypeFromName(const std::string& name, GUID* subtype) {
    const std::string upper = Upper(name);
    for (const RgbName& entry : kRgbNames) {
        if (upper == entry.name) {
            *subtype = *entry.subtype;
            return true;
        }
    }
    if (upper == "GREY" || upper == "GRAY" || upper == "MONO8") {
        *subtype = SubtypeOfFourcc(MakeFourcc("Y800"));
        return true;
    }
    if (upper == "BAYERRG8") {
        *subtype = SubtypeOfFourcc(MakeFourcc("BYRG"));
        return true;
    }
    if (upper == "BAYERGR8") {
        *subtype = SubtypeOfFourcc(MakeFourcc("BYGR"));
        return true;
    }
    if (upper == "BAYERGB8") {
        *subtype = SubtypeOfFourcc(MakeFourcc("BYGB"));
        return true;
    }
    if (upper == "BAYERBG8") {
        *subtype = SubtypeOfFourcc(MakeFourcc("BYBG"));
        return true;
    }
    if (upper.size() == 4) {
        // FOURCC subtypes are registered with the code as written: the
        // common ones are upper case, which is what a user types anyway.
        *subtype = SubtypeOfFourcc(MakeFourcc(upper));
        return true;
    }
    return false;
}

uint32_t FourccOfSubtype(const GUID& subtype) {
    GUID base = subtype;
    base.Data1 = 0;
    if (!IsEqualGUID(base, kFourccBase)) {
        return 0;
    }
    return subtype.Data1;
}

std::string NameOfSubtype(const GUID& subtype) {
    for (const RgbName& entry : kRgbNames) {
        if (IsEqualGUID(subtype, *entry.subtype)) {
            return entry.name;
        }
    }
    const uint32_t fourcc = FourccOfSubtype(subtype);
    if (fourcc != 0) {
        std::string code;
        for (int shift = 0; shift < 32; shift += 8) {
            const char c = static_cast<char>((fourcc >> shift) & 0xFF);
            code += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
        }
        return code;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(subtype.Data1), subtype.Data2, subtype.Data3, subtype.Data4[0],
                  subtype.Data4[1], subtype.Data4[2], subtype.Data4[3], subtype.Data4[4], subtype.Data4[5],
                  subtype.Data4[6], subtype.Data4[7]);
    return text;
}

}  // namespace VideoFormatNames

std::string VideoTypeSummary::Describe() const {
    char text[160];
    std::snprintf(text, sizeof(text), "%s %dx%d %.2f fps%s", VideoFormatNames::NameOfSubtype(subtype).c_str(),
                  static_cast<int>(width), static_cast<int>(AbsoluteHeight()), FramesPerSecond(),
                  videoInfo2 ? " (VIDEOINFOHEADER2)" : "");
    return text;
}

VideoTypeSummary SummarizeVideoType(const AM_MEDIA_TYPE& type) {
    VideoTypeSummary summary;
    if (!IsEqualGUID(type.majortype, MEDIATYPE_Video) || !type.pbFormat) {
        return summary;
    }
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        summary.header = &info->bmiHeader;
        summary.avgTimePerFrame = info->AvgTimePerFrame;
    } else if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        summary.header = &info->bmiHeader;
        summary.avgTimePerFrame = info->AvgTimePerFrame;
        summary.videoInfo2 = true;
    } else {
        return summary;
    }
    summary.subtype = type.subtype;
    summary.width = summary.header->biWidth;
    summary.height = summary.header->biHeight;
    summary.bitCount = summary.header->biBitCount;
    summary.compression = summary.header->biCompression;
    summary.imageSize = summary.header->biSizeImage;
    summary.valid = summary.width > 0 && summary.height != 0;
    return summary;
}

void FreeSystemMediaType(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat) {
        CoTaskMemFree(type.pbFormat);
        type.cbFormat = 0;
        type.pbFormat = nullptr;
    }
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteSystemMediaType(AM_MEDIA_TYPE* type) {
    if (type) {
        FreeSystemMediaType(*type);
        CoTaskMemFree(type);
    }
}

std::string DescribeHResult(HRESULT hr) {
    struct Known {
        HRESULT code;
        const char* text;
    };
    static const Known kKnown[] = {
        {E_NOTIMPL, "E_NOTIMPL: not implemented"},
        {E_INVALIDARG, "E_INVALIDARG: invalid argument"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY: out of memory"},
        {E_POINTER, "E_POINTER: null pointer"},
        {E_FAIL, "E_FAIL: the call failed"},
        {E_UNEXPECTED, "E_UNEXPECTED: unexpected call"},
        {E_ACCESSDENIED, "E_ACCESSDENIED: access denied"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG: class not registered"},
        {VFW_E_TYPE_NOT_ACCEPTED, "VFW_E_TYPE_NOT_ACCEPTED: the media type was not accepted"},
        {VFW_E_NO_ACCEPTABLE_TYPES, "VFW_E_NO_ACCEPTABLE_TYPES: no common media type"},
        {VFW_E_CANNOT_CONNECT, "VFW_E_CANNOT_CONNECT: the pins could not be connected"},
        {VFW_E_ALREADY_CONNECTED, "VFW_E_ALREADY_CONNECTED: the pin is already connected"},
        {VFW_E_NOT_CONNECTED, "VFW_E_NOT_CONNECTED: the pin is not connected"},
        {VFW_E_NOT_STOPPED, "VFW_E_NOT_STOPPED: the filter is not stopped"},
        {VFW_E_WRONG_STATE, "VFW_E_WRONG_STATE: wrong filter state"},
        {VFW_E_INVALIDMEDIATYPE, "VFW_E_INVALIDMEDIATYPE: invalid media type"},
        {VFW_E_NO_ALLOCATOR, "VFW_E_NO_ALLOCATOR: no allocator"},
        {VFW_E_NOT_FOUND, "VFW_E_NOT_FOUND: not found"},
        {VFW_E_NOT_COMMITTED, "VFW_E_NOT_COMMITTED: the allocator is not committed"},
        {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "file not found"},
        {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "path not found"},
        {HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), "access denied"},
        {HRESULT_FROM_WIN32(ERROR_DISK_FULL), "disk full"},
    };
    char text[160];
    for (const Known& known : kKnown) {
        if (known.code == hr) {
            std::snprintf(text, sizeof(text), "0x%08lX (%s)", static_cast<unsigned long>(hr), known.text);
            return text;
        }
    }
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Narrow(const wchar_t* text) {
    if (!text || !*text) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes - 1));
    return result;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (chars <= 1) {
        return std::wstring();
    }
    std::wstring result(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &result[0], chars);
    result.resize(static_cast<size_t>(chars - 1));
    return result;
}
