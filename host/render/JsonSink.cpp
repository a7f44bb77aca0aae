#include "render/JsonSink.h"

#include <nlohmann/json.hpp>

#include <string_view>

#include "Exception.h"

namespace {

// Insertion order is the documented order of the keys.
using Json = nlohmann::ordered_json;

constexpr int kIndent = 2;

// Text from the database may hold bytes that are not UTF-8; they are written as U+FFFD rather
// than failing the whole run.
std::string Dump(const Json& value) {
  return value.dump(kIndent, ' ', false, Json::error_handler_t::replace);
}

// Writes `text` (a value dumped at the top level) as if it were nested `depth` levels deep, so
// that the streamed document reads exactly like one dumped in a piece.
void WriteIndented(std::ostream& out, std::string_view text, int depth) {
  const std::string indent(static_cast<std::size_t>(depth * kIndent), ' ');
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (start > 0) out << '\n';
    out << indent << line;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

Json ElementsToJson(const std::vector<ElementState>& elements) {
  Json labels = Json::object();
  for (const ElementState& element : elements) {
    Json state = Json::object();
    if (element.VisibleChanged) state["visible"] = element.Visible;
    if (element.LeftChanged) state["left"] = element.Left;
    if (element.WidthChanged) state["width"] = element.Width;
    if (!state.empty()) labels[element.Name] = std::move(state);
  }
  return labels;
}

Json BandToJson(const Band& band) {
  Json json = Json::object();
  json["section"] = band.Section;
  Json values = Json::object();
  for (const auto& [name, text] : band.Values) {
    if (!text.empty()) values[name] = text;
  }
  json["values"] = std::move(values);
  Json labels = ElementsToJson(band.Elements);
  if (!labels.empty()) json["labels"] = std::move(labels);
  if (band.HasFields) {
    Json fields = Json::object();
    for (const auto& [name, text] : band.Fields) fields[name] = text;
    json["fields"] = std::move(fields);
  }
  if (!band.Clipped.empty()) json["clipped"] = band.Clipped;
  return json;
}

}  // namespace

JsonSink::JsonSink(std::ostream& out) : FOut(out) {}

void JsonSink::Begin(const DocumentInfo& info) {
  FOut << "{\n";
  FOut << "  \"report\": " << Dump(info.Report) << ",\n";
  FOut << "  \"version\": " << Dump(info.Version) << ",\n";
  FOut << "  \"pages\": [";
  FBegun = true;
  FFirstPage = true;
  Check();
}

void JsonSink::AddPage(const Page& page) {
  if (!FBegun) Begin(DocumentInfo{});
  Json json = Json::object();
  json["number"] = page.Number;
  Json bands = Json::array();
  for (const Band& band : page.Bands) bands.push_back(BandToJson(band));
  json["bands"] = std::move(bands);
  FOut << (FFirstPage ? "\n" : ",\n");
  WriteIndented(FOut, Dump(json), 2);
  FFirstPage = false;
  Check();
}

void JsonSink::End(const std::vector<Message>& messages) {
  if (!FBegun) Begin(DocumentInfo{});
  if (!FFirstPage) FOut << "\n" << std::string(kIndent, ' ');
  FOut << "],\n";
  Json list = Json::array();
  for (const Message& message : messages) {
    Json entry = Json::object();
    entry["kind"] = message.Kind;
    entry["text"] = message.Text;
    list.push_back(std::move(entry));
  }
  WriteIndented(FOut, "\"messages\": " + Dump(list), 1);
  FOut << "\n}\n";
  FOut.flush();
  FBegun = false;
  Check();
}

void JsonSink::Check() const {
  if (!FOut) throw Exception("Falha ao gravar o documento JSON.");
}
