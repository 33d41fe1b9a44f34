// The starter of a one-file package: checks the data behind itself, unpacks it into a new folder
// of the temporary folder (the Windows folder's for a run with administrator rights), runs
// Setup.exe from there with its own command line unchanged, removes the folder and ends with the
// installer's exit code. It links no C runtime and imports only what every 32-bit Windows has;
// it loads no library from its own folder, where downloads lie.
#include <string.h>
#include <windows.h>

#include "package/package_format.h"
#include "package/unpack_folder.h"
#include "resources/resource_ids.h"
#include "system/argument_splitter.h"
#include "system/exit_codes.h"
#include "system/full_path.h"
#include "system/library_binding.h"
#include "system/module_path.h"
#include "system/run_record.h"
#include "system/system_libraries.h"
#include "system/text.h"
#include "system/win_handles.h"

extern "C" {
#include <LzmaDec.h>
}

namespace {
const char DAMAGED_TEXT[] = "This package is damaged or incomplete. Download it again.";
const char SPACE_TEXT[] = "Setup needs %lu KB more on drive %c: to unpack.";
const char WRITE_TEXT[] = "Setup cannot write to the temporary folder \"%s\".";
const char START_TEXT[] = "Setup cannot start the installer \"%s\" (error %lu).";
const char PROGRESS_WINDOW_CLASS[] = "OrvexPackageProgress";
const DWORD PROGRESS_DELAY_MS = 500;
const DWORD CHUNK = 64 * 1024;
const ULONGLONG UNPACK_MARGIN = 1024 * 1024;

enum Outcome {
    OUTCOME_DONE,
    OUTCOME_DAMAGED,
    OUTCOME_NO_SPACE,
    OUTCOME_NO_WRITE,
    OUTCOME_NO_START
};

// The two switches the starter acts on itself, read as Setup.exe reads them: /S (no window, no
// box) and /LOG (where a failure is recorded), the first of each.
struct CommandLine {
    bool silent;
    char logPath[MAX_PATH];
};

void ReadSwitches(const char* text, CommandLine* line) {
    // "/LOG=" and a value that fits logPath; a longer one is no usable switch, as for Setup.exe.
    char argument[5 + MAX_PATH];
    bool fits;
    for (const char* p = SkipArgumentBlanks(text); *p; p = SkipArgumentBlanks(p)) {
        // The installer's mode keywords all begin with a dash, and the text behind one is
        // verbatim: the switches have ended.
        if (*p == '-' || (*p == '"' && p[1] == '-'))
            break;
        p = SplitArgument(p, argument, sizeof(argument), &fits);
        if (fits && EqualNoCase(argument, "/S"))
            line->silent = true;
        else if (fits && StartsWithNoCase(argument, "/LOG=") && argument[5] && !line->logPath[0])
            CopyText(line->logPath, sizeof(line->logPath), argument + 5);
    }
}

void* HeapBlock(size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}
void FreeBlock(void* block) {
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
void* LzmaAlloc(void*, size_t size) {
    return HeapBlock(size);
}
void LzmaFree(void*, void* block) {
    FreeBlock(block);
}
ISzAlloc lzmaAllocator = {LzmaAlloc, LzmaFree};

bool NtFamily() {
    return GetVersion() < 0x80000000u;
}

// USER32 is bound only when a window or a box is needed: loading it is most of a program's start
// (it connects to the display), and a package that unpacks quickly or runs with /S needs none.
const User32Functions* user;

// A use never ended: the library stays loaded for the rest of the process.
bool BindUser() {
    static bool tried = false;
    if (!tried) {
        tried = true;
        AcquireLibrary(&user32Library);
        user = TableFunctions(&user32Table);
    }
    return user != nullptr;
}

void Shrink(RECT* rect, int dx, int dy) {
    rect->left += dx;
    rect->right -= dx;
    rect->top += dy;
    rect->bottom -= dy;
}

// The progress window: the product's title and a bar painted here, so that the common controls
// library is not needed.
int progressPermille;

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        return 0;
    if (message != WM_PAINT)
        return user->DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = user->BeginPaint(window, &paint);
    RECT bar;
    user->GetClientRect(window, &bar);
    Shrink(&bar, 16, (bar.bottom - 20) / 2);
    user->FrameRect(dc, &bar, user->GetSysColorBrush(COLOR_WINDOWTEXT));
    Shrink(&bar, 2, 2);
    bar.right = bar.left + (bar.right - bar.left) * progressPermille / 1000;
    user->FillRect(dc, &bar, user->GetSysColorBrush(COLOR_HIGHLIGHT));
    user->EndPaint(window, &paint);
    return 0;
}

class Starter {
  public:
    explicit Starter(HINSTANCE instance) : instance_(instance), nt_(NtFamily()) {}
    ~Starter();
    Starter(const Starter&) = delete;
    Starter& operator=(const Starter&) = delete;

