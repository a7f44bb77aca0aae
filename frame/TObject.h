// Root of the objects that travel through events and parameter hooks as a "Sender".
#pragma once

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};
