#include "report/ReportDefinition.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "Exception.h"
#include "SysUtils.h"
#include "TjxsParamItem.h"

using nlohmann::json;

namespace {

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Where in the file a problem lies, as the user reads it: "seção 8: elemento 2".
std::string Within(const std::string& outer, const std::string& inner) {
  return outer.empty() ? inner : outer + ": " + inner;
}

// A name shown in a message, shortened so that an absurdly long one does not drown it.
std::string Shortened(const std::string& name) {
  constexpr int shown = 40;
  return CharCount(name) > shown ? LeftChars(name, shown) + "..." : name;
}

// Reads one definition document. Every problem raises Exception naming the file, where in it
// the problem lies, and what is wrong.
class DefinitionReader {
 public:
  explicit DefinitionReader(std::string path) : FPath(std::move(path)) {}

  ReportDefinition Read(const json& root) {
    if (!root.is_object()) Fail("", "o conteúdo deve ser um objeto JSON");
    ReportDefinition definition;
    definition.Name = std::filesystem::path(FPath).stem().string();
    definition.Title = RequiredText(root, "title", "");
    definition.Author = Text(root, "author", "", "");
    definition.Page = ReadPage(root);
    definition.DefaultFont = ReadFont(root, TFont(), "");
    definition.Parameters = ReadParameters(root);
    definition.Statement = Text(root, "statement", "", "");
    definition.Filters = ReadFilters(root, definition);
    FDefaultFont = definition.DefaultFont;
    if (const json* sections = Member(root, "sections")) {
      definition.Sections = ReadSections(*sections, "");
    }
    definition.Variants = ReadLayouts(root, definition);
    return definition;
  }

 private:
  [[noreturn]] void Fail(const std::string& where, const std::string& problem) const {
    throw Exception(FPath + ": " + Within(where, problem));
  }

  // A member, or null when it is absent or JSON null (both mean "use the default").
  static const json* Member(const json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
  }

  const json& Object(const json& value, const std::string& where) const {
    if (!value.is_object()) Fail(where, "deve ser um objeto");
    return value;
  }

  const json* List(const json& object, const char* key, const std::string& where) const {
    const json* value = Member(object, key);
    if (value != nullptr && !value->is_array()) Fail(where, Quoted(key) + " deve ser uma lista");
    return value;
  }

  std::string Text(const json& object, const char* key, const std::string& where,
                   const std::string& fallback) const {
    const json* value = Member(object, key);
    if (value == nullptr) return fallback;
    if (!value->is_string()) Fail(where, Quoted(key) + " deve ser um texto");
    return value->get<std::string>();
  }

  std::string RequiredText(const json& object, const char* key, const std::string& where) const {
    if (Member(object, key) == nullptr) Fail(where, "falta " + Quoted(key));
    std::string text = Text(object, key, where, "");
    if (Trim(text).empty()) Fail(where, Quoted(key) + " não pode ser vazio");
    return text;
  }

  double Number(const json& object, const char* key, const std::string& where,
                double fallback) const {
    const json* value = Member(object, key);
    if (value == nullptr) return fallback;
    if (!value->is_number()) Fail(where, Quoted(key) + " deve ser um número");
    return value->get<double>();
  }

  // A distance or size: a number that is not negative.
  double Size(const json& object, const char* key, const std::string& where,
              double fallback) const {
    double size = Number(object, key, where, fallback);
    if (size < 0) Fail(where, Quoted(key) + " não pode ser negativo");
    return size;
  }

  bool Flag(const json& object, const char* key, const std::string& where, bool fallback) const {
    const json* value = Member(object, key);
    if (value == nullptr) return fallback;
    if (!value->is_boolean()) Fail(where, Quoted(key) + " deve ser true ou false");
    return value->get<bool>();
  }

