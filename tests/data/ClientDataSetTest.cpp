// The in-memory data set: typed fields, indexes, ranges, key search and editing.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "Exception.h"
#include "TjClientDataSet.h"

namespace {

// Codes and names in insertion order: (3,"c") (1,"a") (2,"b") (1,"x") (3,"d").
std::unique_ptr<TjClientDataSet> CodesAndNames() {
  auto set = std::make_unique<TjClientDataSet>();
  set->AddFieldDef("Codigo", TFieldType::ftInteger);
  set->AddFieldDef("Nome", TFieldType::ftString, 10);
  set->CreateDataSet();
  for (const auto& [code, name] :
       std::vector<std::pair<int, std::string>>{{3, "c"}, {1, "a"}, {2, "b"}, {1, "x"}, {3, "d"}}) {
    set->AppendRecord({code, name});
  }
  return set;
}

std::string Walk(TjClientDataSet& set, const char* field = "Nome") {
  std::string names;
  for (set.First(); !set.Eof(); set.Next()) names += set.FieldByName(field).AsString();
  return names;
}

TEST(DataSetFields, LookupIgnoresCaseAndNamesMissingFields) {
  auto set = CodesAndNames();
  EXPECT_EQ(&set->FieldByName("CODIGO"), &set->Fields(0));
  EXPECT_EQ(set->FindField("nome"), &set->Fields(1));
  EXPECT_EQ(set->FindField("Outro"), nullptr);
  try {
    set->FieldByName("CodigoRota");
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("CodigoRota"), std::string::npos);
  }
  EXPECT_THROW(set->Fields(2), Exception);
}

TEST(DataSetFields, PostConvertsToTheFieldTypeAndCutsTextToItsWidth) {
  TjClientDataSet set;
  set.AddFieldDef("Desc", TFieldType::ftString, 5);
  set.AddFieldDef("Valor", TFieldType::ftFMTBcd, 0, 18, 2);
  set.AddFieldDef("Vcto", TFieldType::ftDate);
  set.AddFieldDef("Seq", TFieldType::ftInteger);
  set.CreateDataSet();
  set.Append();
  set.FieldByName("Desc").SetAsString("Operação");  // 8 characters, 10 bytes
  set.FieldByName("Valor").SetAsFloat(1234.5);
  set.FieldByName("Vcto").SetAsDateTime(TDateTime::EncodeDateTime(2026, 3, 10, 15, 0, 0));
  set.FieldByName("Seq").SetAsString("7");
  set.Post();
  EXPECT_EQ(set.FieldByName("Desc").AsString(), "Opera");
  EXPECT_EQ(set.FieldByName("Valor").AsString(), "1234,50");
  EXPECT_EQ(set.FieldByName("Valor").Value().GetKind(), Variant::Kind::Decimal);
  EXPECT_EQ(set.FieldByName("Vcto").AsString(), "10/03/2026");
  EXPECT_EQ(set.FieldByName("Seq").Value().GetKind(), Variant::Kind::Integer);
  set.AppendRecord({"ação!", Variant("0,1"), "2026-03-01", 1});
  EXPECT_EQ(set.FieldByName("Desc").AsString(), "ação!");
  EXPECT_EQ(set.FieldByName("Valor").Value(), Variant(Decimal(10, 2)));
}

TEST(DataSetFields, NullsAndBadValues) {
  TjClientDataSet set;
  set.AddFieldDef("Seq", TFieldType::ftInteger);
  set.AddFieldDef("Data", TFieldType::ftDateTime);
  set.CreateDataSet();
  set.AppendRecord({Variant(), ""});
  EXPECT_TRUE(set.FieldByName("Seq").IsNull());
  EXPECT_EQ(set.FieldByName("Seq").AsInteger(), 0);
  EXPECT_EQ(set.FieldByName("Seq").AsString(), "");
  EXPECT_TRUE(set.FieldByName("Data").IsNull());  // a blank text clears a non-text field
  set.Append();
  EXPECT_THROW(set.FieldByName("Seq").SetAsString("doze"), Exception);
  EXPECT_THROW(set.FieldByName("Seq").SetValue(Variant(std::int64_t{1} << 33)), Exception);
  EXPECT_THROW(set.FieldByName("Data").SetAsString("31/02/2026"), Exception);
  set.Cancel();
  EXPECT_EQ(set.RecordCount(), 1);
  EXPECT_THROW(set.FieldByName("Seq").SetAsInteger(1), Exception);  // not in edit mode
  EXPECT_THROW(set.AppendRecord({1, "", 3}), Exception);
}

