#include "report/ReportWriter.h"

#include <optional>
#include <type_traits>
#include <unordered_map>
#include <variant>

#include "Exception.h"
#include "report/BandBuilder.h"
#include "report/LayoutElements.h"
#include "report/ParameterList.h"

namespace {

// Moves a band and what it draws down the page by `distance`.
void MoveBand(Band& band, double distance) {
  band.Top += distance;
  for (DrawItem& item : band.Items) {
    std::visit(
        [distance](auto& element) {
          using Element = std::decay_t<decltype(element)>;
          if constexpr (std::is_same_v<Element, LineItem>) {
            element.Y1 += distance;
            element.Y2 += distance;
          } else {
            element.Top += distance;
          }
        },
        item);
  }
}

// Handlers print sections from inside OnAfterSection; deeper nesting than this can only be a
// handler that keeps printing from its own event.
constexpr int MaxSectionNesting = 32;
constexpr double Tolerance = 1e-9;

// Sets a flag for the length of a scope, restoring the value it had.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : FFlag(flag), FSaved(flag) { flag = true; }
  ~FlagScope() { FFlag = FSaved; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& FFlag;
  bool FSaved;
};

class NestingScope {
 public:
  NestingScope(int& depth, int section) : FDepth(depth) {
    if (++FDepth > MaxSectionNesting) {
      --FDepth;
      throw Exception("Seção " + std::to_string(section) +
                      " impressa dentro de seções aninhadas demais: um tratador de "
                      "OnAfterSection imprime seções sem fim");
    }
  }
  ~NestingScope() { --FDepth; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  int& FDepth;
};

}  // namespace

struct ReportWriter::Impl {
  Impl(ReportWriter& owner, const ReportDefinition& definition, TjxsPowerParam& params,
       TjClientDataSet* mainDataSet, const FontMetrics& metrics, PageSink& sink,
       ProgressReporter* progress)
      : Owner(owner),
        Definition(definition),
        Params(params),
        MainData(mainDataSet),
        Metrics(metrics),
        Sink(sink),
        Progress(progress),
        Elements(Definition),
        Builder(LayoutValues, Elements, mainDataSet, owner.Picture(), metrics) {
    PrintedSections = &Definition.SectionsFor(ParameterValues(params));
    for (const SectionDefinition& section : *PrintedSections) {
      Sections.emplace(section.Number, &section);
    }
  }

  const SectionDefinition* SectionOf(int number) const {
    auto found = Sections.find(number);
    return found == Sections.end() ? nullptr : found->second;
  }
  double HeightOf(int number) const {
    const SectionDefinition* section = SectionOf(number);
    return section != nullptr ? section->Height : 0;
  }
  double ContentTop() const { return Definition.Page.MarginTop; }
  double ContentBottom() const { return Definition.Page.Height - Definition.Page.MarginBottom; }
  bool Fits(double height) const { return Cursor + height <= ContentBottom() + Tolerance; }

  void BeginDocument(const std::string& version) {
    if (Begun) throw Exception("O documento do relatório já foi iniciado");
    DocumentInfo info;
    info.Report = Definition.Name;
    info.Version = version;
    info.Title = Definition.Title;
    info.Author = Definition.Author;
    info.PageWidth = Definition.Page.Width;
    info.PageHeight = Definition.Page.Height;
    info.Sections = PrintedSections;
    Begun = true;
    Sink.Begin(info);
  }

  void StartPage() {
    if (!Begun) BeginDocument("");
    Kept.reset();
    CurrentPage.emplace();
    CurrentPage->Number = ++PagesStarted;
    CurrentPage->Width = Definition.Page.Width;
    CurrentPage->Height = Definition.Page.Height;
    // Pages of a report hold about as many bands as the one before: no moving them as they come.
    CurrentPage->Bands.reserve(BandsOnLastPage);
    Cursor = ContentTop();
    PageHasBody = false;
  }

  void EndPage() {
    if (!CurrentPage) return;
    // The page is dropped before the sink sees it, so that memory stays flat even if it fails.
    Page page = std::move(*CurrentPage);
    CurrentPage.reset();
    BandsOnLastPage = page.Bands.size();
    Sink.TakePage(std::move(page));
  }

  void Place(int number) {
    if (!CurrentPage) StartPage();  // a handler may have ended the page it was opened for
    Band band = Builder.Build(number, SectionOf(number), Cursor, ContentBottom() - Cursor,
                              Sink.WantsBandState());
    band.PageHeader = OpeningPage;
    if (!OpeningPage) NoteKeepTogether(number, band.Height);
    Cursor += band.Height;
    CurrentPage->Bands.push_back(std::move(band));
    if (!OpeningPage) PageHasBody = true;
  }

