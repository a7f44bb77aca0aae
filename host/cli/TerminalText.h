// Text from outside (parameter values, file names, database messages) made safe to print on a
// terminal: a message must neither drive the terminal nor flood it.
#pragma once

#include <cstddef>
#include <string>

// Control characters and escape sequences are shown escaped (\e, \x07, \u009b), invalid UTF-8
// becomes U+FFFD, and each line is cut to `lineLimit` characters with an ellipsis. Line breaks
// and tabs are kept, so that a message of several lines still reads as one.
std::string TerminalSafe(const std::string& text, std::size_t lineLimit = 200);
