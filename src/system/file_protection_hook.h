#pragma once
// For tests only: the question behind IsProtectedFile. Wine protects no file, so a test puts a
// stand-in here to make one protected.
extern bool (*askFileProtected)(const char* path);
