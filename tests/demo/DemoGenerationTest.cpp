// How the demo database is written: the same rows for the same size, exactly the size asked
// for, nothing written when it refuses or fails.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "Exception.h"
#include "demo/DemoTestDatabase.h"
#include "support/TestOffice.h"

namespace {

long long TotalRows(DemoTestDatabase& db) {
  long long rows = 0;
  for (const std::string& table : DemoTables()) rows += db.Scalar("select count(*) from " + table);
  return rows;
}

TEST(DemoGeneration, SameSizeGivesIdenticalTables) {
  DemoTestDatabase first, second;
  first.Fill(400);
  second.Fill(400);
  for (const std::string& table : DemoTables()) {
    const std::string dump = first.Dump(table);
    EXPECT_FALSE(dump.empty()) << table;
    EXPECT_TRUE(dump == second.Dump(table)) << table << " differs between two runs";
  }
}

TEST(DemoGeneration, TheProtocolCountIsTheOneAskedFor) {
  for (int size : {0, 1, 3, 8, 9, 2500}) {
    DemoTestDatabase db;
    db.Fill(size);
    EXPECT_EQ(db.Scalar("select count(*) from PROTOCOLO"), size) << size;
    if (size > 0) {
      EXPECT_EQ(db.Scalar("select max(CODIGOPROTOCOLO) from PROTOCOLO"), size) << size;
    }
    EXPECT_EQ(db.Scalar("select count(distinct CODIGOPROTOCOLO) from PROTOCOLOITEM"), size) << size;
    EXPECT_EQ(db.Scalar("select count(*) from PROTOCOLODOCMOVIMENTO M where CODIGOPROTOCOLO"
                        " is not null and not exists (select 1 from PROTOCOLO P where"
                        " P.CODIGOPROTOCOLO = M.CODIGOPROTOCOLO)"),
              0)
        << size;
    EXPECT_GT(db.Scalar("select count(*) from ESTAB"), 20) << size;
  }
}

TEST(DemoGeneration, EstablishmentsGrowSlowerThanProtocols) {
  DemoTestDatabase small, large;
  small.Fill(400);
  large.Fill(4000);
  const long long few = small.Scalar("select count(*) from ESTAB");
  const long long many = large.Scalar("select count(*) from ESTAB");
  EXPECT_GE(many, 200);  // about one establishment for twenty protocols
  EXPECT_LE(many, 210);
  EXPECT_LT(few, many);
  EXPECT_GT(large.Scalar("select count(*) from PROTOCOLOROTAENTREGA"),
            small.Scalar("select count(*) from PROTOCOLOROTAENTREGA"));
  EXPECT_GT(large.Scalar("select count(*) from PROTOCOLODOCEMP"),
            small.Scalar("select count(*) from PROTOCOLODOCEMP"));
}

TEST(DemoGeneration, ProgressCountsUpToItsTotal) {
  DemoTestDatabase db;
  std::vector<std::pair<long long, long long>> calls;
  db.Fill(3000, [&](long long done, long long total) { calls.emplace_back(done, total); });
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front().first, 0);
  const long long total = calls.front().second;
  for (std::size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].second, total);
    EXPECT_GT(calls[i].first, calls[i - 1].first);
  }
  EXPECT_EQ(calls.back().first, total);
  EXPECT_EQ(total, 3000 + db.Scalar("select count(*) from PROTOCOLODOCEMP"));
}

TEST(DemoGeneration, ANegativeSizeIsRefusedBeforeWriting) {
  DemoTestDatabase db;
  try {
    db.Fill(-1);
    FAIL() << "a negative size was accepted";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find("-1"), std::string::npos) << error.Message();
  }
  EXPECT_EQ(TotalRows(db), 0);
}

TEST(DemoGeneration, ADatabaseWithRowsIsRefusedAndKeptIntact) {
  DemoTestDatabase db;
  office::TestOffice(db.Engine()).City("PR", office::kCuritiba, "Curitiba");
  EXPECT_THROW(db.Fill(10), Exception);
  EXPECT_EQ(TotalRows(db), 1);
}

TEST(DemoGeneration, ASecondFillIsRefused) {
  DemoTestDatabase db;
  db.Fill(10);
  EXPECT_THROW(db.Fill(10), Exception);
  EXPECT_EQ(db.Scalar("select count(*) from PROTOCOLO"), 10);
}

TEST(DemoGeneration, ADatabaseWithoutTheTablesIsRefused) {
  DemoTestDatabase db(false);
  try {
    db.Fill(10);
    FAIL() << "a database without tables was accepted";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find("EMPRESA"), std::string::npos) << error.Message();
  }
  EXPECT_TRUE(db.Engine().TableNames().empty());
}

TEST(DemoGeneration, AFailureHalfwayLeavesNothingBehind) {
  DemoTestDatabase db;
  EXPECT_THROW(db.Fill(3000,
                       [](long long done, long long) {
                         if (done >= 2048) throw std::runtime_error("interrompido");
                       }),
               std::runtime_error);
  EXPECT_EQ(TotalRows(db), 0);
}

}  // namespace
