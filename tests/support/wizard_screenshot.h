#pragma once
// Pictures of windows for a person to look at: a GDI capture of the screen under the window,
// written as PNG.
#include <windows.h>

#include <string>

bool SaveWindowPng(HWND window, const std::string& path);
// The folder build/screenshots (made when missing).
std::string ScreenshotFolder();