    int Run(const char* arguments, const CommandLine& line);

  private:
    Outcome OpenPackage();
    Outcome CheckSpace();
    Outcome MakeFolder();
    Outcome Unpack();
    bool WriteOut(const uint8_t* bytes, size_t size);
    void FilePath(uint32_t index, char* path);
    bool FinishFile();
    bool OpenNextFiles();
    void RemoveFolder();
    void Advance(DWORD bytes);
    void CloseProgress();
    void Fail(Outcome outcome, const CommandLine& line);

    HINSTANCE instance_;
    bool nt_;
    bool silent_ = false;
    FileHandle package_;
    uint32_t dataAt_ = 0;
    PackageHeader header_ = {};
    bool headerRead_ = false;
    uint8_t* table_ = nullptr;
    PackageEntry* entries_ = nullptr;
    char temp_[MAX_PATH] = {};
    char folder_[MAX_PATH] = {};
    char program_[MAX_PATH] = {};
    char unpacking_[MAX_PATH] = {}; // the name the file being written has until it is whole
    bool folderMade_ = false;
    FileHandle folderHeld_;
    uint32_t created_ = 0; // files made so far in the folder
    uint32_t current_ = 0; // the file being written
    uint32_t left_ = 0;    // its bytes still to come
    bool damaged_ = false; // a file's bytes did not match its CRC
    FileHandle file_;
    HANDLE* held_ = nullptr; // the files unpacked, each held until the installer has ended
    uint32_t heldCount_ = 0;
    uint8_t* readBack_ = nullptr;
    DWORD startError_ = 0;
    ULONGLONG shortBy_ = 0;
    // Progress over the stream's check and the unpacked bytes, shifted right by progressShift_
    // for the per-mille, so that both fit 22 bits and it needs no 64-bit division.
    DWORD started_ = 0;
    ULONGLONG done_ = 0;
    ULONGLONG total_ = 1;
    int progressShift_ = 0;
    HWND window_ = nullptr;
};

Starter::~Starter() {
    CloseProgress();
    FreeBlock(table_);
    FreeBlock(entries_);
    FreeBlock(held_);
}

void Starter::Advance(DWORD bytes) {
    done_ += bytes;
    if (silent_)
        return;
    if (!window_ && GetTickCount() - started_ >= PROGRESS_DELAY_MS && BindUser()) {
        WNDCLASSA type = {};
        type.lpfnWndProc = ProgressProc;
        type.hInstance = instance_;
        type.hIcon = user->LoadIconA(instance_, MAKEINTRESOURCEA(IDI_SETUP));
        type.hCursor = user->LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)); // IDC_APPSTARTING
        type.hbrBackground = user->GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = PROGRESS_WINDOW_CLASS;
        user->RegisterClassA(&type);
        const int width = 360, height = 100;
        window_ = user->CreateWindowExA(
            0, PROGRESS_WINDOW_CLASS, headerRead_ ? header_.title : "Setup",
            WS_POPUP | WS_CAPTION | WS_VISIBLE, (user->GetSystemMetrics(SM_CXSCREEN) - width) / 2,
            (user->GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
            instance_, nullptr);
    }
    if (!window_)
        return;
    int permille = static_cast<int>(static_cast<DWORD>(done_ >> progressShift_) * 1000 /
                                    static_cast<DWORD>(total_ >> progressShift_));
    if (permille != progressPermille) {
        progressPermille = permille;
        user->InvalidateRect(window_, nullptr, FALSE);
    }
    MSG message;
    while (user->PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        user->TranslateMessage(&message);
        user->DispatchMessageA(&message);
    }
}

