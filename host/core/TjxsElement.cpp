#include "TjxsElement.h"

TjxsElement::TjxsElement(std::string name, bool visible, int left, int width)
    : FName(std::move(name)), FVisible(visible), FLeft(left), FWidth(width) {}

void TjxsElement::SetVisible(bool visible) {
  FVisible = visible;
  FVisibleChanged = true;
}

void TjxsElement::SetLeft(int left) {
  FLeft = left;
  FLeftChanged = true;
}

void TjxsElement::SetWidth(int width) {
  FWidth = width;
  FWidthChanged = true;
}
