// Creation and destruction of the filter: the first camera that opens, the
// failures that leave no object behind, and the camera closed again when the
// last reference goes. (That no object of the module outlives a case is
// checked when each case ends, once the class object is released too.)
#include "FilterTestSupport.h"

namespace {

std::wstring SelectedCamera(IBaseFilter* filter) {
    IKorvelGenICamSource* source = nullptr;
    if (FAILED(Query(filter, IID_IKorvelGenICamSource, &source))) {
        return L"<no interface>";
    }
    Bstr id;
    const HRESULT hr = source->GetSelectedCamera(id.Out());
    source->Release();
    return SUCCEEDED(hr) ? id.Text() : L"<none>";
}

}  // namespace

using FilterCreation = FilterTest;

TEST_F(FilterCreation, OpensTheFirstCameraAndClosesItAtTheEnd) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    EXPECT_EQ(MonoCameraId("C1"), SelectedCamera(filter));
    EXPECT_EQ(1u, LiveDevices());

    CLSID clsid = {};
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CKorvelGenICamSource, clsid));
    FILTER_INFO info = {};
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(nullptr, info.pGraph);

    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(0u, LiveDevices());
}

TEST_F(FilterCreation, NoCameraGivesEFailAndNoObject) {
    LoadCameras(kNoCameraProfile);
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(E_FAIL, TryCreateFilter(&filter));
    EXPECT_EQ(nullptr, filter);
}

TEST_F(FilterCreation, NoCameraThatOpensGivesEFailAndNoObject) {
    LoadCameras(
        ThreeCameraProfile("open_elsewhere = yes\n", "open_elsewhere = yes\n", "open_elsewhere = yes\n"));
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(E_FAIL, TryCreateFilter(&filter));
    EXPECT_EQ(nullptr, filter);
    EXPECT_EQ(0u, LiveDevices());
}

TEST_F(FilterCreation, SecondCameraOpensWhenTheFirstIsOpenElsewhere) {
    LoadCameras(ThreeCameraProfile("open_elsewhere = yes\n"));
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    EXPECT_EQ(MonoCameraId("C2"), SelectedCamera(filter));
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterCreation, CameraWithoutAKnownFormatIsPassedOver) {
    LoadCameras(ThreeCameraProfile("pixel_formats = Mono12\n"));
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    EXPECT_EQ(MonoCameraId("C2"), SelectedCamera(filter));
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterCreation, EachFilterTakesTheNextFreeCamera) {
    // A camera open in one filter is open elsewhere for the next one.
    IBaseFilter* filters[3] = {};
    for (IBaseFilter*& filter : filters) {
        filter = CreateFilter();
        ASSERT_NE(nullptr, filter);
    }
    EXPECT_EQ(MonoCameraId("C1"), SelectedCamera(filters[0]));
    EXPECT_EQ(MonoCameraId("C2"), SelectedCamera(filters[1]));
    EXPECT_EQ(MonoCameraId("C3"), SelectedCamera(filters[2]));
    EXPECT_EQ(3u, LiveDevices());

    IBaseFilter* fourth = nullptr;
    EXPECT_EQ(E_FAIL, TryCreateFilter(&fourth));
    EXPECT_EQ(nullptr, fourth);

    // Releasing the second frees its camera for a new filter.
    EXPECT_EQ(0u, filters[1]->Release());
    filters[1] = CreateFilter();
    ASSERT_NE(nullptr, filters[1]);
    EXPECT_EQ(MonoCameraId("C2"), SelectedCamera(filters[1]));
    for (IBaseFilter* filter : filters) {
        EXPECT_EQ(0u, filter->Release());
    }
}
