// The spreadsheet sink's memory stays flat with the row count: rows go to disk as they are
// written, never held. Each run is a child process of its own, so that its peak is its own.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "render/XlsxSink.h"
#include "report/ReportDefinition.h"

namespace {

// A listing's detail line: a code, a description, a date, an amount, a name and a count.
const char* const kDefinition = R"({
  "title": "Linhas",
  "sections": [
    {"number": 1, "height": 20, "elements": [
      {"type": "label", "left": 23, "top": 0, "width": 300, "height": 20, "text": "Linhas"}]},
    {"number": 10, "height": 14, "elements": [
      {"type": "label", "left": 23, "top": 0, "width": 60, "height": 14, "value": "R0"},
      {"type": "label", "left": 89, "top": 0, "width": 200, "height": 14, "value": "R1"},
      {"type": "label", "left": 300, "top": 0, "width": 70, "height": 14, "value": "R2"},
      {"type": "label", "left": 380, "top": 0, "width": 80, "height": 14, "value": "R3"},
      {"type": "label", "left": 470, "top": 0, "width": 200, "height": 14, "value": "R4"},
      {"type": "label", "left": 680, "top": 0, "width": 90, "height": 14, "value": "R5",
       "kind": "count"}]}
  ]
})";

constexpr int kBandsPerPage = 50;

// Writes `rows` detail rows to /dev/null in a child process; its peak resident memory in KiB.
long PeakOfWriting(int rows) {
  const pid_t child = fork();
  if (child == 0) {
    const ReportDefinition definition = ParseReportDefinition(kDefinition, "Linhas.json");
    std::ofstream out("/dev/null", std::ios::binary);
    XlsxSink sink(out);
    DocumentInfo info;
    info.Sections = &definition.Sections;
    sink.Begin(info);
    for (int written = 0; written < rows;) {
      Page page;
      page.Bands.push_back(Band{.Section = 1, .PageHeader = true});
      page.Bands.back().Items.emplace_back(TextItem{.Text = "Linhas", .Element = 0});
      for (int band = 0; band < kBandsPerPage && written < rows; ++band, ++written) {
        Band detail{.Section = 10};
        const std::string number = std::to_string(written + 1);
        for (const std::string& text :
             {number, "Descrição da linha " + number, std::string("05/03/2026"), number + ",50",
              "Usuário " + number, number + " Protocolos"}) {
          const int element = static_cast<int>(detail.Items.size());
          detail.Items.emplace_back(TextItem{.Text = text, .Element = element});
        }
        page.Bands.push_back(std::move(detail));
      }
      sink.AddPage(page);
    }
    sink.End({});
    _exit(out ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the child writing " << rows << " rows failed";
    return 0;
  }
  return usage.ru_maxrss;
}

TEST(WorkbookMemory, HundredThousandRowsTakeNoMoreMemoryThanTenThousand) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer holds freed memory back, so peaks grow with any work";
#endif
  const long few = PeakOfWriting(10'000);
  const long many = PeakOfWriting(100'000);
  ASSERT_GT(few, 0);
  // Held in memory, 90,000 more rows of six cells would take tens of megabytes.
  EXPECT_LT(many - few, 8 * 1024) << "KiB: " << few << " for 10,000 rows, " << many
                                  << " for 100,000";
}

}  // namespace
