#include "Exception.h"

Exception::Exception(const std::string& message) : std::runtime_error(message), FMessage(message) {}

Exception::~Exception() = default;
EjxsError::~EjxsError() = default;
EDatabaseError::~EDatabaseError() = default;
