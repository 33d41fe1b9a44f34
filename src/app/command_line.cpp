#include "app/command_line.h"

#include <string.h>

#include "resources/text_ids.h"
#include "system/argument_splitter.h"
#include "system/exit_codes.h"
#include "system/language.h"
#include "system/module.h"
#include "system/text.h"

namespace {
enum ModeBit : uint8_t {
    FOR_INSTALL = 1 << MODE_INSTALL,
    FOR_UNINSTALL = 1 << MODE_UNINSTALL,
};

// One row per switch: what parsing, checking and the help text know of it.
struct SwitchForm {
    const char* name; // behind the slash, in any case
    bool takesValue;  // "/NAME=value"
    uint8_t modes;    // ModeBit: the modes it goes with
    // Its line of the help box, from the string table; 0: shown with the row before. The texts
    // are resources so that programs reading the command line without the help carry none.
    uint16_t helpText;
    uint32_t bit;
    uint32_t excludes; // the switches it cannot go with
    uint16_t field;    // offset of the text field its value fills
    uint16_t fieldSize;
};

#define FIELD(member) offsetof(CommandLine, member), sizeof(CommandLine::member)
#define NO_FIELD 0, 0

const uint32_t ALONE = ~static_cast<uint32_t>(SWITCH_HELP);

const SwitchForm switchForms[] = {
    {"S", false, FOR_INSTALL | FOR_UNINSTALL, IDS_HELP_SILENT, SWITCH_SILENT, SWITCH_HELP,
     NO_FIELD},
    {"D", true, FOR_INSTALL, IDS_HELP_DEST, SWITCH_DEST, SWITCH_HELP, FIELD(destFolder)},
    {"COMPONENTS", true, FOR_INSTALL, IDS_HELP_COMPONENTS, SWITCH_COMPONENTS, SWITCH_HELP,
     FIELD(components)},
    {"USER", true, FOR_INSTALL, IDS_HELP_USER, SWITCH_USER, SWITCH_HELP, FIELD(user)},
    {"LOG", true, FOR_INSTALL | FOR_UNINSTALL, IDS_HELP_LOG, SWITCH_LOG, SWITCH_HELP,
     FIELD(logPath)},
    {"NORESTART", false, FOR_INSTALL | FOR_UNINSTALL, IDS_HELP_NORESTART, SWITCH_NORESTART,
     SWITCH_HELP, NO_FIELD},
    {"ALLUSERS", false, FOR_INSTALL, IDS_HELP_ALLUSERS, SWITCH_ALLUSERS,
     SWITCH_HELP | SWITCH_CURRENTUSER, NO_FIELD},
    {"CURRENTUSER", false, FOR_INSTALL, IDS_HELP_CURRENTUSER, SWITCH_CURRENTUSER,
     SWITCH_HELP | SWITCH_ALLUSERS, NO_FIELD},
    {"LANG", true, FOR_INSTALL | FOR_UNINSTALL, IDS_HELP_LANG, SWITCH_LANG, SWITCH_HELP,
     FIELD(language)},
    {"?", false, FOR_INSTALL, IDS_HELP_HELP, SWITCH_HELP, ALONE, NO_FIELD},
    {"HELP", false, FOR_INSTALL, 0, SWITCH_HELP, ALONE, NO_FIELD},
};
const size_t SWITCH_FORMS = sizeof(switchForms) / sizeof(switchForms[0]);

const int helpExitCodes[] = {EXIT_COMPLETE, EXIT_RESTART_NEEDED, EXIT_FAILED, EXIT_ALREADY_RUNNING,
                             EXIT_WRONG_COMMAND};

// An argument as the split gives it, bounded; fits turns false once a byte is left out.
struct ArgumentText {
    char text[SCRIPT_LIST_SIZE + 32];
    bool fits;
};

// Narrow enough that no line of the help box wraps at any font or screen size a message box meets.
const size_t HELP_LINE_BYTES = 56;
const char HELP_INDENT[] = "    ";

size_t AppendBytes(char* out, size_t size, const char* text, size_t count) {
    size_t length = strlen(out);
    return length + CopyTextN(out + length, size - length, text, count);
}

// Appends text on lines of its own, each indented and broken at blanks to fit HELP_LINE_BYTES; a
// word longer than that stays whole. A tab ends the text's first line: the switch goes on one
// line, what it does on the lines below, so that no column has to line up in any language.
size_t AppendHelpLines(char* out, size_t size, const char* text) {
    size_t length = strlen(out);
    const char* tab = strchr(text, '\t');
    if (tab) {
        AppendText(out, size, "\n");
        length = AppendBytes(out, size, text, static_cast<size_t>(tab - text));
        text = tab + 1;
    }
    const size_t room = HELP_LINE_BYTES - (sizeof(HELP_INDENT) - 1);
    for (text = SkipArgumentBlanks(text); *text; text = SkipArgumentBlanks(text)) {
        size_t cut = strlen(text);
        if (cut > room) {
            cut = room;
            while (cut > 0 && text[cut] != ' ')
                --cut;
            while (cut == 0 || (text[cut] && text[cut] != ' '))
                ++cut;
        }
        AppendText(out, size, "\n");
        AppendText(out, size, HELP_INDENT);
        length = AppendBytes(out, size, text, cut);
        text += cut;
    }
    return length;
}

size_t AppendHelpString(char* out, size_t size, unsigned id) {
    char text[256];
    LoadModuleString(id, text, sizeof(text));
    return AppendHelpLines(out, size, text);
}

void MarkWrong(CommandLine* line, const char* start, const char* end, const char* why) {
    if (line->wrongCount < CommandLine::WRONG_NAMED)
        line->wrong[line->wrongCount] = {start, static_cast<size_t>(end - start), why};
    ++line->wrongCount;
}

const SwitchForm* FindSwitch(const char* name, size_t length) {
    for (const SwitchForm& form : switchForms) {
        if (strlen(form.name) == length && StartsWithNoCase(name, form.name))
            return &form;
    }
    return nullptr;
}

// Takes one split argument as a switch. Returns null when it was taken, otherwise what is wrong
// with it; *form is the switch it names, if any.
const char* TakeSwitch(const ArgumentText& argument, CommandLine* line, const SwitchForm** form) {
    *form = nullptr;
    if (argument.text[0] != '/')
        return "not a switch";
    const char* name = argument.text + 1;
    const char* equals = strchr(name, '=');
    const char* value = equals ? equals + 1 : nullptr;
    size_t nameLength = equals ? static_cast<size_t>(equals - name) : strlen(name);
    *form = FindSwitch(name, nameLength);
    if (!*form)
        return "unknown switch";
    const SwitchForm& row = **form;
    if (!argument.fits)
        return "too long";
    if (line->given & row.bit)
        return "given twice";
    if (line->given & row.excludes)
        return "does not go with a switch before it";
    if (!row.takesValue && value)
        return "takes no value";
    if (row.takesValue) {
        if (!value || !*value)
            return "needs a value";
        if (strlen(value) >= row.fieldSize)
            return "too long";
        CopyText(reinterpret_cast<char*>(line) + row.field, row.fieldSize, value);
    }
    line->given |= row.bit;
    return nullptr;
}

// At a mode keyword the switches end: its argument is the rest of the text, verbatim. A
// keyword quoted whole ("-uninstC:\Program Files\Acme\_Install.log", as tools quote a word with
// blanks) has the text up to the closing quote, which only blanks may follow.
bool TakeKeyword(const char* cursor, CommandLine* line, unsigned codePage) {
    bool quoted = *cursor == '"';
    const char* argument = nullptr;
    RunMode mode = ChooseMode(quoted ? cursor + 1 : cursor, &argument);
    if (mode == MODE_INSTALL)
        return false;
    line->mode = mode;
    line->argument = argument;
    if (!quoted)
        return true;
    const char* close = FindChar(argument, '"', codePage);
    size_t length = close ? static_cast<size_t>(close - argument) : strlen(argument);
    const char* end = close ? close + 1 : argument + length;
    if (length >= sizeof(line->keywordArgument))
        MarkWrong(line, cursor, end, "too long");
    else if (*SkipArgumentBlanks(end))
        MarkWrong(line, cursor, end + strlen(end), "badly quoted");
    CopyTextN(line->keywordArgument, sizeof(line->keywordArgument), argument, length);
    line->argument = line->keywordArgument;
    return true;
}
} // namespace

