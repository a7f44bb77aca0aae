// The break engine on its own: groups over an in-memory data set, with every callback recorded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "TjClientDataSet.h"
#include "TjQuebra.h"

namespace {

struct Row {
  int Company;
  int Branch;
  int Count;
};

class BreakEngineTest : public ::testing::Test {
 protected:
  void Load(const std::vector<Row>& rows, const std::string& index = "Empresa;Filial") {
    Data.AddFieldDef("Empresa", TFieldType::ftInteger);
    Data.AddFieldDef("Filial", TFieldType::ftInteger);
    Data.AddFieldDef("Contador", TFieldType::ftInteger);
    Data.AddFieldDef("Outro", TFieldType::ftInteger);
    Data.CreateDataSet();
    for (const Row& row : rows) Data.AppendRecord({row.Company, row.Branch, row.Count, 0});
    Data.SetIndexFieldNames(index);
  }

  // Declares company and branch levels, the count totaliser and records every callback.
  void Declare() {
    Engine.AddTotalizador(&Data.FieldByName("Contador"));
    Engine.AddQuebra("Empresa", &Data.FieldByName("Empresa"),
                     [this] { return "E" + Data.FieldByName("Empresa").AsString(); });
    Engine.AddQuebra("Filial", &Data.FieldByName("Filial"),
                     [this] { return "F" + Data.FieldByName("Filial").AsString(); });
    Engine.OnImprimirTitulo = [this](const std::string& title) { Log.push_back("title " + title); };
    Engine.OnImprimirDetalhe = [this] {
      Log.push_back("row " + Data.FieldByName("Empresa").AsString() + "/" +
                    Data.FieldByName("Filial").AsString());
    };
    Engine.OnImprimirTotal = [this](const std::string& name, bool pageEnd,
                                    const TjDoubleArray& totals) {
      Log.push_back("total " + name + " " + std::to_string(static_cast<int>(totals.at(0))) +
                    (pageEnd ? " page-end" : ""));
    };
  }

  void Walk() {
    for (Data.First(); !Data.Eof(); Data.Next()) {
      Engine.IniciarBloco();
      Engine.ImprimirDetalhe();
      Engine.FinalizarBloco();
    }
  }

