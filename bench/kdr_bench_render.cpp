// kdr_bench_render [BANDS] [--out FOLDER]
//
// Renders BANDS synthetic detail bands of a typical listing (a page header on every page,
// five labels per band and a description wrapped with the font metrics) through the PDF
// renderer, then draws the same strings with Cairo's plain text calls into a PDF as the floor,
// and prints bands per second for both and the peak memory of the process.
#include <cairo-pdf.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "render/FontMetrics.h"
#include "render/PdfSink.h"

namespace {

constexpr double kPageWidth = 794, kPageHeight = 1123;
constexpr double kTopMargin = 38, kBottomMargin = 38, kLeft = 23, kPrintableWidth = 754;
constexpr double kHeaderHeight = 62, kRowHeight = 14;
constexpr double kDescriptionLeft = 80, kDescriptionWidth = kLeft + kPrintableWidth - 80;

const std::vector<std::string> kCompanies = {
    "Padaria São João Ltda",      "Comércio de Peças Araújo ME", "Construtora Horizonte S.A.",
    "Farmácia Popular do Bairro", "Auto Posto Estrela Dalva",    "Clínica Odontológica Sorriso",
    "Mercado Irmãos Gonçalves",   "Transportes Rápido Sul Ltda", "Escola Infantil Pequeno Príncipe",
    "Restaurante Sabor de Minas"};
const std::vector<std::string> kDocuments = {
    "Guia de recolhimento do FGTS", "DARF do IRPJ trimestral", "Folha de pagamento mensal",
    "Guia da Previdência Social",   "Recibo de férias",        "Declaração de débitos e créditos",
    "Livro de apuração do ICMS",    "Contrato de experiência", "Termo de rescisão"};
const std::vector<std::string> kNotes = {
    "referente à competência de março, entregue ao responsável pelo departamento pessoal",
    "com vencimento no dia vinte, conferida pelo setor fiscal",
    "assinada pelo sócio-administrador e devolvida ao escritório",
    "segunda via solicitada pelo cliente após extravio da original", "aguardando conferência"};
const std::vector<std::string> kStates = {"Entregue", "Pendente", "Baixado", "Em rota"};

// Deterministic, cheap variety.
std::size_t Mix(std::size_t value) {
  return (value * 2654435761u) >> 7;
}

struct Detail {
  std::string Number, Date, Company, Amount, State, Description;
};

Detail MakeDetail(std::size_t index) {
  char number[16], date[16], amount[32];
  std::snprintf(number, sizeof number, "%05zu", index % 100000);
  std::snprintf(date, sizeof date, "%02zu/%02zu/2026", 1 + index % 28, 1 + index % 12);
  const std::size_t cents = Mix(index) % 10000000;
  std::snprintf(amount, sizeof amount, "%zu.%03zu,%02zu", cents / 100000, (cents / 100) % 1000,
                cents % 100);
  return Detail{number,
                date,
                kCompanies[index % kCompanies.size()],
                amount,
                kStates[Mix(index) % kStates.size()],
                kDocuments[Mix(index + 3) % kDocuments.size()] + " " +
                    kNotes[Mix(index + 7) % kNotes.size()]};
}

TFont Font(double size, bool bold = false) {
  TFont font;
  font.Size = size;
  font.Bold = bold;
  return font;
}

TextItem Label(double left, double top, double width, double height, std::string text,
               const TFont& font, TextAlign align = TextAlign::Left, bool multiline = false) {
  TextItem item;
  item.Left = left;
  item.Top = top;
  item.Width = width;
  item.Height = height;
  item.Text = std::move(text);
  item.Font = font;
  item.Align = align;
  item.Multiline = multiline;
  return item;
}

Band HeaderBand(double top, int pageNumber) {
  Band band;
  band.Section = 1;
  band.Top = top;
  band.Height = kHeaderHeight;
  const TFont title = Font(12, true), normal = Font(9), heading = Font(8, true);
  band.Items.push_back(Label(kLeft, top + 4, kPrintableWidth, 18, "Protocolos de entrega", title,
                             TextAlign::Center));
  band.Items.push_back(Label(kLeft, top + 24, 500, 14, "Escritório Contábil Exemplo Ltda", normal));
  band.Items.push_back(Label(kLeft + kPrintableWidth - 100, top + 24, 100, 14,
                             "Página " + std::to_string(pageNumber), normal, TextAlign::Right));
  band.Items.push_back(Label(kLeft, top + 42, 50, 14, "Número", heading, TextAlign::Right));
  band.Items.push_back(Label(80, top + 42, 70, 14, "Data", heading, TextAlign::Center));
  band.Items.push_back(Label(155, top + 42, 300, 14, "Empresa", heading));
  band.Items.push_back(Label(460, top + 42, 90, 14, "Valor", heading, TextAlign::Right));
  band.Items.push_back(Label(560, top + 42, 100, 14, "Situação", heading));
  LineItem rule;
  rule.X1 = kLeft;
  rule.X2 = kLeft + kPrintableWidth;
  rule.Y1 = rule.Y2 = top + kHeaderHeight - 2;
  band.Items.push_back(rule);
  return band;
}

Band DetailBand(const Detail& detail, double top, double descriptionLines, double lineHeight) {
  Band band;
  band.Section = 10;
  band.Top = top;
  const TFont normal = Font(9);
  const double descriptionHeight = descriptionLines * lineHeight;
  band.Height = kRowHeight + descriptionHeight + 2;
  band.Items.push_back(Label(kLeft, top, 50, 14, detail.Number, normal, TextAlign::Right));
  band.Items.push_back(Label(80, top, 70, 14, detail.Date, normal, TextAlign::Center));
  band.Items.push_back(Label(155, top, 300, 14, detail.Company, normal));
  band.Items.push_back(Label(460, top, 90, 14, detail.Amount, normal, TextAlign::Right));
  band.Items.push_back(Label(560, top, 100, 14, detail.State, normal));
  band.Items.push_back(Label(kDescriptionLeft, top + kRowHeight, kDescriptionWidth,
                             descriptionHeight, detail.Description, normal, TextAlign::Left, true));
  return band;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// CPU time of the process: on a busy machine elapsed time says more about the neighbours.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Result {
  double Seconds = 0;
  double CpuSeconds = 0;
  int Pages = 0;
  std::uintmax_t Bytes = 0;
};

// The product's path: band heights from the metrics, pages through the PDF renderer.
Result RenderThroughPdfSink(std::size_t bands, const std::filesystem::path& file) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  FontMetrics metrics;
  PdfSink sink(out, metrics);
  DocumentInfo info;
  info.Report = "Benchmark";
  info.Title = "Protocolos de entrega";
  sink.Begin(info);
  const TFont normal = Font(9);
  const double lineHeight = metrics.LineHeight(normal);
  Page page;
  auto startPage = [&](int number) {
    page = Page{};
    page.Number = number;
    page.Bands.push_back(HeaderBand(kTopMargin, number));
    return kTopMargin + kHeaderHeight;
  };
  double top = startPage(1);
  for (std::size_t index = 0; index < bands; ++index) {
    const Detail detail = MakeDetail(index);
    const auto lines = metrics.WrapParagraph(detail.Description, normal, kDescriptionWidth);
    const double height = kRowHeight + static_cast<double>(lines.size()) * lineHeight + 2;
    if (top + height > kPageHeight - kBottomMargin) {
      sink.AddPage(page);
      top = startPage(page.Number + 1);
    }
    page.Bands.push_back(DetailBand(detail, top, static_cast<double>(lines.size()), lineHeight));
    top += height;
  }
  sink.AddPage(page);
  sink.End({});
  out.close();
  return Result{Seconds(start), CpuSeconds() - cpuStart, page.Number,
                std::filesystem::file_size(file)};
}

