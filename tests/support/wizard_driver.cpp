#include "support/wizard_driver.h"

#include <string.h>

#include "resources/resource_ids.h"
#include "support/wizard_screenshot.h"
#include "ui/page_table.h"

namespace {
const char UNINSTALL_ROOT[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A block of memory inside the wizard's process: tree view messages carry pointers, which
// must point into the process that owns the control.
class RemoteBlock {
  public:
    RemoteBlock(HANDLE process, size_t size) : process_(process) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    bool Valid() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, At(offset), data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, At(offset), data, size, &done) && done == size;
    }

  private:
    HANDLE process_;
    void* address_;
};

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

int PageMarker(int kind) {
    switch (kind) {
    case PAGE_LICENCE:
        return IDC_LICENCE_TEXT;
    case PAGE_HOTSYNC_USER:
        return IDC_USER_COMBO;
    case PAGE_COMPONENTS:
        return IDC_COMPONENT_TREE;
    case PAGE_FINISH:
        return IDC_RESTART_NOW;
    }
    return 0;
}

struct ChildSearch {
    int marker;
    HWND found;
};

BOOL CALLBACK FindPageWindow(HWND window, LPARAM param) {
    ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
    char name[32];
    GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, "#32770") == 0 && GetDlgItem(window, search->marker)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool SendMouse(DWORD flags, POINT screen) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof(input)) == 1;
}
} // namespace

ProductFolder::ProductFolder() : folder_("product") {
    CopyFileA(BinPath("Setup.exe").c_str(), SetupPath().c_str(), FALSE);
}

ProductFolder::~ProductFolder() {
    // A Setup.exe that was just ended may keep its image file for a moment.
    std::string setup = SetupPath();
    WaitUntil([&] { return DeleteFileA(setup.c_str()) || !FileExists(setup); }, 10000);
}

bool ProductFolder::Write(const std::string& name, const std::string& bytes) const {
    return WriteFileBytes(File(name), bytes);
}

bool ProductFolder::WriteLogo(const std::string& name, int width, int height) const {
    int rowSize = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + rowSize * height;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int y = 0; y < height; ++y) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<char>(255 - x * 255 / width);
            row[x * 3 + 1] = static_cast<char>(y * 255 / height);
            row[x * 3 + 2] = static_cast<char>(x * 255 / width);
        }
        bytes += row;
    }
    return Write(name, bytes);
}

InstallTraces::InstallTraces(const std::string& productTitle)
    : uninstallKey_(std::string(UNINSTALL_ROOT) + productTitle) {
    Remove();
}

InstallTraces::~InstallTraces() {
    Remove();
}

bool InstallTraces::UninstallEntryExists() const {
    std::string name;
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, uninstallKey_, "DisplayName", &name);
}

void InstallTraces::Remove() const {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, uninstallKey_);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string copy = std::string(windows) + "\\Setup.exe";
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copy.c_str());
}

OpenRecorder::OpenRecorder()
    : folder_("opened"), record_(folder_.File("opened.txt")),
      extension_(HKEY_CLASSES_ROOT, ".txt", ""),
      command_(HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command", "") {
    extension_.Set("txtfile");
    command_.Set("\"" + BinPath("fakes\\wizardaids\\openrecorder.exe") + "\" \"%1\"");
    SetEnvironmentVariableA("ORVEX_OPEN_RECORD", record_.c_str());
}

OpenRecorder::~OpenRecorder() {
    SetEnvironmentVariableA("ORVEX_OPEN_RECORD", nullptr);
}

std::vector<std::string> OpenRecorder::Opened() const {
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(record_);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

bool OpenRecorder::WaitForOpened(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return Opened().size() >= count; }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        SleepPumping(20);
    }
}

WizardDriver::~WizardDriver() {
    if (process_.Running())
        process_.Kill();
}

bool WizardDriver::StartProcessOnly(const ProductFolder& product) {
    return process_.Start("\"" + product.SetupPath() + "\"", product.Path().c_str());
}

bool WizardDriver::Start(const ProductFolder& product, DWORD timeoutMs) {
    return StartIn(product.Path(), timeoutMs);
}