TEST(DataSetStructure, FieldsAreFixedOnceCreated) {
  TjClientDataSet set;
  EXPECT_FALSE(set.Active());
  EXPECT_THROW(set.First(), Exception);
  set.AddFieldDef("A", TFieldType::ftInteger);
  EXPECT_THROW(set.AddFieldDef("a", TFieldType::ftString), Exception);
  set.CreateDataSet();
  EXPECT_TRUE(set.Active());
  EXPECT_THROW(set.AddFieldDef("B", TFieldType::ftInteger), Exception);
  EXPECT_TRUE(set.IsEmpty());
  set.First();
  EXPECT_TRUE(set.Eof());
  EXPECT_TRUE(set.Bof());
  EXPECT_EQ(set.RecNo(), 0);
}

TEST(DataSetNavigation, InsertionOrderWithEofAndBof) {
  auto set = CodesAndNames();
  EXPECT_EQ(Walk(*set), "cabxd");
  set->Last();
  EXPECT_TRUE(set->Eof());
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "d");
  set->Prior();
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "x");
  EXPECT_EQ(set->RecNo(), 4);
  set->First();
  set->Prior();
  EXPECT_TRUE(set->Bof());
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "c");
}

TEST(DataSetIndexes, AscendingIndexKeepsEqualKeysInInsertionOrder) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo");
  EXPECT_EQ(Walk(*set), "axbcd");
  EXPECT_EQ(set->IndexFieldNames(), "Codigo");
  set->SetIndexFieldNames("");
  EXPECT_EQ(Walk(*set), "cabxd");
}

TEST(DataSetIndexes, DroppingAnIndexGivesBackInsertionOrderWithRecordsAddedUnderIt) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo");
  set->AppendRecord({0, "z"});
  EXPECT_EQ(Walk(*set), "zaxbcd");
  set->SetIndexFieldNames("");
  EXPECT_EQ(Walk(*set), "cabxdz");
  set->Last();
  EXPECT_EQ(set->RecNo(), 6);
  set->AppendRecord({2, "y"});
  EXPECT_EQ(set->RecNo(), 7);
  set->SetIndexFieldNames("Codigo");
  EXPECT_EQ(Walk(*set), "zaxbycd");
}

TEST(DataSetIndexes, DescendingIndexStillKeepsEqualKeysInInsertionOrder) {
  auto set = CodesAndNames();
  set->AddIndex("ixDesc", "Codigo", TjClientDataSet::ixDescending);
  set->SetIndexName("ixDesc");
  EXPECT_EQ(Walk(*set), "cdbax");
}

TEST(DataSetIndexes, MultiFieldWithDescFieldsAndTrailingSemicolon) {
  auto set = CodesAndNames();
  set->AddIndex("ix", "CODIGO;NOME;", 0, "Nome");
  set->SetIndexName("ix");
  EXPECT_EQ(Walk(*set), "xabdc");
  set->SetIndexFieldNames("codigo;nome;");
  EXPECT_EQ(Walk(*set), "axbcd");
}

TEST(DataSetIndexes, UnknownFieldsAreNamedAndChangeNothing) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo");
  try {
    set->SetIndexFieldNames("Codigo;SEQROTA");
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("SEQROTA"), std::string::npos);
  }
  EXPECT_EQ(Walk(*set), "axbcd");
  EXPECT_THROW(set->AddIndex("ix", "Codigo", 0, "Outro"), Exception);
  EXPECT_THROW(set->SetIndexName("naoExiste"), Exception);
}

TEST(DataSetIndexes, CurrentRecordStaysCurrentWhenReindexed) {
  auto set = CodesAndNames();
  set->First();
  set->Next();
  set->Next();  // "b"
  set->SetIndexFieldNames("Codigo");
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "b");
  EXPECT_EQ(set->RecNo(), 3);
  set->Next();
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "c");
}

TEST(DataSetIndexes, RecordsAddedUnderAnIndexTakeTheirPlace) {
  TjClientDataSet set;
  set.AddFieldDef("CodigoRota", TFieldType::ftInteger);
  set.AddFieldDef("Seq", TFieldType::ftInteger);
  set.AddFieldDef("Vcto", TFieldType::ftDateTime);
  set.CreateDataSet();
  // Made current before the first record, as the protocol print does, and named in another case.
  set.AddIndex("ixIndice", "CODIGOROTA;Seq;Vcto", TjClientDataSet::ixDescending, "Vcto");
  set.SetIndexName("ixIndice");
  for (int route : {1, 3, 2}) {
    for (int copy = 1; copy <= 2; ++copy) {
      set.Append();
      set.FieldByName("CodigoRota").SetAsInteger(route);
      set.FieldByName("Seq").SetAsInteger(copy);
      set.FieldByName("Vcto").SetAsDateTime(TDateTime::EncodeDate(2026, 3, route));
      set.Post();
      EXPECT_EQ(set.FieldByName("CodigoRota").AsInteger(), route);  // the posted record is current
    }
  }
  std::string order;
  for (set.First(); !set.Eof(); set.Next()) {
    order += std::to_string(set.FieldByName("CodigoRota").AsInteger()) +
             std::to_string(set.FieldByName("Seq").AsInteger()) + " ";
  }
  EXPECT_EQ(order, "32 31 22 21 12 11 ");
}