void Starter::CloseProgress() {
    if (window_)
        user->DestroyWindow(window_);
    window_ = nullptr;
}

HANDLE OpenToRead(const char* path, DWORD share) {
    return CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool ReadAt(HANDLE file, DWORD at, void* out, DWORD size) {
    DWORD got = 0;
    return SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN) == at &&
           ReadFile(file, out, size, &got, nullptr) && got == size;
}

Outcome Starter::OpenPackage() {
    char self[MAX_PATH];
    if (!GetModulePath(nullptr, self, sizeof(self)))
        return OUTCOME_DAMAGED;
    package_.Reset(OpenToRead(self, FILE_SHARE_READ));
    uint8_t head[4096];
    DWORD got = 0;
    if (!package_.IsValid() || !ReadFile(package_.Get(), head, sizeof(head), &got, nullptr) ||
        !ProgramImageEnd(head, got, &dataAt_))
        return OUTCOME_DAMAGED;
    uint8_t bytes[PACKAGE_HEADER_SIZE];
    if (!ReadAt(package_.Get(), dataAt_, bytes, sizeof(bytes)) ||
        !ReadPackageHeader(bytes, sizeof(bytes), &header_))
        return OUTCOME_DAMAGED;
    headerRead_ = true;
    // Bounds first, so that a cut or forged package is never read past its end.
    DWORD high = 0;
    DWORD size = GetFileSize(package_.Get(), &high);
    ULONGLONG end = static_cast<ULONGLONG>(dataAt_) + PACKAGE_HEADER_SIZE + header_.tableSize +
                    header_.streamSize;
    if (high || end > size)
        return OUTCOME_DAMAGED;
    table_ = static_cast<uint8_t*>(HeapBlock(header_.tableSize + 1));
    entries_ = static_cast<PackageEntry*>(HeapBlock(sizeof(PackageEntry) * header_.fileCount));
    if (!table_ || !entries_ ||
        !ReadFile(package_.Get(), table_, header_.tableSize, &got, nullptr) ||
        got != header_.tableSize)
        return OUTCOME_DAMAGED;
    total_ = static_cast<ULONGLONG>(header_.streamSize) + header_.unpackedSize + 1;
    while (total_ >> progressShift_ >= (1u << 22))
        ++progressShift_;
    uint32_t crc = Crc32(Crc32(0, bytes, PACKAGE_CRC_AT), table_, header_.tableSize);
    uint8_t* chunk = static_cast<uint8_t*>(HeapBlock(CHUNK));
    if (!chunk)
        return OUTCOME_DAMAGED;
    for (uint32_t left = header_.streamSize; left;) {
        DWORD part = left < CHUNK ? left : CHUNK;
        if (!ReadFile(package_.Get(), chunk, part, &got, nullptr) || got != part)
            break;
        crc = Crc32(crc, chunk, part);
        left -= part;
        Advance(part);
    }
    FreeBlock(chunk);
    if (crc != header_.crc || !ReadPackageTable(header_, table_, entries_))
        return OUTCOME_DAMAGED;
    return OUTCOME_DONE;
}

