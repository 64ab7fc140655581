// The system's list of serial ports on Windows: the ports class of the device manager, each by its
// COMn name with the driver's words ("USB-SERIAL CH340", "wch.cn"), and the ports the device map
// names that no driver lists (virtual ports, Wine's).
#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <devguid.h>
// clang-format on

#include <QSet>
#include <algorithm>

#include "core/line/PortDiscovery.h"
#include "core/line/PortNames.h"

namespace PortDiscovery {
namespace {
QString Property(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property) {
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(
            set, device, property, &type, reinterpret_cast<PBYTE>(text), sizeof text - 2, nullptr))
        return {};
    // A multi-string (hardware ids) gives its first string.
    return QString::fromWCharArray(text).trimmed();
}

QString RegistryText(HKEY key, const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - 2, type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return QString::fromWCharArray(text).trimmed();
}

// The serial number a USB adapter reports: the last part of its instance id, when the driver
// did not make that part up (a made-up one holds '&').
QString SerialNumber(HDEVINFO set, SP_DEVINFO_DATA* device) {
    wchar_t id[512] = {};
    if (!::SetupDiGetDeviceInstanceIdW(set, device, id, 511, nullptr)) return {};
    const QString instance = QString::fromWCharArray(id);
    if (!instance.startsWith(QStringLiteral("USB\\"), Qt::CaseInsensitive)) return {};
    const QString last = instance.section('\\', -1);
    return last.contains('&') ? QString() : last;
}

void AddDeviceManagerPorts(QList<DiscoveredPort>* ports) {
    const HDEVINFO set =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const HKEY key =
            ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        const QString name = RegistryText(key, L"PortName");
        ::RegCloseKey(key);
        // The class holds printer ports too.
        if (!PortNames::ComNumber(name)) continue;
        DiscoveredPort port;
        port.path = PortNames::DevicePath(name);
        port.description = Property(set, &device, SPDRP_DEVICEDESC);
        port.manufacturer = Property(set, &device, SPDRP_MFG);
        const QString hardware = Property(set, &device, SPDRP_HARDWAREID);
        port.usb = hardware.startsWith(QStringLiteral("USB\\"), Qt::CaseInsensitive) ||
                   hardware.contains(QStringLiteral("VID_"), Qt::CaseInsensitive);
        port.serialNumber = port.usb ? SerialNumber(set, &device) : QString();
        *ports << port;
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

void AddDeviceMapPorts(QList<DiscoveredPort>* ports) {
    HKEY map = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &map) != ERROR_SUCCESS)
        return;
    QSet<QString> listed;
    for (const DiscoveredPort& port : *ports) listed.insert(port.path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {}, data[256] = {};
        DWORD nameSize = 255, dataSize = sizeof data - 2, type = 0;
        const LONG status = ::RegEnumValueW(map, i, name, &nameSize, nullptr, &type,
                                            reinterpret_cast<LPBYTE>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        const QString port = PortNames::DevicePath(QString::fromWCharArray(data).trimmed());
        if (!PortNames::ComNumber(port) || listed.contains(port)) continue;
        listed.insert(port);
        *ports << DiscoveredPort{port, {}, {}, {}, {}, false};
    }
    ::RegCloseKey(map);
}
}  // namespace

QList<DiscoveredPort> SystemPorts(const QString&) {
    QList<DiscoveredPort> ports;
    AddDeviceManagerPorts(&ports);
    AddDeviceMapPorts(&ports);
    // COM2 before COM10.
    std::sort(ports.begin(), ports.end(), [](const DiscoveredPort& a, const DiscoveredPort& b) {
        return *PortNames::ComNumber(a.path) < *PortNames::ComNumber(b.path);
    });
    return ports;
}
}  // namespace PortDiscovery
