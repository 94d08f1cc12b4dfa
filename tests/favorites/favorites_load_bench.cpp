// favorites_load_bench [runs]
// Generates a favorites folder of 10,000 entries in 100 folders, each folder
// with its order record, inside the prefix's favorites folder; then times the
// favorites load against a floor measured in the same run: a plain loop that
// lists the same folders and reads every shortcut up to its URL line; and the
// build of the Favorites popup from the loaded tree, with and without its copy
// into the opening popup; then the Favorites menu opened as the user opens it,
// by the menu bar of a real browser window, and the images of its folders drawn
// as the menu asks for them when the pointer crosses them. Prints each run and
// the medians; removes what it made.
#include "app/tarnwick_app.h"
#include "favorites/favorite_item_manager.h"
#include "favorites/ie_fav_order.h"
#include "favorites/order_record.h"
#include "frame/browser_frame.h"
#include "res/resource.h"
#include "support/popup_menus.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kTopFolders = 10;
constexpr int kSubFolders = 9;       // in each top folder
constexpr int kLinksInTop = 90;      // beside the sub-folders
constexpr int kLinksInSub = 100;

std::wstring g_root;      // the generated folder, with a trailing backslash
std::wstring g_orderKey;  // its record key under HKCU

void WriteFileBytes(const std::wstring& path, const std::string& content)
{
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD cb = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &cb, nullptr);
    ::CloseHandle(h);
}

// A shortcut as the browser saves it, with its property-store sections before the URL's.
std::string ShortcutText(int n)
{
    char url[96];
    std::snprintf(url, sizeof(url), "https://www.example%d.com/section/page-%d.html?ref=favorites", n % 97, n);
    return std::string("[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n[InternetShortcut]\r\nIDList=\r\nURL=") +
           url + "\r\nIconFile=https://www.example.com/favicon.ico\r\nIconIndex=1\r\nHotKey=0\r\n";
}

// Fills one folder and stores its record, which names its entries in reverse order of making.
void MakeFolder(const std::wstring& relative, int nSubFolders, int nLinks, int& nEntries, std::vector<std::wstring>& folders)
{
    const std::wstring path = g_root + relative;
    ::CreateDirectoryW(path.c_str(), nullptr);
    folders.push_back(path);
    std::vector<Bytes> entries;
    const DWORD dwCount = static_cast<DWORD>(nSubFolders + nLinks);
    for (int i = 0; i < nSubFolders; ++i) {
        const std::wstring name = L"Folder " + std::to_wstring(i);
        entries.push_back(OrderEntry(dwCount - 1 - entries.size(), IdList({FileEntryItem(8, "FOLDER~1", name, true)})));
        MakeFolder(relative + name + L"\\", 0, kLinksInSub, nEntries, folders);
        ++nEntries;
    }
    for (int i = 0; i < nLinks; ++i) {
        const std::wstring name = L"Example site number " + std::to_wstring(i) + L".url";
        WriteFileBytes(path + name, ShortcutText(nEntries));
        entries.push_back(OrderEntry(dwCount - 1 - entries.size(), IdList({FileEntryItem(8, "EXAMPL~1.URL", name)})));
        ++nEntries;
    }
    std::wstring key = g_orderKey;
    if (!relative.empty()) key += L"\\" + relative.substr(0, relative.size() - 1);
    const Bytes record = OrderRecord(entries);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Order", REG_BINARY, record.data(),
                      static_cast<DWORD>(record.size()));
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW fd;
    const HANDLE h = ::FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!std::wcscmp(fd.cFileName, L".") || !std::wcscmp(fd.cFileName, L"..")) continue;
            const std::wstring path = folder + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// The floor: list every folder and read each shortcut up to the end of its URL line, nothing more.
size_t FloorWalk(const std::wstring& folder)
{
    size_t nUrls = 0;
    WIN32_FIND_DATAW fd;
    const HANDLE hFind = ::FindFirstFileW((folder + L"*.*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::wcscmp(fd.cFileName, L".") && std::wcscmp(fd.cFileName, L"..")) {
                nUrls += FloorWalk(folder + fd.cFileName + L"\\");
            }
            continue;
        }
        const HANDLE hFile = ::CreateFileW((folder + fd.cFileName).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) continue;
        char buffer[4096];
        DWORD cb = 0;
        if (::ReadFile(hFile, buffer, sizeof(buffer), &cb, nullptr)) {
            const char* p = static_cast<const char*>(std::memchr(buffer, 'U', cb));
            for (; p; p = static_cast<const char*>(std::memchr(p + 1, 'U', buffer + cb - p - 1))) {
                if ((p == buffer || p[-1] == '\n') && buffer + cb - p >= 4 && !std::memcmp(p, "URL=", 4)) {
                    if (std::memchr(p, '\n', buffer + cb - p)) ++nUrls;
                    break;
                }
            }
        }
        ::CloseHandle(hFile);
    } while (::FindNextFileW(hFind, &fd));
    ::FindClose(hFind);
    return nUrls;
}

