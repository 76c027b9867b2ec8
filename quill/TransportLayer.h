// Transport layers and the factory that lists and creates them.
#pragma once

#include "quill/DeviceInfo.h"
#include "quill/QuillApi.h"
#include "quill/QuillDevice.h"

namespace Quill {

class ITransportLayer {
  public:
    virtual CTlInfo GetTlInfo() const = 0;
    // Lists the devices this layer reaches, in a stable order; clears the list
    // first unless addToList. Returns the number of devices this call found.
    virtual int EnumerateDevices(DeviceInfoList& list, bool addToList = false) = 0;
    // The device whose full name (or else serial number) matches; null when none does.
    virtual IQuillDevice* CreateDevice(const CDeviceInfo& info) = 0;
    // Closes the device when open and frees it.
    virtual void DestroyDevice(IQuillDevice* device) = 0;

  protected:
    virtual ~ITransportLayer() = default;
};

// The process-wide factory. CreateTl hands out one shared instance per layer;
// ReleaseTl is harmless whatever the count of calls.
class CTlFactory {
  public:
    // A missing SDK DLL (delay-loaded) answers null; that is reported like
    // every other SDK failure.
    static CTlFactory& GetInstance() {
        CTlFactory* factory = QuillTlFactoryInstance();
        if (factory == nullptr) {
            QUILL_THROW(RuntimeException, "The camera SDK QuillBase_MD_VC80.dll is not available");
        }
        return *factory;
    }

    virtual int EnumerateTls(TlInfoList& list) = 0;
    virtual ITransportLayer* CreateTl(const CTlInfo& info) = 0;
    virtual void ReleaseTl(ITransportLayer* layer) = 0;

  protected:
    virtual ~CTlFactory() = default;
};

}  // namespace Quill
