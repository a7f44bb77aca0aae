// The system's reason for a failed file operation, in the user's language.
#pragma once

#include <string>

// "permissão negada" for EACCES, ...; the C library's text for the less common errors.
std::string SystemReason(int error);