  TjClientDataSet Data;
  TjQuebra Engine;
  std::vector<std::string> Log;
};

TEST_F(BreakEngineTest, NestedGroupsCloseInnermostFirstWithTheirOwnTotals) {
  Load({{2, 1, 1}, {1, 2, 1}, {1, 1, 1}, {1, 1, 1}});
  Declare();
  Walk();
  const std::vector<std::string> expected = {
      "title E1", "title F1", "row 1/1",        "row 1/1",         "total Filial 2",
      "title F2", "row 1/2",  "total Filial 1", "total Empresa 3", "title E2",
      "title F1", "row 2/1",  "total Filial 1", "total Empresa 1",
  };
  EXPECT_EQ(Log, expected);
}

TEST_F(BreakEngineTest, TotalsSumTheColumnAndCountNullsAsZero) {
  Load({{1, 1, 5}, {1, 1, 7}});
  Data.Last();
  Data.Edit();
  Data.FieldByName("Contador").Clear();
  Data.Post();
  Declare();
  Walk();
  EXPECT_EQ(Log.back(), "total Empresa 5");
}

TEST_F(BreakEngineTest, EmptyDataSetPrintsNothing) {
  Load({});
  Declare();
  Walk();
  EXPECT_TRUE(Log.empty());
}

TEST_F(BreakEngineTest, PageBreakColumnEndsThePageAfterTheOutermostClosingTotal) {
  Load({{1, 1, 1}, {1, 2, 1}, {2, 1, 1}});
  Declare();
  Engine.SetFieldQuebraPagina(&Data.FieldByName("Empresa"));
  Walk();
  const std::vector<std::string> expected = {
      "title E1",        "title F1", "row 1/1",        "total Filial 1",
      "title F2",        "row 1/2",  "total Filial 1", "total Empresa 2 page-end",
      "title E2",        "title F1", "row 2/1",        "total Filial 1",
      "total Empresa 1",  // the end of data is no page end
  };
  EXPECT_EQ(Log, expected);
}

TEST_F(BreakEngineTest, PageBreakOnAnInnerLevelRepeatsTheOuterTitleOnTheNewPage) {
  Load({{1, 1, 1}, {1, 2, 1}});
  Declare();
  Engine.SetFieldQuebraPagina(&Data.FieldByName("Filial"));
  Walk();
  const std::vector<std::string> expected = {
      "title E1", "title F1", "row 1/1",        "total Filial 1 page-end", "title E1",
      "title F2", "row 1/2",  "total Filial 1", "total Empresa 2",
  };
  EXPECT_EQ(Log, expected);
}

TEST_F(BreakEngineTest, PageBreakOnAColumnThatIsNoBreakIsRefused) {
  Load({{1, 1, 1}});
  Declare();
  try {
    Engine.SetFieldQuebraPagina(&Data.FieldByName("Outro"));
    FAIL() << "expected an exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("Outro"), std::string::npos);
  }
  Engine.SetFieldQuebraPagina(nullptr);  // no page break at all is fine
  Walk();
  EXPECT_EQ(Log.back(), "total Empresa 1");
}

TEST_F(BreakEngineTest, PrintCabecalhoRepeatsTheOpenTitlesOutermostFirst) {
  Load({{1, 3, 1}});
  Declare();
  Data.First();
  Engine.IniciarBloco();
  Log.clear();
  Engine.PrintCabecalho();
  EXPECT_EQ(Log, (std::vector<std::string>{"title E1", "title F3"}));
}

TEST_F(BreakEngineTest, TotalHandlerThatMovesToANewPageReprintsTheClosingGroupsTitles) {
  Load({{1, 1, 1}, {2, 1, 1}});
  Declare();
  // As a report does when the total does not fit: new page, open titles, then the total.
  Engine.OnImprimirTotal = [this](const std::string& name, bool, const TjDoubleArray&) {
    Log.push_back("new page");
    Engine.PrintCabecalho();
    Log.push_back("total " + name);
  };
  Walk();
  const std::vector<std::string> expected = {
      "title E1", "title F1",     "row 1/1",  "new page", "title E1",
      "title F1", "total Filial", "new page", "title E1", "total Empresa",
      "title E2", "title F1",     "row 2/1",  "new page", "title E2",
      "title F1", "total Filial", "new page", "title E2", "total Empresa",
  };
  EXPECT_EQ(Log, expected);
}

TEST_F(BreakEngineTest, GroupsFollowTheCurrentIndexOrder) {
  // Indexed by branch first: branch 1 of both companies forms one outer group.
  Load({{1, 1, 1}, {2, 1, 1}, {1, 2, 1}}, "FILIAL;empresa;");
  Engine.AddTotalizador(&Data.FieldByName("Contador"));
  Engine.AddQuebra("Filial", &Data.FieldByName("Filial"), [] { return std::string("F"); });
  Engine.OnImprimirTotal = [this](const std::string& name, bool, const TjDoubleArray& totals) {
    Log.push_back(name + " " + std::to_string(static_cast<int>(totals.at(0))));
  };
  Walk();
  EXPECT_EQ(Log, (std::vector<std::string>{"Filial 2", "Filial 1"}));
}

TEST_F(BreakEngineTest, FooterNameAndIndentAreTakenWhenTheGroupOpens) {
  Load({{1, 1, 1}, {2, 1, 1}});
  Engine.AddQuebra(
      "Empresa", &Data.FieldByName("Empresa"), [] { return std::string("T"); },
      [this] { return "empresa " + Data.FieldByName("Empresa").AsString(); }, 2);
  Engine.OnImprimirTitulo = [this](const std::string& title) { Log.push_back(title); };
  Engine.OnImprimirTotal = [this](const std::string& name, bool, const TjDoubleArray&) {
    Log.push_back(name);
  };
  Walk();
  EXPECT_EQ(Log, (std::vector<std::string>{"  T", "empresa 1", "  T", "empresa 2"}));
}

}  // namespace
