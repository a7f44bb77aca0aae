// The written-off listing's parameter form: the ordering choices follow the break plan and the
// column choice follows the item types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ReportHarness.h"
#include "written_off_listing/TKdrBaixaProtocolo.h"

namespace {

std::vector<std::string> Choices(TjxsPowerParam& params, const std::string& name) {
  const TStringList& list = params.Find(name)->Choices();
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

class WrittenOffListingFormTest : public ::testing::Test {
 protected:
  void Change(const std::string& name, const std::string& value) {
    TjxsParamItem* item = Harness.Params().Find(name);
    item->SetValue(value);
    Form.DoParamChange(nullptr, item);
  }
  std::string Value(const std::string& name) { return Harness.Params().GetValues(name); }

  ReportHarness Harness{"KdrBaixaProtocolo"};
  TKdrBaixaProtocolo Form{&Harness.Writer()};
};

TEST_F(WrittenOffListingFormTest, BreakPlanOffersItsOwnOrderingChoices) {
  Form.DepoisConfigurar(nullptr);
  Change("pQuebra", "1");
  EXPECT_EQ(
      Choices(Harness.Params(), "pOrdenacao"),
      (std::vector<std::string>{"Protocolo=0", "Usuário=1", "Data Lançamento=2", "Data Baixa=3"}));
  Change("pQuebra", "3");
  EXPECT_EQ(
      Choices(Harness.Params(), "pOrdenacao"),
      (std::vector<std::string>{"Protocolo=0", "Filial=1", "Data Lançamento=2", "Data Baixa=3"}));
  Change("pQuebra", "8");
  EXPECT_TRUE(Choices(Harness.Params(), "pOrdenacao").empty());
}

TEST_F(WrittenOffListingFormTest, OrderingLostByTheRefillIsPutBack) {
  Harness.Params().SetValues("pOrdenacao", "4");
  Form.DepoisConfigurar(nullptr);
  // Plan 1 has no position 4: the editor drops it, the form puts the last choice back.
  Change("pQuebra", "1");
  EXPECT_EQ(Value("pOrdenacao"), "4");

  Harness.Params().SetValues("pOrdenacao", "2");
  Change("pQuebra", "2");
  EXPECT_EQ(Value("pOrdenacao"), "2") << "a value the plan offers is kept";
}

TEST_F(WrittenOffListingFormTest, ItemTypesMakeTheColumnChoiceRequiredAndEnabled) {
  Form.DepoisConfigurar(nullptr);
  TjxsParamItem* coluna = Harness.Params().Find("pColuna");
  Change("pItensPro", "1,2");
  EXPECT_TRUE(coluna->Required());
  EXPECT_TRUE(coluna->Enabled());
  Change("pItensPro", "  ");
  EXPECT_FALSE(coluna->Required());
  EXPECT_FALSE(coluna->Enabled());
}

}  // namespace
