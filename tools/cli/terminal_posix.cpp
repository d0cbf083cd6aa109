#include "terminal.h"

#include <cwchar>

#include <sys/ioctl.h>
#include <unistd.h>

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

int standardErrorColumns()
{
    winsize size {};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// As the locale sees it, which is what the terminal is set up for.
int characterColumns(char32_t code)
{
    return ::wcwidth(wchar_t(code));
}
