// The helpers plug-ins share for parameter texts, message templates and item descriptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginSupport.h"
#include "QuebraDescricao.h"
#include "TjfmReport.h"
#include "TjxsLabel.h"

namespace {

TEST(PluginSupport, ReadsOnlyWholeIntegers) {
  EXPECT_EQ(kdr::LerInteiro(" 42 "), 42);
  EXPECT_EQ(kdr::LerInteiro("-7"), -7);
  EXPECT_EQ(kdr::LerInteiro("+3"), 3);
  EXPECT_FALSE(kdr::LerInteiro(""));
  EXPECT_FALSE(kdr::LerInteiro("   "));
  EXPECT_FALSE(kdr::LerInteiro("abc"));
  EXPECT_FALSE(kdr::LerInteiro("1,5"));
  EXPECT_FALSE(kdr::LerInteiro("12x"));
  EXPECT_FALSE(kdr::LerInteiro("1 2"));
  EXPECT_FALSE(kdr::LerInteiro("+"));
  EXPECT_FALSE(kdr::LerInteiro("+-1"));
  EXPECT_FALSE(kdr::LerInteiro("99999999999999999999"));
  EXPECT_EQ(kdr::LerInteiroDef("abc", 1), 1);
  EXPECT_EQ(kdr::LerInteiroDef("4294967296", 0), 0);  // beyond an int
  EXPECT_EQ(kdr::LerInteiroDef("3", 0), 3);
}

TEST(PluginSupport, BlanksAroundAnIntegerAreThoseTheHostTrims) {
  // A value pasted into the form may carry a tab or a line break.
  EXPECT_EQ(kdr::LerInteiro("\t2\r\n"), 2);
  EXPECT_EQ(kdr::LerInt("\t-2 "), -2);
  EXPECT_FALSE(kdr::LerInteiro("\t"));
}

TEST(PluginSupport, AnIntIsRefusedBeyondItsRangeNotCut) {
  EXPECT_EQ(kdr::LerInt("2147483647"), 2147483647);
  EXPECT_EQ(kdr::LerInt("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(kdr::LerInt("2147483648"));
  EXPECT_FALSE(kdr::LerInt("-2147483649"));
  EXPECT_FALSE(kdr::LerInt("99999999999"));
  EXPECT_FALSE(kdr::LerInt("um"));
}

TEST(PluginSupport, FillsEachMarkInOrder) {
  EXPECT_EQ(kdr::PreencherModelo("%s - %s.", {"1", "Matriz"}), "1 - Matriz.");
  EXPECT_EQ(kdr::PreencherModelo("só %s", {"a", "b"}), "só a");   // extra parts are left out
  EXPECT_EQ(kdr::PreencherModelo("%s e %s", {"%s"}), "%s e %s");  // a part is not re-read
  EXPECT_EQ(kdr::PreencherModelo("a %s b %s", {"", ""}), "a  b ");
  EXPECT_EQ(kdr::PreencherModelo("sem marca", {"x"}), "sem marca");
}

// A report object whose only service is WrapText: it cuts every line into pieces of
// `FLargura` characters and records the label it was asked for.
class WrappingReport : public TjfmReport {
 public:
  explicit WrappingReport(std::size_t largura) : FLargura(largura) {}

  void RepPrintSection(int) override {}
  bool NativeCanPrintSection(int) override { return true; }
  void RepEndOfPage(bool) override {}
  TjxsLabel* LabelByName(const std::string&) override { return nullptr; }
  TjxsImage* ImageByName(const std::string&) override { return nullptr; }
  void WrapText(TStringList& list, TjxsLabel* label, bool wordWrap, bool keepBreaks) override {
    Wrapped.push_back(label);
    EXPECT_TRUE(wordWrap);
    EXPECT_TRUE(keepBreaks);
    // Like the writer, a re-flowed line loses its trailing blanks.
    TStringList cut;
    for (int i = 0; i < list.Count(); ++i) {
      std::string line = list[i];
      while (!line.empty() && line.back() == ' ') line.pop_back();
      for (std::size_t at = 0; at < line.size(); at += FLargura) cut.Add(line.substr(at, FLargura));
    }
    list = cut;
  }
  std::string GetLayoutValue(const std::string&) const override { return ""; }
  void SetLayoutValue(const std::string&, const std::string&) override {}
  void MsgConfigurar(const std::vector<std::string>&) override {}
  void MsgMensagem(int, const std::string&) override {}
  void CSLShowProgress(int, int) override {}
  TjxsPowerParam& GetParams() override { return FParams; }
  TjClientDataSet* MainDataSet() override { return nullptr; }

  std::vector<TjxsLabel*> Wrapped;

 private:
  std::size_t FLargura;
  TjxsPowerParam FParams;
};

using Linhas = std::vector<std::string>;

TEST(DescriptionLines, AShortDescriptionThatFitsKeepsItsOwnLines) {
  WrappingReport report(16);
  TjxsLabel label("pDesc", true, 0, 100, TFont());
  // Lines of 15 and 17 characters with their two-character breaks: 36, one over the limit.
  const std::string limite = "Linha numero um\nLinha numero dois";
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, "DAS\nFGTS", 35), (Linhas{"DAS", "FGTS"}));
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, limite.substr(0, limite.size() - 1), 35),
            (Linhas{"Linha numero um", "Linha numero doi"}));
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, limite, 35),
            (Linhas{"Linha numero um", "Linha numero doi", "s"}));
  EXPECT_EQ(report.Wrapped.back(), &label);
}

TEST(DescriptionLines, AShortDescriptionTooWideForItsLabelIsWrappedToo) {
  WrappingReport report(10);
  TjxsLabel label("pDesc", true, 0, 100, TFont());
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, "Linha numero um", 35),
            (Linhas{"Linha nume", "ro um"}));
}

TEST(DescriptionLines, TheLimitCountsCharactersNotBytes) {
  WrappingReport report(100);
  TjxsLabel label("pDesc", true, 0, 100, TFont());
  // 32 accented letters and a blank are 65 bytes but, with the break, only 35 characters: the
  // text fits and is kept as it is, its blank included, rather than re-flowed.
  std::string acentos;
  for (int i = 0; i < 32; ++i) acentos += "é";
  acentos += " ";
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, acentos, 35), Linhas{acentos});
  // Over the limit, the text is re-flowed and loses its trailing blank.
  EXPECT_EQ(kdr::QuebrarDescricao(report, &label, acentos + "é ", 35), Linhas{acentos + "é"});
}

TEST(DescriptionLines, AnEmptyDescriptionIsOneEmptyLine) {
  WrappingReport report(10);
  EXPECT_EQ(kdr::QuebrarDescricao(report, nullptr, "", 0), Linhas{""});
}

}  // namespace
