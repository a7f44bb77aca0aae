#include "cli/ParamsDocument.h"

#include <nlohmann/json.hpp>

#include "run/UsageError.h"

namespace {

using json = nlohmann::json;

// Reads the document event by event, so that a nested or huge value is refused as soon as it
// starts, without building it.
class ParamsReader : public nlohmann::json_sax<json> {
 public:
  std::map<std::string, std::string> Values;

  bool null() override { return Refuse("null"); }
  bool boolean(bool) override { return Refuse("um valor lógico"); }
  bool number_integer(number_integer_t value) override { return Take(std::to_string(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Take(std::to_string(value)); }
  bool number_float(number_float_t, const string_t& text) override { return Take(text); }
  bool string(string_t& value) override { return Take(value); }
  bool binary(binary_t&) override { return Refuse("um valor binário"); }
  bool start_object(std::size_t) override {
    if (FDepth++ == 0) return true;
    return Refuse("um objeto");
  }
  bool end_object() override {
    --FDepth;
    return true;
  }
  bool start_array(std::size_t) override {
    if (FDepth == 0) throw UsageError("esperado um objeto JSON de nome para valor");
    return Refuse("uma lista");
  }
  bool end_array() override { return true; }
  bool key(string_t& name) override {
    if (Values.count(name) != 0) throw UsageError("o parâmetro " + name + " aparece duas vezes");
    FKey = name;
    return true;
  }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception&) override {
    throw UsageError("JSON inválido perto do caractere " + std::to_string(position));
  }

 private:
  bool Take(std::string value) {
    if (FDepth != 1) throw UsageError("esperado um objeto JSON de nome para valor");
    Values[FKey] = std::move(value);
    return true;
  }
  bool Refuse(const std::string& what) {
    if (FDepth == 0) throw UsageError("esperado um objeto JSON de nome para valor");
    throw UsageError("o valor de " + FKey + " deve ser um texto ou um número, não " + what);
  }

  int FDepth = 0;
  std::string FKey;
};

}  // namespace

std::map<std::string, std::string> ParseParamsDocument(const std::string& text) {
  ParamsReader reader;
  json::sax_parse(text, &reader);
  return std::move(reader.Values);
}
