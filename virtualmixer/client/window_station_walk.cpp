#include "virtualmixer/client/window_station_walk.h"

#include <string>
#include <vector>

namespace rkx::vmix {
namespace {

struct WindowStation {
    HWINSTA handle;
    explicit WindowStation(HWINSTA h) : handle(h) {}
    ~WindowStation()
    {
        if (handle != nullptr) CloseWindowStation(handle);
    }
    WindowStation(const WindowStation&) = delete;
    WindowStation& operator=(const WindowStation&) = delete;
};

struct Desktop {
    HDESK handle;
    explicit Desktop(HDESK h) : handle(h) {}
    ~Desktop()
    {
        if (handle != nullptr) CloseDesktop(handle);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
};

// Puts the process back on its own window station however the walk ends.
struct StationRestorer {
    HWINSTA original = GetProcessWindowStation();
    ~StationRestorer()
    {
        if (original != nullptr) SetProcessWindowStation(original);
    }
};

BOOL CALLBACK CollectName(LPWSTR name, LPARAM context)
{
    reinterpret_cast<std::vector<std::wstring>*>(context)->emplace_back(name);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

int VisitDesktop(const std::wstring& name, const std::function<int(HWND)>& visit)
{
    Desktop desktop(OpenDesktopW(name.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (desktop.handle == nullptr) return 0;
    // Collected first: a visit may create or destroy windows.
    std::vector<HWND> windows;
    EnumDesktopWindows(desktop.handle, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    int sum = 0;
    for (HWND window : windows) sum += visit(window);
    return sum;
}

}  // namespace

int ForEachTopLevelWindow(const std::function<int(HWND)>& visit)
{
    std::vector<std::wstring> stations;
    EnumWindowStationsW(CollectName, reinterpret_cast<LPARAM>(&stations));
    StationRestorer restorer;
    int sum = 0;
    for (const std::wstring& stationName : stations) {
        WindowStation station(OpenWindowStationW(stationName.c_str(), FALSE, WINSTA_ENUMDESKTOPS | WINSTA_ENUMERATE));
        if (station.handle == nullptr || !SetProcessWindowStation(station.handle)) continue;
        std::vector<std::wstring> desktops;
        EnumDesktopsW(station.handle, CollectName, reinterpret_cast<LPARAM>(&desktops));
        for (const std::wstring& desktop : desktops) sum += VisitDesktop(desktop, visit);
        // Back home before this station's handle closes.
        if (restorer.original != nullptr) SetProcessWindowStation(restorer.original);
    }
    return sum;
}

}  // namespace rkx::vmix
