// Configuration callbacks, their cookies, and the device value they are told.
#include "Camera/DeviceHandleTable.h"
#include "CameraTestSupport.h"

namespace CameraTest {
namespace {

class CameraConfigCallbackTest : public CameraTest {};

using Calls = std::vector<std::string>;

std::string Valid(long value) {
    return "valid:" + std::to_string(value);
}

std::string SerialOf(Quill::IQuillDevice* device) {
    GenApi::CValuePtr serial(device->GetNodeMap()->GetNode("DeviceSerialNumber"));
    return serial.IsValid() ? serial->ToString().str() : std::string();
}

TEST_F(CameraConfigCallbackTest, CookiesRunInRegistrationOrderAndAreNeverReused) {
    RecordingCallback* callbacks[3] = {new RecordingCallback, new RecordingCallback, new RecordingCallback};
    {
        CKorvelCamera camera;
        uint32_t cookie = 99;
        for (uint32_t expected = 0; expected < 3; ++expected) {
            EXPECT_EQ(S_OK, camera.AddConfigCallback(callbacks[expected], &cookie));
            EXPECT_EQ(expected, cookie);
            // The camera holds one reference of its own.
            EXPECT_EQ(2u, callbacks[expected]->References());
        }
        EXPECT_EQ(S_OK, camera.RemoveConfigCallback(1));
        EXPECT_EQ(1u, callbacks[1]->References());
        EXPECT_EQ(E_INVALIDARG, camera.RemoveConfigCallback(1));
        EXPECT_FALSE(camera.IsConfigCallbackSet(1));
        EXPECT_TRUE(camera.IsConfigCallbackSet(0));
        EXPECT_TRUE(camera.IsConfigCallbackSet(2));
        EXPECT_FALSE(camera.IsConfigCallbackSet(3));

        // The removed cookie is not handed out again.
        EXPECT_EQ(S_OK, camera.AddConfigCallback(callbacks[1], &cookie));
        EXPECT_EQ(3u, cookie);
        EXPECT_EQ(E_INVALIDARG, camera.RemoveConfigCallback(77));
    }
    // The destructor told them DeviceInvalid and released its references.
    for (RecordingCallback* callback : callbacks) {
        EXPECT_EQ(Calls{"invalid"}, callback->Calls());
        EXPECT_EQ(1u, callback->References());
        callback->Release();
    }
}

TEST_F(CameraConfigCallbackTest, RegistrationArgumentChecks) {
    CKorvelCamera camera;
    RecordingCallback* callback = new RecordingCallback;
    uint32_t cookie = 5;
    EXPECT_EQ(E_POINTER, camera.AddConfigCallback(nullptr, &cookie));
    EXPECT_EQ(E_POINTER, camera.AddConfigCallback(callback, nullptr));
    EXPECT_EQ(1u, callback->References());
    PlainObject plain;
    EXPECT_EQ(E_FAIL, camera.AddConfigCallback(&plain, &cookie));
    EXPECT_EQ(1u, plain.References());
    EXPECT_EQ(5u, cookie);
    // Failed registrations use no cookie.
    EXPECT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(S_OK, camera.RemoveConfigCallback(0));
    callback->Release();
}

TEST_F(CameraConfigCallbackTest, CallbacksFollowTheOpenDeviceAndItsValue) {
    RecordingCallback* first = new RecordingCallback;
    RecordingCallback* second = new RecordingCallback;
    {
        CKorvelCamera camera;
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(first, &cookie));
        ASSERT_EQ(S_OK, camera.AddConfigCallback(second, &cookie));
        long value = 1;
        EXPECT_EQ(E_FAIL, camera.GetDeviceValue(&value));
        EXPECT_EQ(0, value);
        EXPECT_EQ(E_POINTER, camera.GetDeviceValue(nullptr));

        ASSERT_EQ(S_OK, camera.OpenCamera(1));
        ASSERT_EQ(S_OK, camera.GetDeviceValue(&value));
        EXPECT_NE(0, value);
        // Opening closes first, even with nothing open; then every callback hears the value.
        EXPECT_EQ((Calls{"invalid", Valid(value)}), first->Calls());
        EXPECT_EQ((Calls{"invalid", Valid(value)}), second->Calls());
        Quill::IQuillDevice* device = nullptr;
        ASSERT_EQ(S_OK, ResolveDeviceValue(value, &device));
        EXPECT_EQ("E2000001", SerialOf(device));

        // Opening the open camera again closes it first and gives a new value.
        first->ClearCalls();
        ASSERT_EQ(S_OK, camera.OpenCamera(1));
        long reopened = 0;
        ASSERT_EQ(S_OK, camera.GetDeviceValue(&reopened));
        EXPECT_NE(value, reopened);
        EXPECT_EQ((Calls{"invalid", Valid(reopened)}), first->Calls());
        // A holder of the old value gets an error, not the old device.
        device = reinterpret_cast<Quill::IQuillDevice*>(1);
        EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(value, &device));
        EXPECT_EQ(nullptr, device);

