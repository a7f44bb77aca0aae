// The plug-in frame seen from the host: the class reference, Versao without an instance, and
// Imprimir's checks and instance life cycle, through the test plug-in.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Exception.h"
#include "TjfmReport.h"
#include "run/PluginLibrary.h"

namespace {

// A report object with no layout: enough for runs that stop before printing.
class BareReport : public TjfmReport {
 public:
  void RepPrintSection(int) override {}
  bool NativeCanPrintSection(int) override { return true; }
  void RepEndOfPage(bool) override {}
  TjxsLabel* LabelByName(const std::string& name) override {
    throw Exception("sem etiqueta " + name);
  }
  TjxsImage* ImageByName(const std::string& name) override {
    throw Exception("sem imagem " + name);
  }
  void WrapText(TStringList&, TjxsLabel*, bool, bool) override {}
  std::string GetLayoutValue(const std::string&) const override { return ""; }
  void SetLayoutValue(const std::string&, const std::string&) override {}
  void MsgConfigurar(const std::vector<std::string>&) override {}
  void MsgMensagem(int, const std::string&) override {}
  void CSLShowProgress(int, int) override {}
  TjxsPowerParam& GetParams() override { return FParams; }
  TjClientDataSet* MainDataSet() override { return nullptr; }

  void Give(const std::string& name, const std::string& value) {
    FParams.Add(std::make_unique<TjxsParamItem>(name, name, "text", value, false));
  }

 private:
  TjxsPowerParam FParams;
};

class FrameTest : public ::testing::Test {
 protected:
  FrameTest() : FPlugin(std::string(KDR_PLUGIN_DIR) + "/KdrTeste.so") {
    FDestructions = reinterpret_cast<int (*)()>(FindExport("KdrTesteDestruicoes"));
  }
  ~FrameTest() override {
    if (FSelf != nullptr) dlclose(FSelf);
  }

  void* FindExport(const char* name) {
    FSelf = dlopen((std::string(KDR_PLUGIN_DIR) + "/KdrTeste.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    return FSelf != nullptr ? dlsym(FSelf, name) : nullptr;
  }

  std::string ImprimirMessage(std::intptr_t address) {
    try {
      FPlugin.ImprimirExport()(address);
    } catch (const Exception& error) {
      EXPECT_EQ(typeid(error), typeid(Exception)) << "the general class is expected";
      return error.what();
    }
    return "(nothing raised)";
  }

  PluginLibrary FPlugin;
  void* FSelf = nullptr;
  int (*FDestructions)() = nullptr;
};

TEST_F(FrameTest, ClassReferenceIsStableAndAnswersVersaoWithoutAnInstance) {
  ASSERT_NE(FDestructions, nullptr);
  const int before = FDestructions();
  const TjfmBaseDllClass* first = FPlugin.ClassDllExport()();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, FPlugin.ClassDllExport()());
  EXPECT_EQ(first->Versao(), "[versao: 0.1.0.0]");
  EXPECT_EQ(first->ClassName(), "TKdrTeste");
  EXPECT_EQ(FDestructions(), before) << "Versao must not create an instance";
}

TEST_F(FrameTest, ClassDescribesItsPublishedOperations) {
  const auto& methods = FPlugin.ReportClass().Methods();
  ASSERT_EQ(methods.size(), 5u);
  EXPECT_EQ(methods[0].Name, "Versao");
  EXPECT_EQ(methods[0].Result, "string");
  EXPECT_EQ(methods[2].Name, "DoParamChange");
  ASSERT_EQ(methods[2].Params.size(), 2u);
  EXPECT_EQ(methods[2].Params[0].Name, "Sender");
  EXPECT_EQ(methods[2].Params[1].Name, "_AParam");
}

TEST_F(FrameTest, ZeroAddressIsNotAReport) {
  EXPECT_EQ(ImprimirMessage(0), "Erro: Endereço: 00000000 nao é de relatório.");
}

TEST_F(FrameTest, ForeignObjectIsRejectedWithTheLow32BitsOfItsAddress) {
  auto foreign = std::make_unique<std::string>("not a report");
  const auto address = reinterpret_cast<std::intptr_t>(foreign.get());
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(address & 0xFFFFFFFF));
  EXPECT_EQ(ImprimirMessage(address),
            std::string("Erro: Endereço: ") + digits + " nao é de relatório.");
}

TEST_F(FrameTest, AddressAbove32BitsIsNeitherTruncatedNorDereferenced) {
  // An address that does not fit 32 bits and points nowhere: only the registry is asked.
  const std::intptr_t address = static_cast<std::intptr_t>(0x7ABC00001234LL);
  EXPECT_EQ(ImprimirMessage(address), "Erro: Endereço: 00001234 nao é de relatório.");
}

TEST_F(FrameTest, FreedReportIsNoLongerAReport) {
  auto report = std::make_unique<BareReport>();
  const auto address = reinterpret_cast<std::intptr_t>(static_cast<TjfmReport*>(report.get()));
  EXPECT_TRUE(TjfmReport::IsLiveReport(report.get()));
  report.reset();
  EXPECT_FALSE(TjfmReport::IsLiveReport(reinterpret_cast<const void*>(address)));
  EXPECT_NE(ImprimirMessage(address).find("nao é de relatório."), std::string::npos);
}

TEST_F(FrameTest, ExceptionOfTheBodyReachesTheCallerAfterTheInstanceIsFreedOnce) {
  BareReport report;
  report.Give("pDataInicial", "01/03/2026");
  report.Give("pDataFinal", "31/03/2026");
  report.Give("pFalhar", "1");
  const int before = FDestructions();
  try {
    FPlugin.Imprimir(report);
    FAIL() << "the report's exception must reach the caller";
  } catch (const EjxsError& error) {
    EXPECT_STREQ(error.what(), "Falha solicitada pelo teste.");
  }
  EXPECT_EQ(FDestructions(), before + 1);
  EXPECT_FALSE(report.OnAfterSection) << "no handler may refer to the freed instance";
}

TEST_F(FrameTest, ParameterErrorsComeUnchanged) {
  BareReport report;
  report.Give("pDataInicial", "32/13/2026");
  const int before = FDestructions();
  try {
    FPlugin.Imprimir(report);
    FAIL() << "an invalid date must raise";
  } catch (const EjxsError& error) {
    EXPECT_STREQ(error.what(), "Data inicial invalida!");
  }
  EXPECT_EQ(FDestructions(), before + 1);
}

}  // namespace
