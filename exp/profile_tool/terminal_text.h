#pragma once
#include <string>

// Registry and language texts are single-byte Latin-1, which is what the game draws; a
// terminal may speak UTF-8. The tool converts at its edges: arguments on the way in,
// registry texts on the way out. In any other locale the bytes pass as they are.

// Whether the character set of the locale the environment names (LC_CTYPE) is UTF-8.
// Sets the process's LC_CTYPE from the environment.
bool localeSpeaksUtf8();

// A command-line argument as Latin-1: decoded from UTF-8 when utf8, else the bytes as
// they are. False, with a one-line reason in why, for malformed UTF-8 or a character
// that Latin-1 lacks.
bool argumentToLatin1(const std::string& arg, bool utf8, std::string& latin1, std::string& why);

// Latin-1 text as the terminal shows it: UTF-8 when utf8, else the bytes as they are.
std::string latin1ForTerminal(const std::string& latin1, bool utf8);
