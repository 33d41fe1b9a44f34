#include "app/run_result.h"

#include "app/exit_codes.h"
#include "system/run_record.h"
#include "system/text.h"

namespace {
const char* ResultText(int exitCode, bool silent) {
    if (!silent)
        return "Result: ended";
    switch (exitCode) {
    case EXIT_COMPLETE:
        return "Result: done";
    case EXIT_RESTART_NEEDED:
        return "Result: done, a restart is needed";
    case EXIT_WRONG_COMMAND:
        return "Result: wrong command line, nothing done";
    default:
        return "Result: failed or incomplete";
    }
}
} // namespace

void WriteRunResult(int exitCode, bool silent) {
    WriteRunRecord(ResultText(exitCode, silent));
    char text[32];
    FormatText(text, sizeof(text), "Exit code: %d", exitCode);
    WriteRunRecord(text);
}
