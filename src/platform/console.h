// The console: clearing the terminal and waiting for a key, without spawning a shell.
#pragma once

namespace platform {

// Clears the terminal. Writes the clear sequence only when standard output is a terminal, so a
// log or a pipe keeps every line the game prints; a browser's console counts as a log.
void clearConsole();

// Prompts and waits for Enter, only when standard input is a terminal (never in a browser);
// returns at once otherwise.
// Also returns, without Enter, as soon as `endsEarly` (when given) says so; it is asked about ten
// times a second.
void pauseConsole(bool (*endsEarly)() = nullptr);

} // namespace platform