bool WizardDriver::StartIn(const std::string& productFolder, DWORD timeoutMs,
                           const std::string& arguments) {
    std::string line = "\"" + productFolder + "\\Setup.exe\"";
    if (!arguments.empty())
        line += " " + arguments;
    if (!process_.Start(line, productFolder.c_str()))
        return false;
    // The frame is the process's top-level dialog that holds the navigation buttons.
    bool found = WaitUntil(
        [&] {
            for (HWND window : TopWindowsOf(process_.Id(), "#32770")) {
                if (GetDlgItem(window, IDC_BACK) && GetDlgItem(window, IDC_LOGO)) {
                    frame_ = window;
                    return true;
                }
            }
            return !process_.Running();
        },
        timeoutMs);
    return found && frame_ && WaitForPage(PAGE_LICENCE, timeoutMs);
}

bool WizardDriver::StartPackage(const std::string& package, const std::string& arguments,
                                DWORD timeoutMs) {
    if (!package_.Start("\"" + package + "\"" + (arguments.empty() ? "" : " " + arguments)))
        return false;
    bool found = WaitUntil(
        [&] {
            for (HWND window : TopWindowsOf(0, "#32770")) {
                if (GetDlgItem(window, IDC_BACK) && GetDlgItem(window, IDC_LOGO)) {
                    frame_ = window;
                    return true;
                }
            }
            return !package_.Running();
        },
        timeoutMs);
    DWORD installer = 0;
    if (!found || !frame_ || !GetWindowThreadProcessId(frame_, &installer) ||
        !process_.Attach(installer))
        return false;
    return WaitForPage(PAGE_LICENCE, timeoutMs);
}

bool WizardDriver::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    return process_.Wait(timeoutMs, exitCode);
}

