// The walk over the system's device interfaces, with the platform's functions stood in for:
// what it visits, what it passes over, and that a walk cut short is never reported whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/device_interface_walk.h"

namespace {

// The system the fakes describe: interface paths in enumeration order.
struct FakeSystem {
    std::vector<std::wstring> paths;
    std::vector<bool> detailFails;  // per interface: its path cannot be read
    int allocationThatFails = -1;   // 0-based count of allocations; -1: none fails
    int allocations = 0;
    int destroyed = 0;
    bool listFails = false;
};
FakeSystem g_system;

const HDEVINFO kList = reinterpret_cast<HDEVINFO>(static_cast<uintptr_t>(0x4D1));

HDEVINFO WINAPI FakeClassDevs(const GUID*, PCWSTR, HWND, DWORD)
{
    return g_system.listFails ? INVALID_HANDLE_VALUE : kList;
}

BOOL WINAPI FakeEnum(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index, PSP_DEVICE_INTERFACE_DATA data)
{
    if (index >= g_system.paths.size()) return FALSE;
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI FakeDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                       PDWORD required, PSP_DEVINFO_DATA)
{
    const size_t index = static_cast<size_t>(data->Reserved);
    const std::wstring& path = g_system.paths[index];
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (path.size() + 1) * sizeof(wchar_t));
    if (required != nullptr) *required = needed;
    if (detail == nullptr || size < needed || (index < g_system.detailFails.size() && g_system.detailFails[index]))
        return FALSE;
    std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

BOOL WINAPI FakeAlias(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, const GUID*, PSP_DEVICE_INTERFACE_DATA)
{
    return data->Reserved % 2 == 0;  // every other interface is also a render interface
}

BOOL WINAPI FakeDestroy(HDEVINFO list)
{
    if (list == kList) ++g_system.destroyed;
    return TRUE;
}

std::unique_ptr<BYTE[]> FakeAllocate(DWORD bytes)
{
    if (g_system.allocations++ == g_system.allocationThatFails) return nullptr;
    return std::unique_ptr<BYTE[]>(new BYTE[bytes]);
}

rkx::DeviceInterfaceFunctions Fakes(bool withAlias = true)
{
    rkx::DeviceInterfaceFunctions functions;
    functions.getClassDevs = FakeClassDevs;
    functions.enumInterfaces = FakeEnum;
    functions.interfaceDetail = FakeDetail;
    functions.interfaceAlias = withAlias ? FakeAlias : nullptr;
    functions.destroyList = FakeDestroy;
    functions.allocate = FakeAllocate;
    return functions;
}

using Visited = std::vector<std::pair<std::wstring, bool>>;

bool Walk(const rkx::DeviceInterfaceFunctions& functions, Visited& visited)
{
    return rkx::WalkDeviceInterfaces(
        functions,
        [](const wchar_t* path, bool alias, void* context) {
            static_cast<Visited*>(context)->emplace_back(path, alias);
            return true;
        },
        &visited);
}

TEST(DeviceInterfaceWalk, OutcomesOfTheWalk)
{
    const std::vector<std::wstring> three = {L"\\\\?\\a", L"\\\\?\\b", L"\\\\?\\c"};
    const Visited all = {{three[0], true}, {three[1], false}, {three[2], true}};
    const struct {
        const char* name;
        std::vector<std::wstring> paths;
        int unreadable;        // interface whose path cannot be read, -1 none
        int failedAllocation;  // allocation that finds no memory, -1 none
        bool listFails;
        bool withAlias;
        bool whole;
        Visited visited;
    } kCases[] = {
        {"every interface, aliases asked", three, -1, -1, false, true, true, all},
        {"no alias query", three, -1, -1, false, false, true, {{three[0], false}, {three[1], false}, {three[2], false}}},
        {"an unreadable path is passed over", three, 1, -1, false, true, true, {all[0], all[2]}},
        {"no memory for the second ends the walk as failed", three, -1, 1, false, true, false, {all[0]}},
        {"no memory for the first", three, -1, 0, false, true, false, {}},
        {"no list", three, -1, -1, true, true, false, {}},
        {"an empty list is a whole one", {}, -1, -1, false, true, true, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        g_system = FakeSystem{};
        g_system.paths = c.paths;
        if (c.unreadable >= 0) {
            g_system.detailFails.assign(c.paths.size(), false);
            g_system.detailFails[static_cast<size_t>(c.unreadable)] = true;
        }
        g_system.allocationThatFails = c.failedAllocation;
        g_system.listFails = c.listFails;
        Visited visited;
        EXPECT_EQ(Walk(Fakes(c.withAlias), visited), c.whole);
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(g_system.destroyed, c.listFails ? 0 : 1) << "the list is released on every way out";
    }
}

}  // namespace