TEST(DataSetIndexes, AnIndexDeclaredWithTheFieldsIsUsableOnceCreated) {
  TjClientDataSet set;
  set.AddFieldDef("Codigo", TFieldType::ftInteger);
  set.AddIndex("ixCodigo", "CODIGO", TjClientDataSet::ixDescending);
  set.SetIndexName("ixCodigo");
  set.CreateDataSet();
  for (int code : {2, 3, 1}) set.AppendRecord({code});
  EXPECT_EQ(Walk(set, "Codigo"), "321");
}

TEST(DataSetIndexes, EditingAKeyMovesTheRecord) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo");
  set->First();  // "a", code 1
  set->Edit();
  set->FieldByName("Codigo").SetAsInteger(9);
  set->Post();
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "a");
  EXPECT_EQ(Walk(*set), "xbcda");
  set->First();
  set->Edit();
  set->FieldByName("Nome").SetAsString("y");
  set->Cancel();
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "x");
}

TEST(DataSetIndexes, CaseInsensitiveOption) {
  TjClientDataSet set;
  set.AddFieldDef("Nome", TFieldType::ftString, 10);
  set.CreateDataSet();
  for (const char* name : {"b", "A", "a", "B"}) set.AppendRecord({name});
  set.SetIndexFieldNames("Nome");
  EXPECT_EQ(Walk(set), "ABab");
  set.AddIndex("ixNome", "Nome", TjClientDataSet::ixCaseInsensitive);
  set.SetIndexName("ixNome");
  EXPECT_EQ(Walk(set), "AabB");
}

TEST(DataSetRanges, InclusiveOnAnIndexPrefixWithRecordCount) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo;Nome");
  set->SetRange({1}, {2});
  EXPECT_EQ(set->RecordCount(), 3);
  EXPECT_EQ(Walk(*set), "axb");
  set->SetRange({1, "b"}, {3, "c"});
  EXPECT_EQ(Walk(*set), "xbc");
  set->SetRange({5}, {9});
  EXPECT_EQ(set->RecordCount(), 0);
  EXPECT_TRUE(set->IsEmpty());
  set->First();
  EXPECT_TRUE(set->Eof());
  set->CancelRange();
  EXPECT_EQ(set->RecordCount(), 5);
}

TEST(DataSetRanges, RangeNeedsAnIndexAndFittingKeys) {
  auto set = CodesAndNames();
  EXPECT_THROW(set->SetRange({1}, {2}), Exception);
  set->SetIndexFieldNames("Codigo");
  EXPECT_THROW(set->SetRange({1, "a"}, {2, "b"}), Exception);
  EXPECT_THROW(set->SetRange({"um"}, {2}), Exception);
}

TEST(DataSetKeySearch, FindsTheFirstMatchOfAKeyPrefix) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo;Nome");
  ASSERT_TRUE(set->FindKey({3}));
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "c");
  ASSERT_TRUE(set->FindKey({1, "x"}));
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "x");
  // Keys are read as the field's type: a text "2" finds the integer 2.
  ASSERT_TRUE(set->FindKey({"2"}));
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "b");
  EXPECT_FALSE(set->FindKey({1, "z"}));
  EXPECT_FALSE(set->FindKey({4}));
  EXPECT_EQ(set->FieldByName("Nome").AsString(), "b");  // unchanged by a failed search
}

TEST(DataSetKeySearch, LongerKeyDoesNotMatchANarrowField) {
  TjClientDataSet set;
  set.AddFieldDef("Origem", TFieldType::ftString, 1);
  set.CreateDataSet();
  set.AppendRecord({"M"});
  set.SetIndexFieldNames("Origem;");
  EXPECT_TRUE(set.FindKey({"M"}));
  EXPECT_FALSE(set.FindKey({"MO"}));
}

TEST(DataSetKeySearch, SearchStaysInsideTheRange) {
  auto set = CodesAndNames();
  set->SetIndexFieldNames("Codigo");
  set->SetRange({2}, {3});
  EXPECT_FALSE(set->FindKey({1}));
  EXPECT_TRUE(set->FindKey({3}));
}

TEST(DataSetEditing, AppendPostCancelAndEmpty) {
  auto set = CodesAndNames();
  set->Append();
  set->FieldByName("Codigo").SetAsInteger(8);
  EXPECT_EQ(set->RecordCount(), 5);
  set->Cancel();
  EXPECT_EQ(set->RecordCount(), 5);
  set->Append();
  set->FieldByName("Codigo").SetAsInteger(8);
  set->Next();  // moving away stores the record
  EXPECT_EQ(set->RecordCount(), 6);
  EXPECT_THROW(set->Post(), Exception);
  set->EmptyDataSet();
  EXPECT_EQ(set->RecordCount(), 0);
  set->Edit();  // nothing to edit: a new record
  set->FieldByName("Nome").SetAsString("n");
  set->Post();
  EXPECT_EQ(Walk(*set), "n");
}

