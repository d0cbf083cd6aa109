#ifndef TAREXA_CLI_TERMINAL_H
#define TAREXA_CLI_TERMINAL_H

// What the progress lines ask of the terminal that standard error may be.
// Each operating system answers in a file of its own (terminal_posix.cpp,
// terminal_win.cpp).

// Whether standard error is a terminal, where a line may be drawn over.
bool standardErrorIsTerminal();
// The columns of that terminal; 0 when it does not say.
int standardErrorColumns();
// How many columns the character takes on a terminal; below 0 for one the
// system does not know.
int characterColumns(char32_t code);

#endif // TAREXA_CLI_TERMINAL_H