Outcome Starter::CheckSpace() {
    // Room is kept for the folder's and the files' names.
    if (!UnpackParent(nt_ && RunsAsAdministrator(), temp_, sizeof(temp_) - 20)) {
        CopyText(temp_, sizeof(temp_), "%TEMP%");
        return OUTCOME_NO_WRITE;
    }
    ULONGLONG free = 0;
    ULARGE_INTEGER available, total, totalFree;
    // Windows 95 before OSR2 lacks the call that sees past 2 GB.
    auto freeSpaceEx = Kernel32().GetDiskFreeSpaceExA;
    if (freeSpaceEx && freeSpaceEx(temp_, &available, &total, &totalFree)) {
        free = available.QuadPart;
    } else {
        char root[4] = {temp_[0], ':', '\\', '\0'};
        DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
        if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            return OUTCOME_NO_WRITE;
        free = static_cast<ULONGLONG>(sectorsPerCluster) * bytesPerSector * freeClusters;
    }
    ULONGLONG need = header_.unpackedSize + UNPACK_MARGIN;
    if (free >= need)
        return OUTCOME_DONE;
    shortBy_ = need - free;
    return OUTCOME_NO_SPACE;
}

Outcome Starter::MakeFolder() {
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        FormatText(folder_, sizeof(folder_), "%sOrvex%08lX", temp_,
                   static_cast<unsigned long>(seed * 2654435761u + attempt * 40503u));
        // Held until the installer has ended, so that nobody renames it and puts another folder
        // in its place. Windows 95, 98 and Me open no folders.
        if (nt_)
            folderHeld_.Reset(CreateHeldFolder(folder_));
        if (nt_ ? folderHeld_.IsValid() : CreateDirectoryA(folder_, nullptr) != FALSE) {
            folderMade_ = true;
            return OUTCOME_DONE;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return OUTCOME_NO_WRITE;
}

void Starter::FilePath(uint32_t index, char* path) {
    FormatText(path, MAX_PATH, "%s\\%s", folder_, entries_[index].name);
}

// A file is written under its name with a "~" in front first, then takes its own name while a
// handle that shares no writing holds it, and is held so until the installer has ended: its own
// name never names a file another process can write to.
bool Starter::OpenNextFiles() {
    while (created_ < header_.fileCount && left_ == 0) {
        if (file_.IsValid() && !FinishFile())
            return false;
        // The longer of the two names.
        if (FormatText(unpacking_, MAX_PATH, "%s\\~%s", folder_, entries_[created_].name) >=
            MAX_PATH - 1)
            return false;
        file_.Reset(CreateFileA(unpacking_, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_.IsValid())
            return false;
        current_ = created_++;
        left_ = entries_[current_].size;
    }
    return true;
}

// The CRC is read through the handle that stays open: it covers whatever the file holds from
// here on.
bool Starter::FinishFile() {
    file_.Reset();
    char path[MAX_PATH];
    FilePath(current_, path);
    // Windows 95, 98 and Me know no delete sharing (nor users to keep out): the name changes
    // there without a handle.
    FileHandle moving;
    if (nt_)
        moving.Reset(OpenToRead(unpacking_, FILE_SHARE_READ | FILE_SHARE_DELETE));
    HANDLE held = (moving.IsValid() || !nt_) && MoveFileA(unpacking_, path)
                      ? OpenToRead(path, FILE_SHARE_READ)
                      : INVALID_HANDLE_VALUE;
    if (held == INVALID_HANDLE_VALUE)
        return false;
    held_[heldCount_++] = held;
    uint32_t crc = 0;
    DWORD got = 0;
    while (ReadFile(held, readBack_, CHUNK, &got, nullptr) && got)
        crc = Crc32(crc, readBack_, got);
    if (crc != entries_[current_].crc)
        damaged_ = true;
    return true;
}

Outcome Starter::Unpack() {
    CLzmaDec decoder;
    LzmaDec_Construct(&decoder);
    CLzmaProps props;
    if (LzmaProps_Decode(&props, header_.props, PACKAGE_PROPS_SIZE) != SZ_OK ||
        props.dicSize > PACKAGE_MAX_DICTIONARY ||
        LzmaDec_Allocate(&decoder, header_.props, PACKAGE_PROPS_SIZE, &lzmaAllocator) != SZ_OK)
        return OUTCOME_DAMAGED;
    LzmaDec_Init(&decoder);
    Outcome outcome = OUTCOME_DONE;
    uint8_t* input = static_cast<uint8_t*>(HeapBlock(CHUNK));
    DWORD inSize = 0, inPos = 0;
    uint32_t streamLeft = header_.streamSize;
    uint32_t outLeft = header_.unpackedSize;
    held_ = static_cast<HANDLE*>(HeapBlock(sizeof(HANDLE) * header_.fileCount));
    readBack_ = static_cast<uint8_t*>(HeapBlock(CHUNK));
    DWORD streamAt = dataAt_ + PACKAGE_HEADER_SIZE + header_.tableSize;
    if (!input || !held_ || !readBack_ ||
        SetFilePointer(package_.Get(), static_cast<LONG>(streamAt), nullptr, FILE_BEGIN) !=
            streamAt)
        outcome = OUTCOME_DAMAGED;
    else if (!OpenNextFiles())
        outcome = OUTCOME_NO_WRITE;
    while (outcome == OUTCOME_DONE && outLeft) {
        if (inPos == inSize && streamLeft) {
            inSize = streamLeft < CHUNK ? streamLeft : CHUNK;
            inPos = 0;
            DWORD got = 0;
            if (!ReadFile(package_.Get(), input, inSize, &got, nullptr) || got != inSize) {
                outcome = OUTCOME_DAMAGED;
                break;
            }
            streamLeft -= inSize;
        }
        if (decoder.dicPos == decoder.dicBufSize)
            decoder.dicPos = 0;
        SizeT before = decoder.dicPos;
        SizeT room = decoder.dicBufSize - before;
        SizeT limit = before + (room < outLeft ? room : outLeft);
        SizeT taken = inSize - inPos;
        ELzmaStatus status;
        SRes result =
            LzmaDec_DecodeToDic(&decoder, limit, input + inPos, &taken, LZMA_FINISH_ANY, &status);
        inPos += static_cast<DWORD>(taken);
        SizeT produced = decoder.dicPos - before;
        if (result != SZ_OK || (produced == 0 && taken == 0)) {
            outcome = OUTCOME_DAMAGED;
            break;
        }
        if (!WriteOut(decoder.dic + before, produced))
            outcome = OUTCOME_NO_WRITE;
        outLeft -= static_cast<uint32_t>(produced);
        Advance(static_cast<DWORD>(produced));
    }
    if (file_.IsValid() && !FinishFile() && outcome == OUTCOME_DONE)
        outcome = OUTCOME_NO_WRITE;
    if (damaged_ || (outcome == OUTCOME_DONE && created_ != header_.fileCount))
        outcome = OUTCOME_DAMAGED;
    FreeBlock(input);
    FreeBlock(readBack_);
    readBack_ = nullptr;
    LzmaDec_Free(&decoder, &lzmaAllocator);
    return outcome;
}

// Writes unpacked bytes across the files in table order. False on a write failure.
bool Starter::WriteOut(const uint8_t* bytes, size_t size) {
    while (size) {
        if (!OpenNextFiles())
            return false;
        DWORD part = static_cast<DWORD>(size < left_ ? size : left_);
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes, part, &written, nullptr) || written != part)
            return false;
        bytes += part;
        size -= part;
        left_ -= part;
        if (left_ == 0 && created_ == header_.fileCount)
            break;
    }
    return OpenNextFiles();
}