  PageDefinition ReadPage(const json& root) {
    PageDefinition page;
    const json* member = Member(root, "page");
    if (member == nullptr) return page;
    const json& object = Object(*member, "page");
    std::string size = Text(object, "size", "page", "A4");
    if (size != "A4") Fail("page", "tamanho " + Quoted(size) + " não suportado (só A4)");
    std::string orientation = Text(object, "orientation", "page", "portrait");
    if (orientation == "landscape") {
      page.Landscape = true;
      std::swap(page.Width, page.Height);
    } else if (orientation != "portrait") {
      Fail("page",
           "orientação desconhecida " + Quoted(orientation) + " (use portrait ou landscape)");
    }
    if (const json* margins = Member(object, "margins")) {
      const std::string where = "page: margins";
      Object(*margins, where);
      page.MarginTop = Size(*margins, "top", where, page.MarginTop);
      page.MarginBottom = Size(*margins, "bottom", where, page.MarginBottom);
      page.MarginLeft = Size(*margins, "left", where, page.MarginLeft);
      page.MarginRight = Size(*margins, "right", where, page.MarginRight);
      if (page.MarginTop + page.MarginBottom >= page.Height ||
          page.MarginLeft + page.MarginRight >= page.Width) {
        Fail(where, "as margens não deixam espaço na página");
      }
    }
    return page;
  }

  // A font: `base` with what the object's "font" member overrides.
  TFont ReadFont(const json& object, TFont base, const std::string& outer) const {
    const json* member = Member(object, "font");
    if (member == nullptr) return base;
    const std::string where = Within(outer, "font");
    Object(*member, where);
    base.Family = Text(*member, "family", where, base.Family);
    if (Trim(base.Family).empty()) Fail(where, "\"family\" não pode ser vazio");
    base.Size = Number(*member, "size", where, base.Size);
    if (base.Size <= 0) Fail(where, "\"size\" deve ser maior que zero");
    base.Bold = Flag(*member, "bold", where, base.Bold);
    base.Italic = Flag(*member, "italic", where, base.Italic);
    return base;
  }

  std::vector<ParameterDefinition> ReadParameters(const json& root) {
    std::vector<ParameterDefinition> parameters;
    const json* list = List(root, "parameters", "");
    if (list == nullptr) return parameters;
    std::set<std::string> seen;  // upper-case: the parameter list finds names without case
    int position = 0;
    for (const json& entry : *list) {
      ++position;
      ParameterDefinition parameter = ReadParameter(entry, position);
      if (!seen.insert(UpperCase(parameter.Name)).second) {
        Fail("", "parâmetro " + Quoted(Shortened(parameter.Name)) + " repetido");
      }
      parameters.push_back(std::move(parameter));
    }
    return parameters;
  }

  ParameterDefinition ReadParameter(const json& entry, int position) const {
    std::string where = "parâmetro " + std::to_string(position);
    Object(entry, where);
    ParameterDefinition parameter;
    parameter.Name = RequiredText(entry, "name", where);
    where = "parâmetro " + Quoted(Shortened(parameter.Name));
    if (CharCount(parameter.Name) > TjxsParamItem::MaxNameLength) {
      Fail(where,
           "nome com mais de " + std::to_string(TjxsParamItem::MaxNameLength) + " caracteres");
    }
    parameter.Caption = Text(entry, "caption", where, parameter.Name);
    parameter.Type = Text(entry, "type", where, "text");
    static const std::set<std::string> types = {"date", "integer", "text", "choice", "codes"};
    if (types.count(parameter.Type) == 0) {
      Fail(where, "tipo desconhecido " + Quoted(parameter.Type) +
                      " (use date, integer, text, choice ou codes)");
    }
    parameter.Default = Text(entry, "default", where, "");
    parameter.Required = Flag(entry, "required", where, false);
    if (const json* choices = List(entry, "choices", where)) {
      for (const json& choice : *choices) {
        if (!choice.is_string() || choice.get<std::string>().find('=') == std::string::npos) {
          Fail(where, "cada item de \"choices\" deve ser um texto \"Legenda=valor\"");
        }
        parameter.Choices.push_back(choice.get<std::string>());
      }
    }
    if (parameter.Type == "choice" && parameter.Choices.empty()) {
      Fail(where, "parâmetro de escolha sem \"choices\"");
    }
    CheckDefault(parameter, where);
    return parameter;
  }

  // A default the run would refuse as a given value would make every run fail.
  void CheckDefault(const ParameterDefinition& parameter, const std::string& where) const {
    const std::string value = Trim(parameter.Default);
    if (value.empty()) return;
    if (parameter.Type == "integer") {
      const std::int64_t number = StrToInt64Def(value, 0);
      if (number != StrToInt64Def(value, 1) || number < std::numeric_limits<int>::min() ||
          number > std::numeric_limits<int>::max()) {
        Fail(where, "\"default\" deve ser um número inteiro");
      }
    }
    if (parameter.Type == "choice") {
      const bool listed = std::any_of(
          parameter.Choices.begin(), parameter.Choices.end(),
          [&value](const std::string& line) { return line.substr(line.find('=') + 1) == value; });
      if (!listed) Fail(where, "\"default\" deve ser um dos valores de \"choices\"");
    }
  }