double Now()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// While a menu of the bench's window is open: what the hover phase measures, then the menu closed.
struct OpenMenuVisit {
    HWND hFrame = nullptr;
    bool bHover = false;
    int nItems = 0;                 // top-level items of the menu as it showed
    std::vector<double> drawTimes;  // one per folder item drawn
};
OpenMenuVisit g_visit;
HHOOK g_hIdleHook = nullptr;

// The open popup menu of this thread.
HMENU OpenPopupMenu()
{
    std::vector<HMENU> menus = OpenMenusOfThisThread();
    return menus.empty() ? nullptr : menus.front();
}

// Every folder item of the menu and of the menus below it, drawn as the menu has it drawn when hovered.
void DrawFolderItems(HMENU hMenu, HDC hDC)
{
    for (int i = 0, nCount = ::GetMenuItemCount(hMenu); i < nCount; ++i) {
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (!hSub) continue;
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(hSub));
        draw.hwndItem = reinterpret_cast<HWND>(hMenu);
        draw.hDC = hDC;
        draw.rcItem = RECT{0, 0, 20, 20};
        const double t0 = Now();
        ::SendMessageW(g_visit.hFrame, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        g_visit.drawTimes.push_back(Now() - t0);
        DrawFolderItems(hSub, hDC);
    }
}

// The menu loop tells the owner once it is idle: the popup is shown and painted.
LRESULT CALLBACK IdleHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_ENTERIDLE && pMsg->wParam == MSGF_MENU) {
        if (HMENU hMenu = OpenPopupMenu()) {
            g_visit.nItems = ::GetMenuItemCount(hMenu);
            if (g_visit.bHover) {
                CMemDCHandle dc(::CreateCompatibleDC(nullptr));
                CBitmapHandle bitmap(::CreateCompatibleBitmap(dc, 20, 20));
                CSelectObject select(dc, bitmap);
                DrawFolderItems(hMenu, dc);
            }
        }
        ::EndMenu();
    }
    return ::CallNextHookEx(g_hIdleHook, nCode, wParam, lParam);
}

void PumpPendingMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Opens the Favorites menu nRuns times (after one warm-up) by a click on its menu-bar button,
// then nRuns times hovering over every folder in it; prints the medians.
void TimeMenuOpenings(int nRuns)
{
    if (!AfxOleInit()) return;
    AfxEnableControlContainer(&theApp.m_occManager);
    if (!theApp.m_imageList.GetSafeHandle()) theApp.LoadImageList();
    auto* pFrame = new CBrowserFrame;  // deletes itself with its window
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return;
    const HWND hFrame = pFrame->m_hWnd;
    pFrame->SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOZORDER);  // wide enough for every menu on the bar
    pFrame->ShowWindow(SW_SHOWNORMAL);
    PumpPendingMessages();
    g_visit.hFrame = hFrame;
    g_hIdleHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &IdleHook, nullptr, ::GetCurrentThreadId());

    const int nFavorites = 3;  // F&avorites, the fourth menu
    RECT rect{};
    pFrame->m_wndMenuBar.GetItemRect(nFavorites, &rect);
    const LPARAM lPoint = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    std::vector<double> openings, hovered;
    double firstOpening = 0;
    for (int run = 0; run <= 2 * nRuns; ++run) {
        g_visit.bHover = run > nRuns;
        g_visit.nItems = 0;
        const size_t nDrawsBefore = g_visit.drawTimes.size();
        const double t0 = Now();
        pFrame->m_wndMenuBar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        const double tOpen = Now() - t0;
        PumpPendingMessages();
        if (run == 0) {
            firstOpening = tOpen;
            std::printf("first opening (the tree already loaded) %.1f ms, %d items at the top\n", tOpen, g_visit.nItems);
        } else if (!g_visit.bHover) {
            openings.push_back(tOpen);
            std::printf("run %d: opening %.1f ms, %d items at the top\n", run, tOpen, g_visit.nItems);
        } else {
            hovered.push_back(tOpen);
            const std::vector<double> draws(g_visit.drawTimes.begin() + static_cast<ptrdiff_t>(nDrawsBefore),
                                            g_visit.drawTimes.end());
            std::printf("run %d: opening with %zu folder images drawn %.1f ms, median draw %.3f ms\n", run - nRuns,
                        draws.size(), tOpen, Median(draws));
        }
    }
    (void)firstOpening;
    std::printf("median opening %.1f ms; median WM_DRAWITEM of a folder %.3f ms (slowest %.3f ms) over %zu draws\n",
                Median(openings), Median(g_visit.drawTimes),
                g_visit.drawTimes.empty() ? 0.0 : *std::max_element(g_visit.drawTimes.begin(), g_visit.drawTimes.end()),
                g_visit.drawTimes.size());
    ::UnhookWindowsHookEx(g_hIdleHook);
    ::DestroyWindow(hFrame);
    PumpPendingMessages();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int nRuns = argc > 1 ? std::max(1, _wtoi(argv[1])) : 11;
    wchar_t szFavorites[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, szFavorites, CSIDL_FAVORITES, FALSE)) return 1;
    const std::wstring name = L"tw-bench-" + std::to_wstring(::GetCurrentProcessId());
    g_root = std::wstring(szFavorites) + L"\\" + name + L"\\";
    g_orderKey = std::wstring(kFavoritesMenuOrderKey) + L"\\" + name;

    const double tMake = Now();
    ::CreateDirectoryW(g_root.c_str(), nullptr);
    int nEntries = 0;
    std::vector<std::wstring> folders;
    std::vector<Bytes> topEntries;
    for (int i = 0; i < kTopFolders; ++i) {
        const std::wstring top = L"Topic " + std::to_wstring(i);
        MakeFolder(top + L"\\", kSubFolders, kLinksInTop, nEntries, folders);
        topEntries.push_back(OrderEntry(kTopFolders - 1 - i, IdList({FileEntryItem(8, "TOPIC~1", top, true)})));
        ++nEntries;
    }
    const Bytes rootRecord = OrderRecord(topEntries);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, g_orderKey.c_str(), L"Order", REG_BINARY, rootRecord.data(),
                      static_cast<DWORD>(rootRecord.size()));
    std::printf("generated %d entries in %zu folders in %.0f ms\n", nEntries, folders.size(), Now() - tMake);

    std::vector<double> load, floor;
    size_t nNodes = 0, nUrls = 0;
    for (int run = 0; run <= nRuns; ++run) {  // run 0 warms the caches and is not counted
        CFavoriteItemManager manager;
        const double t0 = Now();
        const BOOL bLoaded = manager.Load(g_root.c_str(), TRUE);
        const double t1 = Now();
        nUrls = FloorWalk(g_root);
        const double t2 = Now();
        for (nNodes = 0; manager.GetItem(static_cast<INT_PTR>(nNodes)); ++nNodes) {}
        if (!bLoaded) std::printf("load cut short\n");
        if (run == 0) continue;
        load.push_back(t1 - t0);
        floor.push_back(t2 - t1);
        std::printf("run %d: load %.1f ms, floor %.1f ms\n", run, load.back(), floor.back());
    }
    const bool bOrdered = [] {
        CFavoriteItemManager manager;
        manager.Load(g_root.c_str(), TRUE);
        const CFavoriteItem* pFirst = manager.m_pRoot ? manager.m_pRoot->GetChild(0) : nullptr;
        return pFirst && pFirst->m_strName == L"Topic 9";
    }();
    std::printf("nodes %zu (root included), shortcuts read by the floor %zu, stored order applied: %s\n", nNodes, nUrls,
                bOrdered ? "yes" : "NO");
    // Each run's load and floor meet the same caches and load: their ratio drifts less than either.
    std::vector<double> ratios;
    for (size_t i = 0; i < load.size(); ++i) ratios.push_back(load[i] / floor[i]);
    const double loadMedian = Median(load), floorMedian = Median(floor);
    std::printf("median load %.1f ms, median floor %.1f ms, their ratio %.2f; median of the runs' ratios %.2f (goal 1.50 at most)\n",
                loadMedian, floorMedian, loadMedian / floorMedian, Median(ratios));

    // The popup as a window builds it, from the application's tree.
    theApp.m_favorites.Load(g_root.c_str(), TRUE);
    theApp.m_bFavoritesLoaded = TRUE;
    CBrowserFrame frame;
    CFavoritesMenu menu(frame);
    std::vector<double> build, buildAndCopy;
    int nItems = 0;
    for (int run = 0; run <= nRuns; ++run) {
        CMenuHandle hMenu(::CreatePopupMenu());
        CMenuHandle hPopup(::CreatePopupMenu());
        const double t0 = Now();
        menu.BuildFavoritesPopup(hMenu);
        const double t1 = Now();
        CMFCPopupMenuBar(hPopup).ImportFromMenu(hMenu);
        const double t2 = Now();
        nItems = ::GetMenuItemCount(hPopup);
        if (run == 0) continue;
        build.push_back(t1 - t0);
        buildAndCopy.push_back(t2 - t0);
        std::printf("run %d: popup build %.1f ms, with its copy into the popup %.1f ms\n", run, build.back(),
                    buildAndCopy.back());
    }
    std::printf("popup top level %d items; median popup build %.1f ms, with its copy %.1f ms (goal 50 ms at most)\n",
                nItems, Median(build), Median(buildAndCopy));

    TimeMenuOpenings(nRuns);

    RemoveTree(g_root);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, g_orderKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, g_orderKey.c_str());
    return 0;
}