  // Whether section `number` joins the bands kept at the end of the page: the last one stays
  // with whatever follows, or this one stays with whatever precedes it.
  bool JoinsKept(int number) const {
    const SectionDefinition* section = SectionOf(number);
    return Kept && (Kept->OpenToNext || (section != nullptr && section->KeepWithPrevious));
  }

  // The bands that must stay together grow by the one being placed, or start again with it, so
  // that a chain (a line kept with its address, the address with its note) moves as one.
  void NoteKeepTogether(int number, double height) {
    const SectionDefinition* section = SectionOf(number);
    if (JoinsKept(number)) {
      Kept->Height += height;
    } else {
      Kept = KeptBands{CurrentPage->Bands.size(), height, PageHasBody};
    }
    Kept->OpenToNext = section != nullptr && section->KeepWithNext;
  }

  // Whether section `number`, which does not fit below the kept bands, should take them to a
  // new page: only when other body sections stay behind (else the new page would look just like
  // this one) and all fit together on a fresh page; a group taller than a page prints as any
  // over-tall section does.
  bool CarriesKeptBands(int number) const {
    if (!JoinsKept(number) || !Kept->AfterBody || number == 1) return false;
    const double header = SectionOf(1) != nullptr ? HeightOf(1) : 0;
    return ContentTop() + header + Kept->Height + HeightOf(number) <= ContentBottom() + Tolerance;
  }

  // Ends the page before the kept bands and opens a new one holding them under the page header.
  void CarryKeptBandsTo(int number) {
    std::vector<Band>& bands = CurrentPage->Bands;
    const auto first = bands.begin() + static_cast<std::ptrdiff_t>(Kept->Index);
    std::vector<Band> carried(std::make_move_iterator(first), std::make_move_iterator(bands.end()));
    bands.erase(first, bands.end());
    const KeptBands kept = *Kept;
    OpenPageFor(number);
    if (!CurrentPage) StartPage();
    Kept = KeptBands{CurrentPage->Bands.size(), kept.Height, false, kept.OpenToNext};
    for (Band& band : carried) {
      MoveBand(band, Cursor - band.Top);
      Cursor += band.Height;
      CurrentPage->Bands.push_back(std::move(band));
    }
    PageHasBody = true;
  }

  void FireAfterSection(int number) {
    // A copy: the handler may detach itself while it runs.
    TSectionEvent handler = Owner.OnAfterSection;
    if (handler) handler(&Owner, number);
  }

  // A fresh page: its header first (section 1 and the handlers' additions to it), unless the
  // section about to print is the header itself.
  void OpenPageFor(int number) {
    EndPage();
    StartPage();
    if (number != 1 && SectionOf(1) != nullptr) {
      FlagScope opening(OpeningPage);
      Place(1);
      FireAfterSection(1);
    }
  }

  void PrintSection(int number) {
    if (Finished) throw Exception("O relatório já foi encerrado");
    NestingScope nesting(Depth, number);
    // Sections printed while a page's header is being laid out stay on that page, and so does
    // a section that does not fit a page holding nothing but its header: breaking there would
    // only repeat the header, page after page.
    const bool breaks = CurrentPage && !OpeningPage && PageHasBody && !Fits(HeightOf(number));
    if (breaks && CarriesKeptBands(number)) {
      CarryKeptBandsTo(number);
      Place(number);
      FireAfterSection(number);
      return;
    }
    const bool newPage = !CurrentPage || breaks;
    if (newPage) OpenPageFor(number);
    if (newPage && number == 1) {
      FlagScope opening(OpeningPage);
      Place(1);
      FireAfterSection(1);
      return;
    }
    Place(number);
    FireAfterSection(number);
  }

  bool CanPrint(int number) const {
    const double height = HeightOf(number);
    if (CurrentPage) return Fits(height);
    const double header = number != 1 ? HeightOf(1) : 0;
    return ContentTop() + header + height <= ContentBottom() + Tolerance;
  }

  ReportWriter& Owner;
  const ReportDefinition Definition;  // a copy: the sections below point into it
  TjxsPowerParam& Params;
  TjClientDataSet* MainData;
  const FontMetrics& Metrics;
  PageSink& Sink;
  ProgressReporter* Progress;

  const std::vector<SectionDefinition>* PrintedSections = nullptr;
  std::unordered_map<int, const SectionDefinition*> Sections;
  ::LayoutValues LayoutValues;
  LayoutElements Elements;
  BandBuilder Builder;
  std::vector<Message> Messages;