void ParseCommandLine(const char* text, CommandLine* line, unsigned codePage) {
    memset(line, 0, sizeof(*line));
    const char* cursor = text ? text : "";
    const char* switchAt[SWITCH_FORMS] = {};
    const char* switchEnd[SWITCH_FORMS] = {};
    bool anyKnown = false;
    bool quotedKeyword = false;
    ArgumentText argument;
    for (cursor = SkipArgumentBlanks(cursor); *cursor; cursor = SkipArgumentBlanks(cursor)) {
        if (TakeKeyword(cursor, line, codePage)) {
            quotedKeyword = *cursor == '"';
            break;
        }
        const char* start = cursor;
        cursor =
            SplitArgument(cursor, argument.text, sizeof(argument.text), &argument.fits, codePage);
        const SwitchForm* form = nullptr;
        const char* why = TakeSwitch(argument, line, &form);
        anyKnown = anyKnown || form;
        if (why) {
            MarkWrong(line, start, cursor, why);
        } else {
            switchAt[form - switchForms] = start;
            switchEnd[form - switchForms] = cursor;
        }
    }
    if (!anyKnown && !quotedKeyword) {
        memset(line, 0, sizeof(*line));
        line->mode = ChooseMode(text, &line->argument);
        return;
    }
    for (size_t i = 0; i < SWITCH_FORMS; ++i) {
        if (switchAt[i] && !(switchForms[i].modes & (1u << line->mode)))
            MarkWrong(line, switchAt[i], switchEnd[i],
                      line->mode == MODE_UNINSTALL ? "not with -uninst" : "not with -register");
    }
}

size_t FormatCommandLineHelp(char* out, size_t size) {
    size_t length = LoadModuleString(IDS_HELP_USAGE, out, size);
    for (const SwitchForm& form : switchForms) {
        if (!form.helpText)
            continue;
        length = AppendHelpString(out, size, form.helpText);
        if (form.modes & FOR_UNINSTALL)
            length = AppendHelpString(out, size, IDS_HELP_ALSO_UNINSTALL);
    }
    char text[256];
    LoadModuleString(IDS_HELP_EXIT_CODES, text, sizeof(text));
    length = AppendText(out, size, text);
    for (unsigned i = 0; i < sizeof(helpExitCodes) / sizeof(helpExitCodes[0]); ++i) {
        int code = helpExitCodes[i];
        FormatText(text, sizeof(text), "\n%d: %s", code,
                   LocalText(IDT_EXIT_COMPLETE + i, ExitCodeMeaning(code)));
        length = AppendText(out, size, text);
    }
    return length;
}

bool ShortcutsForAllUsers(const CommandLine& line, bool (*runsAsLocalSystem)(),
                          bool earlierForAllUsers) {
    if (line.given & (SWITCH_ALLUSERS | SWITCH_CURRENTUSER))
        return (line.given & SWITCH_ALLUSERS) != 0;
    return earlierForAllUsers || runsAsLocalSystem();
}