// Records keep equal texts once, shared, and small numbers in the cell with wide ones aside:
// each record must still own its values, and values of every kind and size must come back as
// they went in and sort as values do.
TEST(DataSetEditing, RecordsKeepEveryKindAndSizeOfValueAndOwnTheirTexts) {
  TjClientDataSet set;
  set.AddFieldDef("Nome", TFieldType::ftString, 20);
  set.AddFieldDef("Qualquer", TFieldType::ftUnknown);
  set.AddFieldDef("Valor", TFieldType::ftFMTBcd, 0, 18, 2);
  set.CreateDataSet();
  const std::vector<Variant> values = {Variant(std::int64_t{-5}),
                                       Variant(std::int64_t{1} << 40),
                                       Variant(2.5),
                                       Variant(-0.0),
                                       Variant(3e9),
                                       Variant(Decimal(-1234, 2)),
                                       Variant(TDateTime(46000)),
                                       Variant(TDateTime(46000.25)),
                                       Variant(true),
                                       Variant(Blob{std::string("a\0b", 3)}),
                                       Variant("texto"),
                                       Variant()};
  const std::vector<Decimal> amounts = {Decimal(12345, 2), Decimal(-999999999999, 2)};
  for (std::size_t i = 0; i < values.size(); ++i) {
    set.AppendRecord({"igual", values[i], amounts[i % 2]});
  }
  set.First();
  set.Edit();
  set.FieldByName("Nome").SetAsString("outro");
  set.Post();
  EXPECT_EQ(Walk(set).substr(0, 15), "outroigualigual");
  std::size_t i = 0;
  for (set.First(); !set.Eof(); set.Next(), ++i) {
    const Variant value = set.FieldByName("Qualquer").Value();
    EXPECT_EQ(value.GetKind(), values[i].GetKind()) << i;
    EXPECT_EQ(value.AsString(), values[i].AsString()) << i;
    EXPECT_EQ(value.AsBytes(), values[i].AsBytes()) << i;
    EXPECT_EQ(set.FieldByName("Valor").Value().AsDecimal(2), amounts[i % 2]) << i;
  }
  set.SetIndexFieldNames("Valor");
  set.First();
  EXPECT_EQ(set.FieldByName("Valor").AsString(), "-9999999999,99");
}

// Equal texts are kept once: found among the few kept ones in turn, and through an index of
// them once there are more. Each record must read back its own text either way, also after
// the data set was emptied and filled again.
TEST(DataSetEditing, TextsReadBackAndSortWhetherFewOrMany) {
  TjClientDataSet set;
  set.AddFieldDef("Nome", TFieldType::ftString);
  set.CreateDataSet();
  const auto name = [](int i) { return "nome " + std::to_string(i % 30); };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 90; ++i) set.AppendRecord({name(i)});
    int i = 0;
    for (set.First(); !set.Eof(); set.Next(), ++i) {
      ASSERT_EQ(set.FieldByName("Nome").AsString(), name(i)) << round;
    }
    EXPECT_EQ(i, 90);
    set.SetIndexFieldNames("Nome");
    ASSERT_TRUE(set.FindKey({"nome 29"}));
    EXPECT_EQ(set.RecNo(), 67);  // 22 names sort before it (0, 1, 10 to 19, 2, 20 to 28), 3 each
    set.Next();
    set.Next();
    set.Next();
    EXPECT_EQ(set.FieldByName("Nome").AsString(), "nome 3");
    set.SetIndexFieldNames("");
    set.EmptyDataSet();
  }
}

TEST(DataSetScale, AMillionRecordsIndexAndSearchQuickly) {
  TjClientDataSet set;
  set.AddFieldDef("Codigo", TFieldType::ftInteger);
  set.AddFieldDef("Grupo", TFieldType::ftInteger);
  set.CreateDataSet();
  const int count = 1'000'000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i)
    set.AppendRecord({static_cast<int>(std::int64_t{i} * 7919 % count), i % 100});
  set.AddIndex("ix", "Grupo;Codigo", TjClientDataSet::ixDescending);
  set.SetIndexName("ix");
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(set.FindKey({i % 100}));
  set.SetRange({50}, {50});
  EXPECT_EQ(set.RecordCount(), count / 100);
  set.First();
  EXPECT_EQ(set.FieldByName("Grupo").AsInteger(), 50);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 30.0);  // quadratic work would take hours
}

}  // namespace
