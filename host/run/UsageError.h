// A mistake in how the command was called (unknown report or parameter, bad option): the
// command exits with status 2 instead of 1.
#pragma once

#include "Exception.h"

class UsageError : public Exception {
 public:
  using Exception::Exception;
};
