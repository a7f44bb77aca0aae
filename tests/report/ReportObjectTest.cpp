// The report object as plug-ins meet it: the registry of live report objects that guards bare
// addresses, and the base class every report class derives from.
#include <gtest/gtest.h>

#include "Exception.h"
#include "TjfmBaseDll.h"
#include "report/ReportTestSupport.h"

namespace {

// A report class as a plug-in writes one, with the protected host calls made reachable.
class TKdrTeste : public TjfmBaseDll {
 public:
  using TjfmBaseDll::RepEndOfPage;
  using TjfmBaseDll::RepParam;
  using TjfmBaseDll::RepPrintSection;
  using TjfmBaseDll::RepShowProgress;
  using TjfmBaseDll::TjfmBaseDll;

  void AttachHandler() {
    Report()->OnAfterSection = [this](TObject*, int section) { Seen.push_back(section); };
  }
  std::vector<int> Seen;
};

ReportDefinition SmallLayout() {
  return MakeDefinition({MakeSection(1, 30), MakeSection(10, 20)});
}

}  // namespace

TEST(LiveReports, OnlyReportObjectsAliveNowAreKnown) {
  const void* gone = nullptr;
  {
    WriterHarness run(SmallLayout());
    const TjfmReport* report = run.Writer.get();
    EXPECT_TRUE(TjfmReport::IsLiveReport(report));
    gone = report;

    WriterHarness other(SmallLayout());
    EXPECT_TRUE(TjfmReport::IsLiveReport(other.Writer.get()));
    EXPECT_FALSE(TjfmReport::IsLiveReport(&other.Params)) << "another object's address";
    EXPECT_FALSE(TjfmReport::IsLiveReport(reinterpret_cast<const char*>(report) + 8))
        << "an address inside a report is not one";
  }
  EXPECT_FALSE(TjfmReport::IsLiveReport(gone));
  EXPECT_FALSE(TjfmReport::IsLiveReport(nullptr));
  // Never dereferenced: an address nothing lives at is simply unknown.
  EXPECT_FALSE(TjfmReport::IsLiveReport(reinterpret_cast<const void*>(std::intptr_t{0x10})));
}

TEST(ReportBaseClass, RepParamReadsLayoutValueThenParameter) {
  WriterHarness run(SmallLayout());
  run.Params.Add(std::make_unique<TjxsParamItem>("pEscrit", "Escritório", "text",
                                                 "Escritório Contábil Central de Curitiba", false));
  TKdrTeste report(run.Writer.get());

  EXPECT_EQ(report.RepParam("pEscrit"), "Escritório Contábil Central de Curitiba");
  EXPECT_EQ(report.RepParam("pNada"), "");
  report.RepParam("pEscrit", "Escritório Contábil");
  EXPECT_EQ(report.RepParam("pEscrit"), "Escritório Contábil");
  EXPECT_EQ(run.Writer->GetLayoutValue("pEscrit"), "Escritório Contábil");
  EXPECT_EQ(run.Params.GetValues("pEscrit"), "Escritório Contábil Central de Curitiba")
      << "the setter writes the layout, never the parameter";
}

TEST(ReportBaseClass, HostCallsReachTheReportObject) {
  WriterHarness run(SmallLayout());
  TKdrTeste report(run.Writer.get());
  report.AttachHandler();
  report.RepPrintSection(10);
  report.RepEndOfPage(true);
  report.RepShowProgress(1, 1);
  EXPECT_EQ(report.Seen, (std::vector<int>{1, 10}));
  EXPECT_EQ(run.Sink.Pages.size(), 1u);
  EXPECT_EQ(report.Report(), run.Writer.get());
}

TEST(ReportBaseClass, FreedInstanceLeavesNoHandlerBehind) {
  WriterHarness run(SmallLayout());
  {
    TKdrTeste forgetful(run.Writer.get());
    forgetful.AttachHandler();  // and never detaches it
    run.Writer->RepPrintSection(10);
    EXPECT_EQ(forgetful.Seen, (std::vector<int>{1, 10}));
  }
  EXPECT_FALSE(run.Writer->OnAfterSection);
  run.Writer->RepPrintSection(10);  // would call into the freed instance otherwise
}

TEST(ReportBaseClass, InstanceOutlivingItsReportIsFreedSafely) {
  auto run = std::make_unique<WriterHarness>(SmallLayout());
  TKdrTeste report(run->Writer.get());
  run.reset();
  // The destructor must not touch the report object that is gone.
}

TEST(ReportBaseClass, NeedsAReportObject) {
  EXPECT_THROW(TKdrTeste(nullptr), Exception);
}
