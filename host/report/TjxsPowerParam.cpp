#include "TjxsPowerParam.h"

#include "Exception.h"
#include "SysUtils.h"

namespace {

[[noreturn]] void RaiseUnknown(const std::string& name) {
  throw EjxsError("Parâmetro não encontrado: " + name);
}

}  // namespace

TjxsPowerParam::TjxsPowerParam() = default;
TjxsPowerParam::~TjxsPowerParam() = default;

TjxsParamItem& TjxsPowerParam::Add(std::unique_ptr<TjxsParamItem> item) {
  if (!item) throw EjxsError("Parâmetro vazio não pode ser incluído na lista");
  if (Trim(item->Name()).empty()) throw EjxsError("Parâmetro sem nome");
  if (CharCount(item->Name()) > TjxsParamItem::MaxNameLength) {
    throw EjxsError("Nome de parâmetro com mais de " +
                    std::to_string(TjxsParamItem::MaxNameLength) +
                    " caracteres: " + LeftChars(item->Name(), 40) + "...");
  }
  // Lookups ignore case, so two names differing only in case would hide one another.
  if (Find(item->Name()) != nullptr) throw EjxsError("Parâmetro repetido: " + item->Name());
  FItems.push_back(std::move(item));
  return *FItems.back();
}

TjxsParamItem* TjxsPowerParam::Find(const std::string& name) {
  for (const auto& item : FItems) {
    if (SameText(item->Name(), name)) return item.get();
  }
  return nullptr;
}

std::string TjxsPowerParam::GetValues(const std::string& name) const {
  for (const auto& item : FItems) {
    if (SameText(item->Name(), name)) return item->Value();
  }
  return "";
}

void TjxsPowerParam::SetValues(const std::string& name, const std::string& value) {
  TjxsParamItem* item = Find(name);
  if (item == nullptr) RaiseUnknown(name);
  item->SetValue(value);
}

TjFraControle* TjxsPowerParam::EdFindFieldControl(const std::string& name) {
  TjxsParamItem* item = Find(name);
  if (item == nullptr) RaiseUnknown(name);
  return &item->Control();
}

void TjxsPowerParam::EdEnabledField(const std::string& name, bool enabled) {
  TjxsParamItem* item = Find(name);
  if (item == nullptr) RaiseUnknown(name);
  item->SetEnabled(enabled);
}

void TjxsPowerParam::EdRequiredField(const std::string& name, bool required) {
  TjxsParamItem* item = Find(name);
  if (item == nullptr) RaiseUnknown(name);
  item->SetRequired(required);
}
