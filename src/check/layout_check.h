#pragma once
// Checks of the script's layout and keys in one reading: what the profile functions pass over,
// unknown keys, values cut at their field, the general settings and the numbering of items.
#include "check/folder_inventory.h"
#include "check/item_check.h"
#include "check/product_reading.h"

void CheckLayout(ProductReading& reading);
void CheckGeneral(ProductReading& reading, ItemCheck& items, FolderInventory& inventory);
void CheckComponentKeys(ProductReading& reading, int block);
void CheckNumbering(ProductReading& reading, int block);

// "CopyFile12U" and the like: the kind, its number and whether it is the "U" variant. Null for a
// name the reader never forms.
const NumberedKeyKind* ParseNumberedKey(const char* name, int* number, bool* wide);
