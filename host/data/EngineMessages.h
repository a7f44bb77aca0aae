// Messages that every database engine words the same way.
#pragma once

#include <string>

// A statement refused because a report's database is open for reading only; `reason` is the
// engine's own word on it.
std::string WriteRefusedMessage(const std::string& reason);
