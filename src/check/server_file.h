#pragma once
// What regsvr32 needs of a file it registers, read from the file's headers and export table
// (the file is never loaded).

enum ServerFileKind {
    SERVER_FILE_COM_SERVER, // a 32-bit Windows DLL exporting DllRegisterServer and
                            // DllUnregisterServer
    SERVER_FILE_NOT_DLL,    // not a PE32 i386 image with the DLL flag (or unreadable)
    SERVER_FILE_NO_EXPORTS, // a DLL without both exports
};

ServerFileKind InspectServerFile(const char* path);
