#include "TjxsParamItem.h"

#include "TjFraControle.h"

TjxsParamItem::TjxsParamItem(std::string name, std::string caption, std::string type,
                             std::string value, bool required)
    : FName(std::move(name)),
      FCaption(std::move(caption)),
      FType(std::move(type)),
      FValue(std::move(value)),
      FRequired(required),
      FControl(std::make_unique<TjFraControle>(*this)) {}

TjxsParamItem::~TjxsParamItem() = default;
