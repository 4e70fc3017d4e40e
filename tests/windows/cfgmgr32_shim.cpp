// Wine 8's cfgmgr32.dll lacks CM_Get_Device_Interface_PropertyW, which
// hidapi's Windows backend resolves in hid_init() (and fails without: "resolve
// DLL functions: Procedure not found"), and its
// CM_Get_Device_Interface_List_SizeW fails, so hidapi lists nothing. Windows 8
// and later have both. This stand-in, loaded only by the Windows HID checks
// under Wine, lists the interfaces through SetupAPI, which Wine does
// implement, and hands the other functions hidapi uses to Wine's own (see the
// .def file). Nothing of it ships.
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <devpropdef.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The paths of the present interfaces of a class, each ending in a zero, the
// whole list in one more.
bool presentInterfaces(const GUID* interfaceClass, std::wstring& list) {
    HDEVINFO set = SetupDiGetClassDevsW(interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;
    list.clear();
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, interfaceClass, i, &interfaceData); ++i) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &needed, nullptr);
        std::vector<uint64_t> storage(needed / sizeof(uint64_t) + 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (needed == 0 || !SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, needed, nullptr, nullptr))
            continue;
        list += detail->DevicePath;
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    SetupDiDestroyDeviceInfoList(set);
    return true;
}

} // namespace

// hidapi asks an interface's instance ID here, to find its bus type and USB
// interface number. Wine 8 cannot tell it by SetupAPI either
// (SetupDiOpenDeviceInterfaceW is a stub there), so there is none: hidapi
// then goes without both, and the search needs neither.
extern "C" CONFIGRET WINAPI shimInterfaceProperty(LPCWSTR, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, PULONG, ULONG) {
    return CR_NO_SUCH_VALUE;
}

extern "C" CONFIGRET WINAPI shimInterfaceListSize(PULONG length, LPGUID interfaceClass, DEVINSTID_W device, ULONG flags) {
    if (length == nullptr || interfaceClass == nullptr) return CR_INVALID_POINTER;
    if (device != nullptr || flags != CM_GET_DEVICE_INTERFACE_LIST_PRESENT) return CR_INVALID_FLAG;
    std::wstring list;
    if (!presentInterfaces(interfaceClass, list)) return CR_FAILURE;
    *length = static_cast<ULONG>(list.size());
    return CR_SUCCESS;
}

extern "C" CONFIGRET WINAPI shimInterfaceList(LPGUID interfaceClass, DEVINSTID_W device, PZZWSTR buffer, ULONG length,
                                              ULONG flags) {
    if (buffer == nullptr || interfaceClass == nullptr) return CR_INVALID_POINTER;
    if (device != nullptr || flags != CM_GET_DEVICE_INTERFACE_LIST_PRESENT) return CR_INVALID_FLAG;
    std::wstring list;
    if (!presentInterfaces(interfaceClass, list)) return CR_FAILURE;
    if (list.size() > length) return CR_BUFFER_SMALL;
    std::memcpy(buffer, list.data(), list.size() * sizeof(wchar_t));
    return CR_SUCCESS;
}
