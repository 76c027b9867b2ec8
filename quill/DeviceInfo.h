// Descriptions of transport layers and devices as enumeration reports them.
#pragma once

#include <vector>

#include "quill/GenICam.h"

namespace Quill {

class CInfoBase {
  public:
    const GenICam::gcstring& GetFullName() const { return fullName_; }
    const GenICam::gcstring& GetFriendlyName() const { return friendlyName_; }
    const GenICam::gcstring& GetSerialNumber() const { return serialNumber_; }
    const GenICam::gcstring& GetModelName() const { return modelName_; }
    const GenICam::gcstring& GetVendorName() const { return vendorName_; }
    const GenICam::gcstring& GetDeviceClass() const { return deviceClass_; }
    const GenICam::gcstring& GetTlName() const { return tlName_; }

    CInfoBase& SetFullName(const GenICam::gcstring& value) { return Set(fullName_, value); }
    CInfoBase& SetFriendlyName(const GenICam::gcstring& value) { return Set(friendlyName_, value); }
    CInfoBase& SetSerialNumber(const GenICam::gcstring& value) { return Set(serialNumber_, value); }
    CInfoBase& SetModelName(const GenICam::gcstring& value) { return Set(modelName_, value); }
    CInfoBase& SetVendorName(const GenICam::gcstring& value) { return Set(vendorName_, value); }
    CInfoBase& SetDeviceClass(const GenICam::gcstring& value) { return Set(deviceClass_, value); }
    CInfoBase& SetTlName(const GenICam::gcstring& value) { return Set(tlName_, value); }

  private:
    CInfoBase& Set(GenICam::gcstring& field, const GenICam::gcstring& value) {
        field = value;
        return *this;
    }

    GenICam::gcstring fullName_;
    GenICam::gcstring friendlyName_;
    GenICam::gcstring serialNumber_;
    GenICam::gcstring modelName_;
    GenICam::gcstring vendorName_;
    GenICam::gcstring deviceClass_;
    GenICam::gcstring tlName_;
};

class CTlInfo : public CInfoBase {};

class CDeviceInfo : public CInfoBase {};

typedef std::vector<CTlInfo> TlInfoList;
typedef std::vector<CDeviceInfo> DeviceInfoList;

}  // namespace Quill
