#include "render/XlsxSink.h"

#include <glib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "Exception.h"
#include "render/CellValue.h"
#include "render/SheetLayout.h"
#include "render/SourceDate.h"

namespace {

// Excel's limits: characters in a cell, in a sheet's name.
constexpr std::size_t kMaxCellCharacters = 32767;
constexpr std::size_t kMaxSheetNameCharacters = 31;
// Column widths in characters: room for the widest text, within reason.
constexpr double kWidthMargin = 2;
constexpr double kMaxWidth = 60;
// Number formats are few (amounts, dates, a count's nouns); past this many, a value that would
// need another one is written as text rather than let the style table grow with the rows.
constexpr std::size_t kMaxFormats = 256;

[[noreturn]] void Fail(const std::string& what, lxw_error error) {
  throw Exception("Não foi possível gravar a planilha (" + what + "): " + lxw_strerror(error));
}

void Check(lxw_error error, const char* what) {
  if (error != LXW_NO_ERROR) Fail(what, error);
}

// A workbook given up on is freed without writing it.
struct WorkbookFree {
  void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using Workbook = std::unique_ptr<lxw_workbook, WorkbookFree>;

// A temporary file without a name, so that nothing is left behind however the run ends. The
// library opens it again through its descriptor's name under /proc.
class UnnamedFile {
 public:
  UnnamedFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kdr-xlsx-XXXXXX").string();
    FDescriptor = ::mkstemp(pattern.data());
    if (FDescriptor < 0) {
      throw Exception("Não foi possível criar o arquivo temporário da planilha: " +
                      std::string(g_strerror(errno)));
    }
    ::unlink(pattern.c_str());
  }
  ~UnnamedFile() { ::close(FDescriptor); }
  UnnamedFile(const UnnamedFile&) = delete;
  UnnamedFile& operator=(const UnnamedFile&) = delete;

  std::string Path() const { return "/proc/self/fd/" + std::to_string(FDescriptor); }

  void CopyTo(std::ostream& out) const {
    std::vector<char> buffer(1 << 16);
    for (off_t offset = 0;;) {
      const ssize_t read = ::pread(FDescriptor, buffer.data(), buffer.size(), offset);
      if (read < 0 && errno == EINTR) continue;
      if (read < 0) {
        throw Exception("Não foi possível ler a planilha gravada: " +
                        std::string(g_strerror(errno)));
      }
      if (read == 0) return;
      out.write(buffer.data(), read);
      if (!out) throw Exception("Falha ao gravar a planilha.");
      offset += read;
    }
  }

 private:
  int FDescriptor = -1;
};

// Text as a cell holds it: valid UTF-8 (bytes that are not become U+FFFD), without the control
// characters that the library garbles in inline strings (line breaks stay), and no longer than
// a cell may be.
std::string CellText(const std::string& raw) {
  std::unique_ptr<gchar, decltype(&g_free)> valid(
      g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size())), &g_free);
  std::string text;
  std::size_t characters = 0;
  for (const char* at = valid.get(); *at != '\0' && characters < kMaxCellCharacters;) {
    const char* next = g_utf8_next_char(at);
    const gunichar character = g_utf8_get_char(at);
    if (character == '\n' || !g_unichar_iscntrl(character)) {
      text.append(at, next);
      ++characters;
    }
    at = next;
  }
  return text;
}

// How many characters the widest line of a text shows.
std::size_t ShownWidth(const std::string& text) {
  std::size_t widest = 0, start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    widest = std::max(widest, static_cast<std::size_t>(g_utf8_strlen(
                                  text.data() + start, static_cast<gssize>(end - start))));
    start = end + 1;
  }
  return widest;
}

// The report's title as a sheet name: without the characters a name may not hold, and cut to
// the length it may have at a blank where there is one.
std::string SheetName(const DocumentInfo& info) {
  std::string name;
  std::size_t characters = 0, lastBlank = std::string::npos;
  const std::string title = CellText(info.Title.empty() ? info.Report : info.Title);
  const char* at = title.c_str();
  for (; *at != '\0' && characters < kMaxSheetNameCharacters; at = g_utf8_next_char(at)) {
    if (std::string_view("[]:*?/\\\n").find(*at) != std::string_view::npos) continue;
    if (*at == ' ') lastBlank = name.size();
    name.append(at, static_cast<const char*>(g_utf8_next_char(at)));
    ++characters;
  }
  if (*at != '\0' && *at != ' ' && lastBlank != std::string::npos) name.resize(lastBlank);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\'')) name.pop_back();
  while (!name.empty() && (name.front() == ' ' || name.front() == '\'')) name.erase(0, 1);
  return name;
}

