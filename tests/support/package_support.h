#pragma once
// One-file packages in tests: made with SetupCheck.exe --pack, read back through the format's own
// functions.
#include <string>
#include <vector>

class ProductFolder;

// A small product in the folder: Acme Reader, version 2.1.3 beta, one component that installs
// ReadMe.txt and the item lines given (CopyFile2=...), with its licence and logo.
bool WriteSmallProduct(const ProductFolder& product, const std::string& items = std::string());

// Runs SetupCheck.exe --pack on the folder; SetupCheck's exit code, -1 when it did not run.
long MakePackage(const std::string& folder, const std::string& package);
// The product title a package's header carries; empty when the package cannot be read.
std::string PackageTitle(const std::string& package);
// The offset of the package data in the file (right after the starter's sections); 0 when none.
unsigned long PackageDataOffset(const std::string& package);
// The names in a package's table, in its order; empty when the package cannot be read.
std::vector<std::string> PackageNames(const std::string& package);
