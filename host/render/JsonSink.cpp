#include "render/JsonSink.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <algorithm>

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

// Writes a page as the document's pretty form has it (nlohmann's dump with an indent of two),
// straight into text: the shape is fixed, and building a tree of values for every band cost
// more than the rest of the run.
class PageWriter {
 public:
  PageWriter(std::string& out, int depth) : FOut(out), FBase(depth) {}

  void Write(const Page& page) {
    Indent(0);
    FOut += '{';
    Key("number", 1);
    FOut += std::to_string(page.Number);
    Key("bands", 1);
    if (page.Bands.empty()) {
      FOut += "[]";
    } else {
      FOut += '[';
      bool first = true;
      for (const Band& band : page.Bands) {
        if (!first) FOut += ',';
        first = false;
        NewLine(2);
        WriteBand(band, 2);
      }
      NewLine(1);
      FOut += ']';
    }
    NewLine(0);
    FOut += '}';
  }

 private:
  void WriteBand(const Band& band, int depth) {
    FOut += '{';
    Key("section", depth + 1);
    FOut += std::to_string(band.Section);
    Key("values", depth + 1);
    static const NamedTexts kNoValues;
    static const std::vector<ElementState> kNoElements;
    Pairs(band.Values != nullptr ? *band.Values : kNoValues, true, depth + 1);
    const std::vector<ElementState>& elements =
        band.Elements != nullptr ? *band.Elements : kNoElements;
    if (std::any_of(elements.begin(), elements.end(), Changed)) {
      Key("labels", depth + 1);
      FOut += '{';
      for (const ElementState& element : elements) {
        if (!Changed(element)) continue;
        Key(element.Name, depth + 2);
        WriteState(element, depth + 2);
      }
      NewLine(depth + 1);
      FOut += '}';
    }
    if (band.HasFields) {
      Key("fields", depth + 1);
      Pairs(band.Fields, false, depth + 1);
    }
    if (!band.Clipped.empty()) {
      Key("clipped", depth + 1);
      FOut += '[';
      for (std::size_t i = 0; i < band.Clipped.size(); ++i) {
        if (i > 0) FOut += ',';
        NewLine(depth + 2);
        String(band.Clipped[i]);
      }
      NewLine(depth + 1);
      FOut += ']';
    }
    NewLine(depth);
    FOut += '}';
  }

  static bool Changed(const ElementState& element) {
    return element.VisibleChanged || element.LeftChanged || element.WidthChanged;
  }

  void WriteState(const ElementState& element, int depth) {
    FOut += '{';
    if (element.VisibleChanged) {
      Key("visible", depth + 1);
      FOut += element.Visible ? "true" : "false";
    }
    if (element.LeftChanged) {
      Key("left", depth + 1);
      FOut += std::to_string(element.Left);
    }
    if (element.WidthChanged) {
      Key("width", depth + 1);
      FOut += std::to_string(element.Width);
    }
    NewLine(depth);
    FOut += '}';
  }

  // An object of texts (empty ones left out when asked); a name given twice keeps its first
  // place and its last text, as a document built key by key would.
  void Pairs(const NamedTexts& pairs, bool skipEmpty, int depth) {
    std::vector<const std::pair<std::string, std::string>*> shown;
    for (const auto& pair : pairs) {
      if (skipEmpty && pair.second.empty()) continue;
      auto same = std::find_if(shown.begin(), shown.end(),
                               [&](const auto* other) { return other->first == pair.first; });
      if (same != shown.end()) {
        *same = &pair;
      } else {
        shown.push_back(&pair);
      }
    }
    if (shown.empty()) {
      FOut += "{}";
      return;
    }
    FOut += '{';
    for (const auto* pair : shown) {
      Key(pair->first, depth + 1);
      String(pair->second);
    }
    NewLine(depth);
    FOut += '}';
  }

  // A member's name on a line of its own, after a comma unless it opens its object.
  void Key(std::string_view name, int depth) {
    if (FOut.back() != '{') FOut += ',';
    NewLine(depth);
    String(name);
    FOut += ": ";
  }

  void NewLine(int depth) {
    FOut += '\n';
    Indent(depth);
  }
  void Indent(int depth) {
    FOut.append(static_cast<std::size_t>(FBase + depth) * static_cast<std::size_t>(kIndent), ' ');
  }

  void String(std::string_view text) {
    // Text that is not valid UTF-8 is left to the library, which replaces what is invalid.
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
      FOut += Dump(Json(std::string(text)));
      return;
    }
    FOut += '"';
    const auto plain = [](char c) {
      return c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20;
    };
    for (std::size_t at = 0; at < text.size();) {
      // Runs of characters that need no escape go in at once.
      std::size_t end = at;
      while (end < text.size() && plain(text[end])) ++end;
      FOut.append(text.data() + at, end - at);
      if (end == text.size()) break;
      at = end + 1;
      const char c = text[end];
      switch (c) {
        case '"':
          FOut += "\\\"";
          break;
        case '\\':
          FOut += "\\\\";
          break;
        case '\b':
          FOut += "\\b";
          break;
        case '\f':
          FOut += "\\f";
          break;
        case '\n':
          FOut += "\\n";
          break;
        case '\r':
          FOut += "\\r";
          break;
        case '\t':
          FOut += "\\t";
          break;
        default: {  // the other control characters
          static constexpr char kHex[] = "0123456789abcdef";
          FOut += "\\u00";
          FOut += kHex[(c >> 4) & 0xF];
          FOut += kHex[c & 0xF];
        }
      }
    }
    FOut += '"';
  }

  std::string& FOut;
  int FBase;
};

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
  std::string text = FFirstPage ? "\n" : ",\n";
  PageWriter(text, 2).Write(page);
  FOut << text;
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
