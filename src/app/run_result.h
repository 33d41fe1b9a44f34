#pragma once
// The last lines of a run record: how the run ended and its exit code.

void WriteRunResult(int exitCode, bool silent);
