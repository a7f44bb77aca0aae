// The one exception hierarchy that host and plug-ins share: Exception is the general class,
// EjxsError carries parameter errors shown to the user, EDatabaseError carries the engine's
// message. Every class has its destructor in the runtime, so that its virtual table and type
// information live there: an exception thrown by a plug-in stays valid after the plug-in is
// unloaded.
#pragma once

#include <stdexcept>
#include <string>

#include "KdrApi.h"

class KDR_API Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message);
  ~Exception() override;
  const std::string& Message() const { return FMessage; }

 private:
  std::string FMessage;
};

class KDR_API EjxsError : public Exception {
 public:
  using Exception::Exception;
  ~EjxsError() override;
};

class KDR_API EDatabaseError : public Exception {
 public:
  using Exception::Exception;
  ~EDatabaseError() override;
};