void Starter::RemoveFolder() {
    if (!folderMade_)
        return;
    file_.Reset();
    while (heldCount_)
        CloseHandle(held_[--heldCount_]);
    folderHeld_.Reset();
    // Windows 95, 98 and Me have no delayed delete: what is still open there stays behind.
    auto moveLater = nt_ ? Kernel32().MoveFileExA : nullptr;
    char path[MAX_PATH];
    // A file that failed half-way still has its "~" name.
    DeleteFileA(unpacking_);
    for (uint32_t i = 0; i < created_; ++i) {
        FilePath(i, path);
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path) && moveLater)
            moveLater(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    if (!RemoveDirectoryA(folder_) && moveLater)
        moveLater(folder_, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    folderMade_ = false;
}

// The folder goes first, then the message: in a box, or with /S in the /LOG record.
void Starter::Fail(Outcome outcome, const CommandLine& line) {
    CloseProgress();
    RemoveFolder();
    char text[MAX_PATH + 64];
    if (outcome == OUTCOME_NO_SPACE)
        FormatText(text, sizeof(text), SPACE_TEXT,
                   static_cast<unsigned long>((shortBy_ + 1023) / 1024), temp_[0]);
    else if (outcome == OUTCOME_NO_WRITE)
        FormatText(text, sizeof(text), WRITE_TEXT, temp_);
    else if (outcome == OUTCOME_NO_START)
        FormatText(text, sizeof(text), START_TEXT, program_,
                   static_cast<unsigned long>(startError_));
    else
        CopyText(text, sizeof(text), DAMAGED_TEXT);
    if (silent_) {
        if (line.logPath[0])
            OpenRunRecord(line.logPath);
        WriteRunRecord(text);
        WriteRunResult(EXIT_FAILED, true);
        CloseRunRecord();
    } else {
        char caption[PACKAGE_TITLE_SIZE + 16] = "Setup";
        if (headerRead_)
            FormatText(caption, sizeof(caption), "%s Installation", header_.title);
        if (BindUser())
            user->MessageBoxA(nullptr, text, caption, MB_ICONHAND | MB_SETFOREGROUND);
    }
}

int Starter::Run(const char* arguments, const CommandLine& line) {
    silent_ = line.silent;
    started_ = GetTickCount();
    Outcome outcome = OpenPackage();
    if (outcome == OUTCOME_DONE)
        outcome = CheckSpace();
    if (outcome == OUTCOME_DONE)
        outcome = MakeFolder();
    if (outcome == OUTCOME_DONE)
        outcome = Unpack();
    if (outcome != OUTCOME_DONE) {
        Fail(outcome, line);
        return EXIT_FAILED;
    }
    CloseProgress();
    package_.Reset();

    char systemFolder[MAX_PATH];
    size_t room = strlen(arguments) + sizeof(program_) + 4;
    char* command = static_cast<char*>(HeapBlock(room));
    FormatText(program_, sizeof(program_), "%s\\%s", folder_, PACKAGE_PROGRAM);
    UINT systemLength = GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    // The installer's own start-up information, none of the starter's handles or reserved fields.
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    int exitCode = EXIT_FAILED;
    bool started = command && systemLength && systemLength < sizeof(systemFolder);
    if (started) {
        FormatText(command, room, *arguments ? "\"%s\" %s" : "\"%s\"", program_, arguments);
        // The system folder as current folder: nothing the installer loads by a bare name is
        // then looked for in the folder it was started from.
        started = CreateProcessA(program_, command, nullptr, nullptr, FALSE, 0, nullptr,
                                 systemFolder, &startup, &process) != FALSE;
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = EXIT_FAILED;
        GetExitCodeProcess(process.hProcess, &code);
        exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        startError_ = GetLastError();
        Fail(OUTCOME_NO_START, line);
    }
    FreeBlock(command);
    RemoveFolder();
    return exitCode;
}

// The command line as a GUI program's WinMain gets it: without the program's name.
const char* ArgumentsOf(const char* line) {
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (static_cast<unsigned char>(*line) > ' ')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}
} // namespace

extern "C" void __stdcall StarterEntry() {
    RestrictLibrarySearch();
    const char* arguments = ArgumentsOf(GetCommandLineA());
    CommandLine line = {};
    ReadSwitches(arguments, &line);
    int exitCode = EXIT_WRONG_COMMAND;
    // The installer runs in the system folder, where a record named relative to no folder would
    // land. Without /S the installer leaves such a record out, as it leaves out any switch the
    // wizard cannot apply.
    if (!line.silent || !line.logPath[0] || IsFullPath(line.logPath)) {
        Starter starter(GetModuleHandleA(nullptr));
        exitCode = starter.Run(arguments, line);
    }
    ExitProcess(static_cast<UINT>(exitCode));
}
