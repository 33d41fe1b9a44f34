#pragma once

// True when folder, a full path, names a place no product may take as its own folder: a drive's
// root ("C:\", "C:", "\\server\share"), the Windows folder, the system folder, the Program Files or
// the Common Files folder themselves (both views on 64-bit Windows). Whatever lies there would
// become the product's files, removed with it and never counted as shared. A folder below them is
// fine.
bool IsReservedDestination(const char* folder);
