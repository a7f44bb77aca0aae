// An ordered list of text lines, as the host's string lists behave: Text() ends every line
// with the two-character line break "\r\n"; SetText() splits on "\r\n", "\n" or "\r".
#pragma once

#include <string>
#include <vector>

#include "KdrApi.h"
#include "TObject.h"

class KDR_API TStringList : public TObject {
 public:
  void Clear() { FLines.clear(); }
  void Add(std::string line) { FLines.push_back(std::move(line)); }
  int Count() const { return static_cast<int>(FLines.size()); }
  const std::string& operator[](int index) const { return FLines.at(static_cast<size_t>(index)); }
  std::string& operator[](int index) { return FLines.at(static_cast<size_t>(index)); }
  int IndexOf(const std::string& line) const;

  std::string Text() const;
  void SetText(const std::string& text);

  // Lines "Name=Value" read as pairs, as choice lists hold them.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;

  const std::vector<std::string>& Lines() const { return FLines; }
  auto begin() const { return FLines.begin(); }
  auto end() const { return FLines.end(); }

 private:
  std::vector<std::string> FLines;
};