void Show(cairo_t* cr, double x, double y, std::string_view text) {
  cairo_move_to(cr, x * 0.75, y * 0.75 + 9);
  cairo_show_text(cr, std::string(text).c_str());
}

// The floor: the same strings at the same places with Cairo's plain text calls (no shaping,
// no kerning, no measuring); descriptions are cut at a fixed number of characters.
Result RenderWithPlainCairo(std::size_t bands, const std::filesystem::path& file) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  cairo_surface_t* surface =
      cairo_pdf_surface_create(file.c_str(), kPageWidth * 0.75, kPageHeight * 0.75);
  cairo_t* cr = cairo_create(surface);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 9);
  int pages = 1;
  auto header = [&](int number) {
    cairo_set_font_size(cr, 12);
    Show(cr, 330, kTopMargin + 4, "Protocolos de entrega");
    cairo_set_font_size(cr, 9);
    Show(cr, kLeft, kTopMargin + 24, "Escritório Contábil Exemplo Ltda");
    Show(cr, 740, kTopMargin + 24, "Página " + std::to_string(number));
    for (const auto& [x, text] : std::vector<std::pair<double, std::string>>{{kLeft, "Número"},
                                                                             {95, "Data"},
                                                                             {155, "Empresa"},
                                                                             {520, "Valor"},
                                                                             {560, "Situação"}}) {
      Show(cr, x, kTopMargin + 42, text);
    }
    cairo_move_to(cr, kLeft * 0.75, (kTopMargin + kHeaderHeight - 2) * 0.75);
    cairo_line_to(cr, (kLeft + kPrintableWidth) * 0.75, (kTopMargin + kHeaderHeight - 2) * 0.75);
    cairo_stroke(cr);
    return kTopMargin + kHeaderHeight;
  };
  double top = header(pages);
  constexpr std::size_t kCharactersPerLine = 110;
  for (std::size_t index = 0; index < bands; ++index) {
    const Detail detail = MakeDetail(index);
    const std::size_t lines =
        (detail.Description.size() + kCharactersPerLine - 1) / kCharactersPerLine;
    const double height = kRowHeight + static_cast<double>(lines) * 13.4 + 2;
    if (top + height > kPageHeight - kBottomMargin) {
      cairo_show_page(cr);
      top = header(++pages);
    }
    Show(cr, kLeft + 20, top, detail.Number);
    Show(cr, 90, top, detail.Date);
    Show(cr, 155, top, detail.Company);
    Show(cr, 500, top, detail.Amount);
    Show(cr, 560, top, detail.State);
    for (std::size_t line = 0; line < lines; ++line) {
      Show(cr, kDescriptionLeft, top + kRowHeight + static_cast<double>(line) * 13.4,
           std::string_view(detail.Description)
               .substr(line * kCharactersPerLine, kCharactersPerLine));
    }
    top += height;
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return Result{Seconds(start), CpuSeconds() - cpuStart, pages, std::filesystem::file_size(file)};
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t bands = 100000;
  std::filesystem::path folder = std::filesystem::temp_directory_path();
  bool runRenderer = true, runFloor = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--out" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument == "--renderer-only") {
      runFloor = false;
    } else if (argument == "--floor-only") {
      runRenderer = false;
    } else if (argument == "-h" || argument == "--help") {
      std::cout
          << "usage: kdr_bench_render [BANDS] [--out FOLDER] [--renderer-only | --floor-only]\n"
             "Renders BANDS synthetic bands (default 100000) to FOLDER/kdr-bench.pdf and\n"
             "the Cairo plain-text floor to FOLDER/kdr-bench-floor.pdf; one of the two\n"
             "alone with --renderer-only or --floor-only (for profiling).\n";
      return 0;
    } else {
      char* end = nullptr;
      const unsigned long long value = std::strtoull(argument.c_str(), &end, 10);
      if (*end != '\0' || value == 0) {
        std::cerr << "kdr_bench_render: not a band count: " << argument << "\n";
        return 2;
      }
      bands = value;
    }
  }
  try {
    std::printf("bands: %zu\n", bands);
    Result ours, floor;
    if (runRenderer) {
      ours = RenderThroughPdfSink(bands, folder / "kdr-bench.pdf");
      std::printf(
          "renderer: %.0f bands/s (%.2f s, %.2f s CPU, %d pages, %.1f MB PDF), peak memory %.1f "
          "MB\n",
          static_cast<double>(bands) / ours.Seconds, ours.Seconds, ours.CpuSeconds, ours.Pages,
          static_cast<double>(ours.Bytes) / 1e6, static_cast<double>(PeakKilobytes()) / 1024);
    }
    if (runFloor) {
      floor = RenderWithPlainCairo(bands, folder / "kdr-bench-floor.pdf");
      std::printf(
          "floor (cairo_show_text): %.0f bands/s (%.2f s, %.2f s CPU, %d pages, %.1f MB PDF)\n",
          static_cast<double>(bands) / floor.Seconds, floor.Seconds, floor.CpuSeconds, floor.Pages,
          static_cast<double>(floor.Bytes) / 1e6);
    }
    if (runRenderer && runFloor) {
      std::printf("renderer / floor: %.2f (elapsed), %.2f (CPU)\n", ours.Seconds / floor.Seconds,
                  ours.CpuSeconds / floor.CpuSeconds);
    }
  } catch (const std::exception& error) {
    std::cerr << "kdr_bench_render: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