HWND WizardDriver::Page(int kind) const {
    ChildSearch search = {PageMarker(kind), nullptr};
    if (frame_ && search.marker)
        EnumChildWindows(frame_, FindPageWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int WizardDriver::CurrentPage() const {
    for (int kind = PAGE_LICENCE; kind < PAGE_COUNT; ++kind) {
        HWND page = Page(kind);
        if (page && IsWindowVisible(page))
            return kind;
    }
    return -1;
}

bool WizardDriver::WaitForPage(int kind, DWORD timeoutMs) const {
    // The page shows before the frame relabels its buttons in the same command; a message sent
    // to the frame is answered only once that command has returned.
    DWORD_PTR answer = 0;
    return WaitUntil([&] { return CurrentPage() == kind; }, timeoutMs) &&
           SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer);
}

bool WizardDriver::WalkToComponents() {
    for (int page : {PAGE_LICENCE, PAGE_HOTSYNC_USER}) {
        if (!WaitForPage(page))
            return false;
        PressFrameButton(IDOK);
    }
    return WaitForPage(PAGE_COMPONENTS) &&
           WaitUntil([&] { return FrameButtonEnabled(IDOK); }, 15000);
}

std::string WizardDriver::FrameButtonText(int id) const {
    return ControlText(frame_, id);
}

bool WizardDriver::FrameButtonVisible(int id) const {
    HWND button = GetDlgItem(frame_, id);
    return button && IsWindowVisible(button);
}

bool WizardDriver::FrameButtonEnabled(int id) const {
    HWND button = GetDlgItem(frame_, id);
    return button && IsWindowEnabled(button);
}

std::string WizardDriver::PageText(int kind, int id) const {
    return ControlText(Page(kind), id);
}

bool WizardDriver::PageControlVisible(int kind, int id) const {
    HWND control = GetDlgItem(Page(kind), id);
    return control && IsWindowVisible(control);
}

bool WizardDriver::PageButtonChecked(int kind, int id) const {
    HWND control = GetDlgItem(Page(kind), id);
    return control && SendBounded(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool WizardDriver::PressFrameButton(int id) const {
    return PressButton(frame_, id);
}

bool WizardDriver::PressPageButton(int kind, int id) const {
    return PressButton(Page(kind), id);
}

bool WizardDriver::MoveMouseTo(POINT screen) const {
    return SendMouse(MOUSEEVENTF_MOVE, screen);
}

bool WizardDriver::ClickAt(POINT screen, bool twice) const {
    bool sent = SendMouse(MOUSEEVENTF_MOVE, screen);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        sent = sent && SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
        Sleep(20);
        sent = sent && SendMouse(MOUSEEVENTF_LEFTUP, screen);
        Sleep(20);
    }
    return sent;
}

bool WizardDriver::TypeKey(WORD virtualKey) const {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[0].ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

POINT WizardDriver::CentreOf(HWND window) const {
    RECT rect = {};
    GetWindowRect(window, &rect);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return centre;
}

HWND WizardDriver::Tree() const {
    return GetDlgItem(Page(PAGE_COMPONENTS), IDC_COMPONENT_TREE);
}

std::vector<TreeNode> WizardDriver::Nodes() const {
    std::vector<TreeNode> nodes;
    HWND tree = Tree();
    const size_t TEXT_OFFSET = 64;
    RemoteBlock block(process_.Handle(), 1024);
    if (!tree || !block.Valid())
        return nodes;
    // Depth-first through the handles, which need no memory of the other process.
    std::vector<std::pair<HTREEITEM, int>> pending;
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendBounded(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::vector<std::pair<HTREEITEM, int>> roots;
    for (HTREEITEM item = root; item;
         item = reinterpret_cast<HTREEITEM>(
             SendBounded(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        roots.push_back({item, 0});
    pending.assign(roots.rbegin(), roots.rend());
    while (!pending.empty()) {
        std::pair<HTREEITEM, int> current = pending.back();
        pending.pop_back();
        TVITEMA item = {};
        item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
        item.hItem = current.first;
        item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED | TVIS_SELECTED;
        item.pszText = block.At(TEXT_OFFSET);
        item.cchTextMax = 256;
        char text[257] = {};
        if (!block.Write(0, &item, sizeof(item)) || !block.Write(TEXT_OFFSET, text, 256) ||
            !SendBounded(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.At(0))) ||
            !block.Read(0, &item, sizeof(item)) || !block.Read(TEXT_OFFSET, text, 256))
            return std::vector<TreeNode>();
        TreeNode node;
        node.item = current.first;
        node.text = text;
        node.checked = (item.state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        node.expanded = (item.state & TVIS_EXPANDED) != 0;
        node.highlighted = (item.state & TVIS_SELECTED) != 0;
        node.depth = current.second;
        nodes.push_back(node);
        std::vector<std::pair<HTREEITEM, int>> children;
        for (HTREEITEM child = reinterpret_cast<HTREEITEM>(SendBounded(
                 tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(current.first)));
             child; child = reinterpret_cast<HTREEITEM>(SendBounded(
                        tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
            children.push_back({child, current.second + 1});
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return nodes;
}

bool WizardDriver::FindNode(const std::string& text, TreeNode* node) const {
    for (const TreeNode& candidate : Nodes()) {
        if (candidate.text == text) {
            *node = candidate;
            return true;
        }
    }
    return false;
}

bool WizardDriver::NodeRect(HTREEITEM item, bool textOnly, RECT* rect) const {
    HWND tree = Tree();
    RemoteBlock block(process_.Handle(), sizeof(RECT));
    if (!tree || !block.Valid())
        return false;
    SendBounded(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    RECT request = {};
    memcpy(&request, &item, sizeof(item));
    return block.Write(0, &request, sizeof(request)) &&
           SendBounded(tree, TVM_GETITEMRECT, textOnly ? TRUE : FALSE,
                       reinterpret_cast<LPARAM>(block.At(0))) &&
           block.Read(0, rect, sizeof(*rect));
}

bool WizardDriver::HitTest(HWND tree, POINT client, HTREEITEM* item, UINT* flags) const {
    RemoteBlock block(process_.Handle(), sizeof(TVHITTESTINFO));
    TVHITTESTINFO hit = {};
    hit.pt = client;
    if (!block.Valid() || !block.Write(0, &hit, sizeof(hit)))
        return false;
    SendBounded(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(block.At(0)));
    if (!block.Read(0, &hit, sizeof(hit)))
        return false;
    *item = hit.hItem;
    *flags = hit.flags;
    return true;
}

bool WizardDriver::ClickCheckBox(const std::string& text, bool twice) const {
    TreeNode node;
    RECT label;
    HWND tree = Tree();
    if (!FindNode(text, &node) || !NodeRect(node.item, true, &label))
        return false;
    // The state image sits left of the label; find its extent by hit-testing the row.
    int y = (label.top + label.bottom) / 2;
    int first = -1, last = -1;
    for (int x = label.left - 1; x >= 0 && x >= label.left - 48; --x) {
        HTREEITEM hit = nullptr;
        UINT flags = 0;
        POINT point = {x, y};
        if (!HitTest(tree, point, &hit, &flags))
            return false;
        if (hit == node.item && (flags & TVHT_ONITEMSTATEICON)) {
            if (last < 0)
                last = x;
            first = x;
        } else if (last >= 0) {
            break;
        }
    }
    if (last < 0)
        return false;
    POINT target = {(first + last) / 2, y};
    ClientToScreen(tree, &target);
    if (!ClickAt(target, twice))
        return false;
    if (twice) {
        // Two flips may leave the mark as it was: wait until the wizard has taken up the input.
        Sleep(100);
        return WaitForInputIdle(process_.Handle(), 5000) == 0;
    }
    return WaitUntil(
        [&] {
            TreeNode now;
            return FindNode(text, &now) && now.checked != node.checked;
        },
        5000);
}

bool WizardDriver::ClickLabel(const std::string& text) const {
    TreeNode node;
    RECT label;
    HWND tree = Tree();
    if (!FindNode(text, &node) || !NodeRect(node.item, true, &label))
        return false;
    POINT target = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(tree, &target);
    if (!ClickAt(target))
        return false;
    return WaitUntil(
        [&] {
            TreeNode now;
            return FindNode(text, &now) && now.highlighted;
        },
        5000);
}

std::vector<std::string> WizardDriver::UserList() const {
    std::vector<std::string> names;
    HWND combo = GetDlgItem(Page(PAGE_HOTSYNC_USER), IDC_USER_COMBO);
    LRESULT count = combo ? SendBounded(combo, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        // The system carries combo box texts across processes itself, unlike tree items; it
        // does so faithfully only for the wide form.
        wchar_t wide[512] = {};
        LRESULT length = SendBounded(combo, CB_GETLBTEXTLEN, i, 0);
        DWORD_PTR ignored = 0;
        if (length < 0 || length >= 511 ||
            !SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide),
                                 SMTO_ABORTIFHUNG, 5000, &ignored))
            break;
        char name[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof(name) - 1, nullptr, nullptr);
        names.push_back(name);
    }
    return names;
}

int WizardDriver::UserSelection() const {
    HWND combo = GetDlgItem(Page(PAGE_HOTSYNC_USER), IDC_USER_COMBO);
    return combo ? static_cast<int>(SendBounded(combo, CB_GETCURSEL, 0, 0)) : -1;
}

bool WizardDriver::ChooseUser(int index) const {
    HWND page = Page(PAGE_HOTSYNC_USER);
    HWND combo = GetDlgItem(page, IDC_USER_COMBO);
    if (!combo || SendBounded(combo, CB_SETCURSEL, index, 0) != index)
        return false;
    SendBounded(page, WM_COMMAND, MAKEWPARAM(IDC_USER_COMBO, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(combo));
    return true;
}

HWND WizardDriver::WaitForMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindowsOf(process_.Id(), "#32770")) {
                if (window != frame_ && GetDlgItem(window, 0xFFFF)) {
                    box = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return box;
}

bool WizardDriver::Screenshot(const std::string& name) const {
    if (!frame_)
        return false;
    // Let the wizard finish painting first.
    SendBounded(frame_, WM_NULL, 0, 0);
    RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SleepPumping(150);
    return SaveWindowPng(frame_, ScreenshotFolder() + "\\" + name + ".png");
}