  // The bands at the end of the page that stay together, from the first one's index on.
  struct KeptBands {
    std::size_t Index = 0;
    double Height = 0;
    bool AfterBody = false;   // the page held other body sections before them
    bool OpenToNext = false;  // the last one stays with the section printed next
  };
  std::optional<KeptBands> Kept;

  std::optional<Page> CurrentPage;
  std::size_t BandsOnLastPage = 0;
  double Cursor = 0;
  bool PageHasBody = false;
  bool OpeningPage = false;
  int PagesStarted = 0;
  int Depth = 0;
  bool Begun = false;
  bool Finished = false;
};

ReportWriter::ReportWriter(const ReportDefinition& definition, TjxsPowerParam& params,
                           TjClientDataSet* mainDataSet, const FontMetrics& metrics, PageSink& sink,
                           ProgressReporter* progress)
    : FImpl(std::make_unique<Impl>(*this, definition, params, mainDataSet, metrics, sink,
                                   progress)) {}

ReportWriter::~ReportWriter() = default;

void ReportWriter::Begin(const std::string& version) {
  FImpl->BeginDocument(version);
}

void ReportWriter::Finish() {
  if (FImpl->Finished) return;
  FImpl->EndPage();
  if (!FImpl->Begun) FImpl->BeginDocument("");
  FImpl->Finished = true;
  FImpl->Sink.End(FImpl->Messages);
}

void ReportWriter::RepPrintSection(int section) {
  FImpl->PrintSection(section);
}

bool ReportWriter::NativeCanPrintSection(int section) {
  return FImpl->CanPrint(section);
}

void ReportWriter::RepEndOfPage(bool) {
  FImpl->EndPage();
}

TjxsLabel* ReportWriter::LabelByName(const std::string& name) {
  TjxsLabel* label = FImpl->Elements.FindLabel(name);
  if (label == nullptr) {
    throw Exception("Etiqueta \"" + name + "\" não existe no layout do relatório");
  }
  return label;
}

TjxsImage* ReportWriter::ImageByName(const std::string& name) {
  TjxsImage* image = FImpl->Elements.FindImage(name);
  if (image == nullptr) {
    throw Exception("Imagem \"" + name + "\" não existe no layout do relatório");
  }
  return image;
}

void ReportWriter::WrapText(TStringList& list, TjxsLabel* label, bool wordWrap, bool keepBreaks) {
  if (label == nullptr) throw Exception("WrapText sem etiqueta");
  if (!wordWrap || label->Width() <= 0) return;
  std::vector<std::string> paragraphs = list.Lines();
  if (!keepBreaks && !paragraphs.empty()) {
    std::string joined;
    for (const std::string& line : paragraphs) joined += (joined.empty() ? "" : " ") + line;
    paragraphs = {joined};
  }
  TStringList wrapped;
  for (const std::string& paragraph : paragraphs) {
    if (paragraph.empty()) {
      wrapped.Add("");
      continue;
    }
    std::vector<std::string> lines =
        FImpl->Metrics.WrapParagraph(paragraph, label->Font(), label->Width());
    // Every paragraph keeps at least its one line: reports count the lines they get back.
    if (lines.empty()) lines.emplace_back();
    for (std::string& line : lines) wrapped.Add(std::move(line));
  }
  list = std::move(wrapped);
}

std::string ReportWriter::GetLayoutValue(const std::string& name) const {
  auto found = FImpl->LayoutValues.find(name);
  return found == FImpl->LayoutValues.end() ? "" : found->second;
}

void ReportWriter::SetLayoutValue(const std::string& name, const std::string& value) {
  // An empty value is the same as none (bands list only values with text); it stays in the
  // map, as reports empty and refill the same values item after item.
  std::string& slot = FImpl->LayoutValues[name];
  if (slot == value) return;
  slot = value;
  FImpl->Builder.ValuesChanged();
}

void ReportWriter::MsgConfigurar(const std::vector<std::string>&) {
  // The list is ready from the start and the document shows no headings; clearing it here
  // would lose the messages a run gave before.
}

void ReportWriter::MsgMensagem(int kind, const std::string& text) {
  FImpl->Messages.push_back(Message{kind, text});
}

void ReportWriter::CSLShowProgress(int position, int total) {
  if (FImpl->Progress != nullptr) FImpl->Progress->Update(position, total);
}

TjxsPowerParam& ReportWriter::GetParams() {
  return FImpl->Params;
}

TjClientDataSet* ReportWriter::MainDataSet() {
  return FImpl->MainData;
}

const std::vector<Message>& ReportWriter::Messages() const {
  return FImpl->Messages;
}

int ReportWriter::PageCount() const {
  return FImpl->PagesStarted;
}
