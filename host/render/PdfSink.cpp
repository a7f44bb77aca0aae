#include "render/PdfSink.h"

#include <ctime>
#include <optional>
#include <string>

#include "Exception.h"
#include "render/FontMetrics.h"
#include "render/PdfFile.h"
#include "render/PdfFontSet.h"
#include "render/PdfImageSet.h"
#include "render/PdfPageContent.h"
#include "render/PdfSyntax.h"
#include "render/PdfTextLines.h"
#include "render/SourceDate.h"

struct PdfSink::Impl {
  Impl(std::ostream& out, const FontMetrics* shared)
      : Owned(shared ? nullptr : std::make_unique<FontMetrics>()),
        Metrics(shared ? *shared : *Owned),
        File(out),
        Fonts(File),
        Lines(Fonts),
        Images(File),
        Content(Metrics, Lines, Images) {}

  void Start(const DocumentInfo& info) {
    const std::optional<std::time_t> epoch = SourceDateEpoch();
    const std::string date = pdf_syntax::Date(epoch ? *epoch : std::time(nullptr));
    Started = true;
    // The binary comment tells transfer programs that the file is not text.
    File.WriteHeader("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    PagesObject = File.Reserve();
    ResourcesObject = File.Reserve();
    InfoObject = File.Reserve();
    File.WriteObject(InfoObject, "<< /Title " + pdf_syntax::TextString(info.Title) + " /Author " +
                                     pdf_syntax::TextString(info.Author) +
                                     " /Creator (kdr) /CreationDate (" + date + ") /ModDate (" +
                                     date + ") >>");
  }

  void WritePage(const Page& page) {
    const std::string& content = Content.Draw(page);
    const std::uint32_t contents = File.Reserve(), object = File.Reserve();
    File.WriteStream(contents, "", content);
    std::string body = "<< /Type /Page /Parent ";
    pdf_syntax::AppendReference(body, PagesObject);
    body += " /MediaBox [0 0 ";
    pdf_syntax::AppendNumber(body, page.Width * kPointsPerUnit);
    body += ' ';
    pdf_syntax::AppendNumber(body, page.Height * kPointsPerUnit);
    body += "] /Resources ";
    pdf_syntax::AppendReference(body, ResourcesObject);
    body += " /Contents ";
    pdf_syntax::AppendReference(body, contents);
    body += " >>";
    File.WriteObject(object, body);
    PageObjects.push_back(object);
    File.Flush();
  }

  void Finish() {
    Fonts.WriteFonts();
    // One resource dictionary serves every page: it names each font and picture once.
    std::string resources = "<< /Font <<";
    Fonts.AppendResources(resources);
    resources += " >> /XObject <<";
    Images.AppendResources(resources);
    resources += " >> >>";
    File.WriteObject(ResourcesObject, resources);
    std::string pages = "<< /Type /Pages /Kids [";
    for (std::uint32_t page : PageObjects) {
      pdf_syntax::AppendReference(pages, page);
      pages += ' ';
    }
    pages += "] /Count ";
    pdf_syntax::AppendInteger(pages, static_cast<long long>(PageObjects.size()));
    pages += " >>";
    File.WriteObject(PagesObject, pages);
    const std::uint32_t catalog = File.Reserve();
    std::string root = "<< /Type /Catalog /Pages ";
    pdf_syntax::AppendReference(root, PagesObject);
    root += " >>";
    File.WriteObject(catalog, root);
    File.Finish(catalog, InfoObject);
  }

  std::unique_ptr<FontMetrics> Owned;
  const FontMetrics& Metrics;
  PdfFile File;
  PdfFontSet Fonts;
  PdfTextLines Lines;
  PdfImageSet Images;
  PdfPageContent Content;
  bool Started = false;
  std::uint32_t PagesObject = 0, ResourcesObject = 0, InfoObject = 0;
  std::vector<std::uint32_t> PageObjects;
};

PdfSink::PdfSink(std::ostream& out) : FImpl(std::make_unique<Impl>(out, nullptr)) {}

PdfSink::PdfSink(std::ostream& out, const FontMetrics& metrics)
    : FImpl(std::make_unique<Impl>(out, &metrics)) {}

// A document abandoned after a failure is dropped without touching the stream, which may
// already be gone: only AddPage and End write to it.
PdfSink::~PdfSink() = default;

void PdfSink::Begin(const DocumentInfo& info) {
  FImpl->Start(info);
}

void PdfSink::AddPage(const Page& page) {
  if (!FImpl->Started) FImpl->Start(DocumentInfo{});
  FImpl->WritePage(page);
}

void PdfSink::End(const std::vector<Message>&) {
  if (!FImpl->Started) FImpl->Start(DocumentInfo{});
  FImpl->Finish();
}
