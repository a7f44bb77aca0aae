// What labels and images of the report layout share: a name and the placement a run may change
// (visible, left edge, width, in layout units). The host records which properties a run set.
#pragma once

#include <string>

#include "KdrApi.h"
#include "TObject.h"

class KDR_API TjxsElement : public TObject {
 public:
  TjxsElement(std::string name, bool visible, int left, int width);

  const std::string& Name() const { return FName; }
  bool Visible() const { return FVisible; }
  int Left() const { return FLeft; }
  int Width() const { return FWidth; }
  void SetVisible(bool visible);
  void SetLeft(int left);
  void SetWidth(int width);

  // True once the run set the property (even to the value it had).
  bool VisibleChanged() const { return FVisibleChanged; }
  bool LeftChanged() const { return FLeftChanged; }
  bool WidthChanged() const { return FWidthChanged; }
  bool AnyChanged() const { return FVisibleChanged || FLeftChanged || FWidthChanged; }

 private:
  std::string FName;
  bool FVisible;
  int FLeft;
  int FWidth;
  bool FVisibleChanged = false;
  bool FLeftChanged = false;
  bool FWidthChanged = false;
};
