// Wine 8's cfgmgr32.dll lacks CM_Get_Device_Interface_PropertyW, which
// hidapi's Windows backend resolves in hid_init() (and fails without: "resolve
// DLL functions: Procedure not found"), and its
// CM_Get_Device_Interface_List_SizeW fails, so hidapi lists nothing. Windows 8
// and later have both. This stand-in, loaded only by the Windows HID checks
// under Wine, answers those calls through SetupAPI, which Wine does
// implement, and hands the other functions hidapi uses to Wine's own (see the
// .def file). Nothing of it ships.
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <devpropdef.h>

#include <cstring>
#include <cwchar>

#include <string>

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
        std::string bytes(needed, '\0');
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(bytes.data());
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

// DEVPKEY_Device_InstanceId: {78c34fc8-104a-4aca-9ea4-524d52996e57}, 256.
constexpr DEVPROPKEY kInstanceId = {{0x78c34fc8, 0x104a, 0x4aca, {0x9e, 0xa4, 0x52, 0x4d, 0x52, 0x99, 0x6e, 0x57}}, 256};
}

extern "C" CONFIGRET WINAPI shimInterfaceProperty(LPCWSTR interfacePath, const DEVPROPKEY* key, DEVPROPTYPE* type,
                                                  PBYTE buffer, PULONG size, ULONG /*flags*/) {
    if (interfacePath == nullptr || key == nullptr || type == nullptr || size == nullptr) return CR_INVALID_POINTER;
    if (std::memcmp(&key->fmtid, &kInstanceId.fmtid, sizeof(GUID)) != 0 || key->pid != kInstanceId.pid)
        return CR_NO_SUCH_VALUE;
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) return CR_FAILURE;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    wchar_t id[MAX_DEVICE_ID_LEN + 1];
    DWORD needed = 0;
    CONFIGRET result = CR_NO_SUCH_DEVICE_INTERFACE;
    if (SetupDiOpenDeviceInterfaceW(set, interfacePath, 0, &interfaceData) &&
        (SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, nullptr, &device) ||
         GetLastError() == ERROR_INSUFFICIENT_BUFFER) &&
        SetupDiGetDeviceInstanceIdW(set, &device, id, MAX_DEVICE_ID_LEN + 1, &needed)) {
        const ULONG bytes = static_cast<ULONG>((std::wcslen(id) + 1) * sizeof(wchar_t));
        *type = DEVPROP_TYPE_STRING;
        if (buffer == nullptr || *size < bytes) {
            result = CR_BUFFER_SMALL;
        } else {
            std::memcpy(buffer, id, bytes);
            result = CR_SUCCESS;
        }
        *size = bytes;
    }
    SetupDiDestroyDeviceInfoList(set);
    return result;
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