  void RequireParameter(const ReportDefinition& definition, const std::string& name,
                        const std::string& where) const {
    for (const ParameterDefinition& parameter : definition.Parameters) {
      if (SameText(parameter.Name, name)) return;
    }
    Fail(where, "o parâmetro " + Quoted(Shortened(name)) + " não existe na definição");
  }

  std::vector<StatementFilter> ReadFilters(const json& root, const ReportDefinition& definition) {
    std::vector<StatementFilter> filters;
    const json* list = List(root, "filters", "");
    if (list == nullptr) return filters;
    int position = 0;
    for (const json& entry : *list) {
      const std::string where = "filtro " + std::to_string(++position);
      Object(entry, where);
      StatementFilter filter;
      filter.Parameter = RequiredText(entry, "parameter", where);
      filter.Column = RequiredText(entry, "column", where);
      RequireParameter(definition, filter.Parameter, where);
      filters.push_back(std::move(filter));
    }
    // Without the placeholder the filters would silently select everything.
    if (!filters.empty() && definition.Statement.find("{filters}") == std::string::npos) {
      Fail("", "\"filters\" exige {filters} em \"statement\"");
    }
    return filters;
  }

  std::vector<LayoutVariant> ReadLayouts(const json& root, const ReportDefinition& definition) {
    std::vector<LayoutVariant> variants;
    const json* list = List(root, "layouts", "");
    if (list == nullptr) return variants;
    int position = 0;
    for (const json& entry : *list) {
      const std::string where = "layout " + std::to_string(++position);
      Object(entry, where);
      LayoutVariant variant;
      variant.Parameter = RequiredText(entry, "parameter", where);
      RequireParameter(definition, variant.Parameter, where);
      if (Member(entry, "value") == nullptr) Fail(where, "falta \"value\"");
      variant.Value = Text(entry, "value", where, "");
      const json* sections = Member(entry, "sections");
      if (sections == nullptr) Fail(where, "falta \"sections\"");
      variant.Sections = ReadSections(*sections, where);
      variants.push_back(std::move(variant));
    }
    return variants;
  }

  std::vector<SectionDefinition> ReadSections(const json& list, const std::string& outer) const {
    if (!list.is_array()) Fail(outer, "\"sections\" deve ser uma lista");
    std::vector<SectionDefinition> sections;
    std::set<int> numbers;
    int position = 0;
    for (const json& entry : list) {
      ++position;
      SectionDefinition section = ReadSection(entry, position, outer);
      if (!numbers.insert(section.Number).second) {
        Fail(outer, "seção " + std::to_string(section.Number) + " repetida");
      }
      sections.push_back(std::move(section));
    }
    return sections;
  }

  SectionDefinition ReadSection(const json& entry, int position, const std::string& outer) const {
    std::string where = Within(outer, "seção na posição " + std::to_string(position));
    Object(entry, where);
    const json* number = Member(entry, "number");
    if (number == nullptr) Fail(where, "falta \"number\"");
    if (!number->is_number_integer() || number->get<long long>() < 1 ||
        number->get<long long>() > 1'000'000) {
      Fail(where, "\"number\" deve ser um número inteiro positivo");
    }
    SectionDefinition section;
    section.Number = number->get<int>();
    where = Within(outer, "seção " + std::to_string(section.Number));
    if (Member(entry, "height") == nullptr) Fail(where, "falta \"height\"");
    section.Height = Size(entry, "height", where, 0);
    section.Name = Text(entry, "name", where, "");
    section.KeepWithNext = Flag(entry, "keepWithNext", where, false);
    section.KeepWithPrevious = Flag(entry, "keepWithPrevious", where, false);
    if (const json* elements = List(entry, "elements", where)) {
      int index = 0;
      for (const json& element : *elements) {
        section.Elements.push_back(
            ReadElement(element, Within(where, "elemento " + std::to_string(++index))));
      }
    }
    return section;
  }

