#include "terminal.h"

#include <QChar>

#include <cstdio>

#include <io.h>
#include <windows.h>

bool standardErrorIsTerminal()
{
    return ::_isatty(::_fileno(stderr)) != 0;
}

// The visible part of the console's buffer, which is what a line must fit.
int standardErrorColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info {};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

// Windows has no wcwidth. A mark drawn onto the character before it takes
// no column of its own; any other character is taken for one, so a wide
// East Asian character makes the line a column longer than counted.
int characterColumns(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    default:
        return 1;
    }
}