struct Cell {
  std::string Text;
  bool Bold = false;
  std::string Kind;  // the label's declared kind
};
// One line of a band: its cells by column.
using Row = std::map<int, Cell>;

}  // namespace

struct XlsxSink::Impl {
  explicit Impl(std::ostream& out) : Out(out) {}
  ~Impl() {
    // A workbook given up on is freed without being written, but the library (1.1.4) leaves
    // the file of its constant-memory rows open: a descriptor lost for each failed run.
    if (Book && Sheet != nullptr) {
      const std::unique_ptr<FILE, int (*)(FILE*)> rows(
          std::exchange(Sheet->optimize_tmpfile, nullptr), &std::fclose);
    }
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void Start(const DocumentInfo& info) {
    File = std::make_unique<UnnamedFile>();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const std::string path = File->Path();
    Book.reset(workbook_new_opt(path.c_str(), &options));
    if (!Book) throw Exception("Não foi possível criar a planilha.");
    std::string name = SheetName(info);
    if (workbook_validate_sheet_name(Book.get(), name.c_str()) != LXW_NO_ERROR) name = "Relatório";
    Sheet = workbook_add_worksheet(Book.get(), name.c_str());
    if (Sheet == nullptr) throw Exception("Não foi possível criar a planilha.");
    Title = CellText(info.Title);
    Author = CellText(info.Author);
    lxw_doc_properties properties{};
    properties.title = Title.data();
    properties.author = Author.data();
    // Zero lets the library take the time of the run.
    properties.created = SourceDateEpoch().value_or(0);
    Check(workbook_set_properties(Book.get(), &properties), "propriedades");
    Layout = std::make_unique<SheetLayout>(info.Sections);
    Widths.assign(static_cast<std::size_t>(std::max(1, Layout->Columns())), 0);
  }

  std::vector<Row> RowsOf(const Band& band) const {
    std::vector<Row> rows(static_cast<std::size_t>(Layout->LinesOf(band.Section)));
    for (const DrawItem& item : band.Items) {
      const auto* text = std::get_if<TextItem>(&item);
      if (text == nullptr || text->Text.empty()) continue;
      const SheetLayout::Place place = Layout->PlaceOf(band.Section, *text);
      Row& row = rows[static_cast<std::size_t>(std::min<int>(place.Line, rows.size() - 1))];
      auto [cell, added] = row.try_emplace(place.Column);
      // Two labels in one place (one the run moved onto another) share the cell.
      cell->second.Text += (added ? "" : " ") + CellText(text->Text);
      cell->second.Bold = cell->second.Bold || text->Font.Bold;
      if (place.Label != nullptr) cell->second.Kind = added ? place.Label->ValueKind : "text";
    }
    return rows;
  }

  // A page header repeats on every page; the sheet shows it once, at its top. A later page's
  // header line that differs (a value of that page) is kept where it printed.
  void Add(const Band& band) {
    for (const Row& row : RowsOf(band)) {
      if (row.empty()) continue;
      if (band.PageHeader) {
        std::string signature;
        for (const auto& [column, cell] : row)
          signature += std::to_string(column) + '\t' + cell.Text + '\n';
        if (!BodyStarted) {
          HeaderRows.insert(std::move(signature));
          Write(row);
          HeaderRowCount = NextRow;
          continue;
        }
        if (HeaderRows.count(signature) != 0) continue;
      }
      BodyStarted = true;
      Write(row);
    }
  }

  void Write(const Row& row) {
    if (NextRow >= LXW_ROW_MAX) {
      throw Exception(
          "O relatório passa do limite de 1.048.576 linhas de uma planilha: restrinja a seleção.");
    }
    for (const auto& [column, cell] : row) WriteCell(NextRow, column, cell, row.size() == 1);
    ++NextRow;
  }

  void WriteCell(lxw_row_t row, int column, const Cell& cell, bool alone) {
    const auto col = static_cast<lxw_col_t>(column);
    CellValue value = ReadCellValue(cell.Text, cell.Kind);
    lxw_format* format = FormatFor(value.Format, cell.Bold);
    if (format == nullptr && !value.Format.empty()) value = ReadCellValue(cell.Text, "text");
    switch (value.Kind) {
      case CellValue::Type::Text:
        Check(worksheet_write_string(Sheet, row, col, value.Text.c_str(), format), "texto");
        break;
      case CellValue::Type::Number:
        Check(worksheet_write_number(Sheet, row, col, value.Number, format), "número");
        break;
      case CellValue::Type::Date: {
        lxw_datetime date{value.Year, value.Month,  value.Day,
                          value.Hour, value.Minute, static_cast<double>(value.Second)};
        Check(worksheet_write_datetime(Sheet, row, col, &date, format), "data");
        break;
      }
    }
    // A text alone on its line runs on into the empty cells beside it: it does not widen its
    // column. Numbers and dates never run on.
    if (!alone || value.Kind != CellValue::Type::Text) {
      auto& width = Widths[static_cast<std::size_t>(column)];
      width = std::max(width, ShownWidth(cell.Text));
    }
  }

  // The format of a number format and weight, made once; null for plain text, and when there
  // may be no more.
  lxw_format* FormatFor(const std::string& numberFormat, bool bold) {
    if (numberFormat.empty() && !bold) return nullptr;
    const auto key = std::make_pair(numberFormat, bold);
    if (const auto found = Formats.find(key); found != Formats.end()) return found->second;
    if (Formats.size() >= kMaxFormats) return nullptr;
    lxw_format* format = workbook_add_format(Book.get());
    if (format == nullptr) throw Exception("Memória insuficiente para a planilha.");
    if (!numberFormat.empty()) format_set_num_format(format, numberFormat.c_str());
    if (bold) format_set_bold(format);
    Formats.emplace(key, format);
    return format;
  }

  void Finish() {
    if (HeaderRowCount > 0 && BodyStarted) worksheet_freeze_panes(Sheet, HeaderRowCount, 0);
    // Columns are written with the sheet when it is closed, so their widths may come last.
    lxw_row_col_options hidden{};
    hidden.hidden = LXW_TRUE;
    for (std::size_t column = 0; column < Widths.size(); ++column) {
      const auto col = static_cast<lxw_col_t>(column);
      if (Widths[column] == 0) {
        Check(worksheet_set_column_opt(Sheet, col, col, LXW_DEF_COL_WIDTH, nullptr, &hidden),
              "colunas");
      } else {
        const double width =
            std::min(kMaxWidth, static_cast<double>(Widths[column]) + kWidthMargin);
        Check(worksheet_set_column(Sheet, col, col, width, nullptr), "colunas");
      }
    }
    // The library frees the workbook whether or not it could write it.
    const lxw_error error = workbook_close(Book.release());
    if (error != LXW_NO_ERROR) Fail("arquivo", error);
    File->CopyTo(Out);
    Out.flush();
    if (!Out) throw Exception("Falha ao gravar a planilha.");
  }

  std::ostream& Out;
  std::unique_ptr<UnnamedFile> File;
  Workbook Book;
  lxw_worksheet* Sheet = nullptr;
  std::string Title, Author;
  std::unique_ptr<SheetLayout> Layout;
  std::map<std::pair<std::string, bool>, lxw_format*> Formats;
  std::vector<std::size_t> Widths;   // by column, in characters; 0 for a column left empty
  std::set<std::string> HeaderRows;  // the lines of the first page's header
  lxw_row_t HeaderRowCount = 0;
  lxw_row_t NextRow = 0;
  bool BodyStarted = false;
};

XlsxSink::XlsxSink(std::ostream& out) : FImpl(std::make_unique<Impl>(out)) {}

XlsxSink::~XlsxSink() = default;

void XlsxSink::Begin(const DocumentInfo& info) {
  FImpl = std::make_unique<Impl>(FImpl->Out);
  FImpl->Start(info);
}

void XlsxSink::AddPage(const Page& page) {
  if (!FImpl->Book) Begin(DocumentInfo{});
  for (const Band& band : page.Bands) FImpl->Add(band);
}

void XlsxSink::End(const std::vector<Message>&) {
  if (!FImpl->Book) Begin(DocumentInfo{});
  FImpl->Finish();
}