  ElementDefinition ReadElement(const json& entry, const std::string& where) const {
    Object(entry, where);
    ElementDefinition element;
    if (Member(entry, "type") == nullptr) Fail(where, "falta \"type\"");
    const std::string type = Text(entry, "type", where, "");
    if (type == "label") {
      element.Type = ElementDefinition::Kind::Label;
    } else if (type == "image") {
      element.Type = ElementDefinition::Kind::Image;
    } else if (type == "line") {
      element.Type = ElementDefinition::Kind::Line;
    } else if (type == "frame") {
      element.Type = ElementDefinition::Kind::Frame;
    } else {
      Fail(where,
           "tipo de elemento desconhecido " + Quoted(type) + " (use label, image, line ou frame)");
    }
    element.Name = Text(entry, "name", where, "");
    element.Left = Number(entry, "left", where, 0);
    element.Top = Number(entry, "top", where, 0);
    element.Width = Size(entry, "width", where, 0);
    element.Height = Size(entry, "height", where, 0);
    element.Visible = Flag(entry, "visible", where, true);
    element.Text = Text(entry, "text", where, "");
    element.Value = Text(entry, "value", where, "");
    element.Field = Text(entry, "field", where, "");
    const int sources = (Member(entry, "text") != nullptr) + (Member(entry, "value") != nullptr) +
                        (Member(entry, "field") != nullptr);
    if (sources > 1) Fail(where, "use só um de \"text\", \"value\" e \"field\"");
    element.Font = ReadFont(entry, FDefaultFont, where);
    const std::string align = Text(entry, "align", where, "left");
    if (align == "left") {
      element.Align = TextAlign::Left;
    } else if (align == "center") {
      element.Align = TextAlign::Center;
    } else if (align == "right") {
      element.Align = TextAlign::Right;
    } else {
      Fail(where, "alinhamento desconhecido " + Quoted(align) + " (use left, center ou right)");
    }
    element.Multiline = Flag(entry, "multiline", where, false);
    element.Thickness = Size(entry, "thickness", where, 1);
    element.Picture = Flag(entry, "picture", where, false);
    element.ValueKind = Text(entry, "kind", where, "");
    if (!element.ValueKind.empty() && element.ValueKind != "text" && element.ValueKind != "count") {
      Fail(where,
           "tipo de valor desconhecido " + Quoted(element.ValueKind) + " (use text ou count)");
    }
    return element;
  }

  std::string FPath;
  TFont FDefaultFont;
};

std::string ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    throw Exception(path + ": arquivo não encontrado");
  }
  if (std::filesystem::is_directory(path, error)) {
    throw Exception(path + ": não é um arquivo");
  }
  std::ifstream stream(path, std::ios::binary);
  std::ostringstream contents;
  contents << stream.rdbuf();
  if (!stream || stream.bad()) throw Exception(path + ": não foi possível ler o arquivo");
  return contents.str();
}

// Line and column (both from 1) of the byte at `offset` of `text`.
std::pair<std::size_t, std::size_t> LineAndColumn(const std::string& text, std::size_t offset) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;  // UTF-8 continuation bytes belong to the character before them
    }
  }
  return {line, column};
}

}  // namespace

const std::vector<SectionDefinition>& ReportDefinition::SectionsFor(
    const std::map<std::string, std::string>& parameterValues) const {
  for (const LayoutVariant& variant : Variants) {
    for (const auto& [name, value] : parameterValues) {
      if (SameText(name, variant.Parameter) && value == variant.Value) return variant.Sections;
    }
  }
  return Sections;
}

ReportDefinition LoadReportDefinition(const std::string& path) {
  return ParseReportDefinition(ReadWholeFile(path), path);
}

ReportDefinition ParseReportDefinition(const std::string& text, const std::string& path) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& error) {
    // The parser reports the byte after the offending one.
    const std::size_t offset = error.byte > 0 ? error.byte - 1 : 0;
    const auto [line, column] = LineAndColumn(text, offset);
    throw Exception(path + ": JSON inválido na linha " + std::to_string(line) + ", coluna " +
                    std::to_string(column));
  } catch (const json::exception&) {
    // A number beyond what a double holds ("1e400") is refused by the parser as out of range,
    // not as a syntax error.
    throw Exception(path + ": JSON inválido (número fora do intervalo)");
  }
  return DefinitionReader(path).Read(root);
}
