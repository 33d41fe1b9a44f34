#pragma once
// Drives the real Setup.exe through its windows as a user would: a product folder beside a copy
// of the program, the wizard's frame and pages, buttons, tree check boxes clicked with real mouse
// input, keys typed, message boxes answered. Every wait is bounded.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "support/system_standins.h"
#include "support/test_support.h"

// A folder with a copy of Setup.exe, removed with everything in it at destruction.
class ProductFolder {
  public:
    ProductFolder();
    ~ProductFolder();
    ProductFolder(const ProductFolder&) = delete;
    ProductFolder& operator=(const ProductFolder&) = delete;
    const std::string& Path() const { return folder_.Path(); }
    std::string File(const std::string& name) const { return folder_.File(name); }
    std::string SetupPath() const { return File("Setup.exe"); }
    bool Write(const std::string& name, const std::string& bytes) const;
    bool WriteScript(const std::string& text) const { return Write("Setup.ini", text); }
    // A 24-bit bitmap of the size, in a colour gradient.
    bool WriteLogo(const std::string& name, int width, int height) const;

  private:
    TempFolder folder_;
};

// What an install run leaves outside the product folder, removed at construction (in case a
// failed run left it) and at destruction: the uninstall entry of the product title and the
// installer's copy in the Windows folder.
class InstallTraces {
  public:
    explicit InstallTraces(const std::string& productTitle);
    ~InstallTraces();
    InstallTraces(const InstallTraces&) = delete;
    InstallTraces& operator=(const InstallTraces&) = delete;
    std::string UninstallKey() const { return uninstallKey_; }
    bool UninstallEntryExists() const;

  private:
    void Remove() const;
    std::string uninstallKey_;
};

// Points the shell's "Open" of text files at openrecorder.exe for the life of the object, so that
// a document opened by the wizard is recorded instead of shown (and no editor keeps the prefix
// busy). Its environment variable is inherited by Setup.exe started afterwards.
class OpenRecorder {
  public:
    OpenRecorder();
    ~OpenRecorder();
    OpenRecorder(const OpenRecorder&) = delete;
    OpenRecorder& operator=(const OpenRecorder&) = delete;
    // The command lines recorded so far, one per opened document.
    std::vector<std::string> Opened() const;
    bool WaitForOpened(size_t count, DWORD timeoutMs) const;

  private:
    TempFolder folder_;
    std::string record_;
    RegistryValueGuard extension_;
    RegistryValueGuard command_;
};

// Waits until the condition holds; false after the time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// One node of the components tree as the user sees it.
struct TreeNode {
    HTREEITEM item;
    std::string text;
    bool checked;
    bool expanded;
    bool highlighted;
    int depth;
};

class WizardDriver {
  public:
    WizardDriver() = default;
    // Ends Setup.exe if it still runs, so that a failed test leaves no process behind.
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    // Starts the product's Setup.exe and waits for the wizard frame.
    bool Start(const ProductFolder& product, DWORD timeoutMs = 30000);
    // The same for a product folder that is not a ProductFolder (one assembled by a script), with
    // the command-line arguments given.
    bool StartIn(const std::string& productFolder, DWORD timeoutMs = 30000,
                 const std::string& arguments = std::string());
    bool StartProcessOnly(const ProductFolder& product);
    // Starts a package and waits for the wizard of the installer it unpacked; from then on the
    // driver works on that installer's process. The package's own process: Package().
    bool StartPackage(const std::string& package, const std::string& arguments = std::string(),
                      DWORD timeoutMs = 60000);
    ChildProcess& Package() { return package_; }
    DWORD ProcessId() const { return process_.Id(); }
    bool Running() const { return process_.Running(); }
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    HWND Frame() const { return frame_; }

    // The page windows by kind (PAGE_LICENCE ... PAGE_FINISH); null when the wizard has none.
    HWND Page(int kind) const;
    // The kind of the visible page, -1 when none is visible.
    int CurrentPage() const;
    bool WaitForPage(int kind, DWORD timeoutMs = 15000) const;
    // From the licence page on through Next to the components page, its Install button ready.
    bool WalkToComponents();

    std::string FrameButtonText(int id) const;
    bool FrameButtonVisible(int id) const;
    bool FrameButtonEnabled(int id) const;
    std::string PageText(int kind, int id) const;
    bool PageControlVisible(int kind, int id) const;
    bool PageButtonChecked(int kind, int id) const;
    // Presses a button of the frame or of a page (BM_CLICK posted, as a click would do).
    bool PressFrameButton(int id) const;
    bool PressPageButton(int kind, int id) const;

    // Real input through the system's input queue.
    bool ClickAt(POINT screen, bool twice = false) const;
    bool TypeKey(WORD virtualKey) const;
    bool MoveMouseTo(POINT screen) const;
    POINT CentreOf(HWND window) const;

    // The components tree, in display order.
    std::vector<TreeNode> Nodes() const;
    bool FindNode(const std::string& text, TreeNode* node) const;
    // Clicks the node's check box with the mouse and waits until the tree shows the new mark.
    bool ClickCheckBox(const std::string& text, bool twice = false) const;
    // Clicks the node's label (highlights it).
    bool ClickLabel(const std::string& text) const;

    // The HotSync user list.
    std::vector<std::string> UserList() const;
    int UserSelection() const;
    // Chooses an entry as the drop-down list does: selection, then CBN_SELCHANGE to the page.
    bool ChooseUser(int index) const;

    // A message box of the wizard's process (not the frame itself).
    HWND WaitForMessageBox(DWORD timeoutMs) const;

    // Saves a picture of the frame as build/screenshots/<name>.png.
    bool Screenshot(const std::string& name) const;

  private:
    HWND Tree() const;
    bool NodeRect(HTREEITEM item, bool textOnly, RECT* rect) const;
    bool HitTest(HWND tree, POINT client, HTREEITEM* item, UINT* flags) const;

    ChildProcess process_;
    ChildProcess package_;
    HWND frame_ = nullptr;
};
