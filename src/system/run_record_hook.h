#pragma once
// For tests only: the write behind every line of the run record (null: WriteFile), so that a disk
// that fills up can be staged.
#include "system/whole_line.h"

extern FileWriter writeRecordFile;
