#pragma once
// For tests only: set, the system is taken to offer no SHA-256, as before Windows XP SP3.
extern bool sha256Withheld;
