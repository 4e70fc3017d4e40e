#pragma once
// HidBackend over the hidapi library (hidraw on Linux, HID.DLL/SetupAPI on
// Windows). Everything platform-specific stays in hidapi_backend.cpp.
#include "device/hid_backend.h"

namespace zmt {

class HidapiBackend : public HidBackend {
public:
    ~HidapiBackend() override;
    int initialise() override;
    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const std::string& path) override;

private:
    bool initialised_ = false;
};

} // namespace zmt