        first->ClearCalls();
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ(Calls{"invalid"}, first->Calls());
        EXPECT_EQ(E_FAIL, camera.GetDeviceValue(&value));
        EXPECT_EQ(0, value);
        EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(reopened, &device));
        // Closing with nothing open still tells them.
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ((Calls{"invalid", "invalid"}), first->Calls());
    }
    EXPECT_EQ(1u, first->References());
    EXPECT_EQ(1u, second->References());
    first->Release();
    second->Release();
}

TEST_F(CameraConfigCallbackTest, FailedOpenNeverReportsADevice) {
    Configure("E1000001", "open_elsewhere", "true");
    RecordingCallback* callback = new RecordingCallback;
    {
        CKorvelCamera camera;
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
        EXPECT_EQ(E_FAIL, camera.OpenCamera(0));
        for (const std::string& call : callback->Calls()) {
            EXPECT_EQ("invalid", call);
        }
        EXPECT_FALSE(callback->Calls().empty());
    }
    callback->Release();
}

TEST_F(CameraConfigCallbackTest, DeviceIsUsableFromDeviceValidUntilDeviceInvalid) {
    RecordingCallback* callback = new RecordingCallback;
    long value = 0;
    Quill::IQuillDevice* held = nullptr;
    std::string serialAtValid;
    std::string serialAtInvalid;
    HRESULT resolveAtInvalid = S_OK;
    callback->onValid = [&](long told) {
        ASSERT_EQ(S_OK, ResolveDeviceValue(told, &held));
        serialAtValid = SerialOf(held);
    };
    callback->onInvalid = [&] {
        if (held != nullptr) {
            // The value is already dead, but the device is still there to be let go.
            Quill::IQuillDevice* resolved = nullptr;
            resolveAtInvalid = ResolveDeviceValue(value, &resolved);
            serialAtInvalid = SerialOf(held);
            held = nullptr;
        }
    };
    {
        CKorvelCamera camera;
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
        ASSERT_EQ(S_OK, camera.OpenCamera(0));
        EXPECT_EQ("E1000001", serialAtValid);
        ASSERT_EQ(S_OK, camera.GetDeviceValue(&value));
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ(E_INVALIDARG, resolveAtInvalid);
        EXPECT_EQ("E1000001", serialAtInvalid);
        EXPECT_EQ(S_OK, camera.RemoveConfigCallback(cookie));
    }
    callback->Release();
}

TEST_F(CameraConfigCallbackTest, CallbacksMayRegisterAndRemoveWhileBeingCalled) {
    CKorvelCamera camera;
    RecordingCallback* first = new RecordingCallback;
    RecordingCallback* second = new RecordingCallback;
    RecordingCallback* late = new RecordingCallback;
    uint32_t firstCookie = 0, secondCookie = 0, lateCookie = 0;
    ASSERT_EQ(S_OK, camera.AddConfigCallback(first, &firstCookie));
    ASSERT_EQ(S_OK, camera.AddConfigCallback(second, &secondCookie));

    // On the first news the first callback removes itself and the second one,
    // and registers a newcomer; nobody removed is called again, and the
    // newcomer waits for the next news.
    first->onValid = [&](long) {
        EXPECT_EQ(S_OK, camera.RemoveConfigCallback(firstCookie));
        EXPECT_EQ(S_OK, camera.RemoveConfigCallback(secondCookie));
        EXPECT_EQ(S_OK, camera.AddConfigCallback(late, &lateCookie));
    };
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    long value = 0;
    ASSERT_EQ(S_OK, camera.GetDeviceValue(&value));
    EXPECT_EQ((Calls{"invalid", Valid(value)}), first->Calls());
    EXPECT_EQ(Calls{"invalid"}, second->Calls());
    EXPECT_TRUE(late->Calls().empty());
    EXPECT_EQ(1u, first->References());
    EXPECT_EQ(1u, second->References());

    // A callback that removes itself while told DeviceInvalid.
    late->onInvalid = [&] { EXPECT_EQ(S_OK, camera.RemoveConfigCallback(lateCookie)); };
    EXPECT_EQ(S_OK, camera.CloseCamera(false));
    EXPECT_EQ(Calls{"invalid"}, late->Calls());
    EXPECT_FALSE(camera.IsConfigCallbackSet(lateCookie));
    EXPECT_EQ(1u, late->References());
    first->Release();
    second->Release();
    late->Release();
}

}  // namespace
}  // namespace CameraTest
