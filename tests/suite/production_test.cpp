#include "suite/production_service.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

// Range 1 to 15 March 2026: value 0 is 15 March, value 1 the range, value 2
// 1 January to 15 March.
constexpr long kFrom = 20260301, kTo = 20260315;

class ProductionTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    std::string error;
    ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
    for (const char* sql : {
             "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (1, 'H01', 'N')",
             "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (2, 'D01', 'N')",
             "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (3, 'Z99', 'Y')",
             // treatments: id, claim, date, status, producer, lab, total, insurance, deleted
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_LAB, "
             "CTRT_TOTAL, CTRT_INS_AMT, CTRT_DEL_DATE) VALUES "
             "(1, 1, 20260315, 'C', 'D01', 0, 10000, 6000, 0),"       // last day
             "(2, 1, 20260301, 'C', 'D01', 20000, 50000, 0, 0),"      // first day, lab fees
             "(3, 1, 20260228, 'C', 'D01', 0, 7000, 0, 0),"           // before the range, this year
             "(4, 1, 20260310, 'C', 'D01', 0, 9000, 0, 20260311),"    // deleted
             "(5, 10, 20260305, 'P', 'D01', 0, 80000, 0, 0),"         // planned on 5 March
             "(6, 1, 20260305, 'C', 'H01', 0, 3000, 1000, 0),"
             "(7, 1, 20251231, 'C', 'H01', 0, 9999, 0, 0),"           // last year
             "(8, 1, 20260316, 'C', 'D01', 0, 4444, 0, 0),"           // after the range
             "(9, 1, 20260305, 'C', 'XXX', 0, 5555, 0, 0),"           // unknown producer
             "(11, 11, 20260310, 'C', 'D01', 0, 40000, 10000, 0),"    // planned 1 Feb, done 10 March
             "(12, 12, 20260306, 'P', 'D01', 0, 12345, 0, 20260307)", // planned then deleted
             "INSERT INTO PATCLM (PCLM_ID, PCLM_DATE, PCLM_STATUS) VALUES "
             "(1, 20260301, 'P'), (10, 20260305, 'T'), (11, 20260201, 'T'), (12, 20260306, 'T')",
             "INSERT INTO PATOCH (POCH_ID, POCH_DATE, POCH_AMOUNT, POCH_PRODUCER, POCH_DEL_DATE) VALUES "
             "(1, 20260315, 500, 'D01', 0), (2, 20260302, 2000, 'H01', 0), (3, 20260302, 700, 'D01', 20260303)",
             // payments and adjustments: id, date, kind, source, method, amount, producer, deleted
             "INSERT INTO ACCPMT (APMT_ID, APMT_DATE, APMT_KIND, APMT_SOURCE, APMT_METHOD, APMT_AMOUNT, "
             "APMT_PRODUCER, APMT_DEL_DATE) VALUES "
             "(1, 20260310, 'A', 'P', '', -1000, 'D01', 0),"
             "(2, 20260105, 'A', 'P', '', 2500, 'D01', 0),"
             "(3, 20260315, 'P', 'P', 'C', 4000, 'D01', 0),"
             "(4, 20260311, 'P', 'P', 'D', 2000, 'D01', 0),"
             "(5, 20260312, 'P', 'I', 'E', 6000, 'D01', 0),"
             "(6, 20260115, 'P', 'I', 'Q', 3000, 'D01', 0),"
             "(7, 20260303, 'P', 'P', 'V', 2000, 'H01', 0),"
             "(8, 20260313, 'P', 'P', 'C', 8888, 'D01', 20260314)",
             "INSERT INTO TXPTRT (TTRT_ID, TTRT_DATE, TTRT_PRODUCER, TTRT_TOTAL, TTRT_DEL_DATE) VALUES "
             "(1, 20260307, 'D01', 300000, 0), (2, 20260307, 'D01', 77777, 20260308)",
         }) {
      Exec(sql);
    }
  }

  // Producer codes of a result list, in order.
  static std::string Codes(const TDList& list) {
    std::string out;
    for (auto* p : list.As<prodanal_info>()) out += p->Code() + " ";
    return out;
  }
};

using Values = std::map<Triple, std::array<int32_t, 3>>;

// Every triple not listed is 0 in all three values.
const std::map<std::string, Values>& Expected() {
  static const std::map<std::string, Values> expected = {
      {"D01",
       {{Triple::T0, {10500, 100500, 107500}},
        {Triple::T1, {6000, 16000, 16000}},
        {Triple::T2, {500, 500, 500}},
        {Triple::T3, {4000, 84000, 91000}},
        {Triple::T4, {0, -1000, 1500}},
        {Triple::T5, {10500, 99500, 109000}},
        {Triple::T6, {0, 20000, 20000}},
        {Triple::T7, {10500, 79500, 89000}},
        {Triple::P0, {0, 300000, 300000}},
        {Triple::P1, {0, 80000, 120000}},
        {Triple::G0a, {-4000, -4000, -4000}},
        {Triple::G0b, {0, -2000, -2000}},
        {Triple::G0c, {-4000, -6000, -6000}},
        {Triple::G1a, {0, 0, -3000}},
        {Triple::G1b, {0, -6000, -6000}},
        {Triple::G1c, {0, -6000, -9000}},
        {Triple::G2a, {-4000, -6000, -6000}},
        {Triple::G2b, {0, -6000, -9000}},
        {Triple::G2c, {-4000, -12000, -15000}}}},
      {"H01",
       {{Triple::T0, {0, 5000, 5000}},
        {Triple::T1, {0, 1000, 1000}},
        {Triple::T2, {0, 2000, 2000}},
        {Triple::T3, {0, 2000, 2000}},
        {Triple::T5, {0, 5000, 5000}},
        {Triple::T7, {0, 5000, 5000}},
        {Triple::G0b, {0, -2000, -2000}},
        {Triple::G0c, {0, -2000, -2000}},
        {Triple::G2a, {0, -2000, -2000}},
        {Triple::G2c, {0, -2000, -2000}}}},
      {"Z99", {}},
  };
  return expected;
}

void ExpectFigures(const TDList& list) {
  for (auto* p : list.As<prodanal_info>()) {
    const auto found = Expected().find(p->Code());
    ASSERT_NE(found, Expected().end()) << p->Code();
    for (int t = 0; t < static_cast<int>(Triple::kCount); ++t) {
      const auto triple = static_cast<Triple>(t);
      const auto values = found->second.find(triple);
      for (int k = 0; k < 3; ++k) {
        const int32_t want = values == found->second.end() ? 0 : values->second[k];
        EXPECT_EQ(p->Get(triple, k), want) << p->Code() << " triple " << t << " value " << k;
      }
    }
  }
}

TEST_P(ProductionTest, EveryTripleOfEveryProducer) {
  TDList list;
  std::string error;
  ASSERT_TRUE(ComputeProduction(Db(), kFrom, kTo, {}, &list, &error)) << error;
  EXPECT_EQ(Codes(list), "D01 H01 Z99 ");
  ExpectFigures(list);
}

TEST_P(ProductionTest, ProducerListAndInactiveProducers) {
  struct Case {
    const char* name;
    std::vector<std::string> producers;
    bool include_inactive;
    const char* codes;
  } cases[] = {
      {"all", {}, true, "D01 H01 Z99 "},
      {"active only", {}, false, "D01 H01 "},
      {"named inactive", {"Z99"}, false, "Z99 "},
      {"named, in code order", {"H01", "D01"}, false, "D01 H01 "},
      {"unknown code", {"QQQ"}, true, ""},
  };
  for (const Case& c : cases) {
    TDList list;
    std::string error;
    ASSERT_TRUE(ComputeProductionFor(Db(), kFrom, kTo, c.producers, c.include_inactive, &list, &error)) << error;
    EXPECT_EQ(Codes(list), c.codes) << c.name;
    ExpectFigures(list);
  }
}

TEST_P(ProductionTest, RequestChannelStatus) {
  QenApplication app;
  app.SetDb(OpenAgain());
  ProductionChannel channel(&app);
  QenApplication no_db;
  ProductionChannel channel_without_db(&no_db);
  struct Case {
    const char* name;
    ProductionChannel* channel;
    int command;
    bool with_list;
    const char* first;
    const char* last;
    long returned;
    long status;
    const char* codes;
  } cases[] = {
      {"every producer", &channel, 2536, true, "", "", 0, 1, "D01 H01 Z99 "},
      {"first producer bound", &channel, 2536, true, "E", "", 0, 1, "H01 Z99 "},
      {"both bounds", &channel, 2536, true, "D01", "H01", 0, 1, "D01 H01 "},
      {"no database", &channel_without_db, 2536, true, "", "", 0, 0, ""},
      {"no result list", &channel, 2536, false, "", "", 0, 0, ""},
      {"unknown command", &channel, 2535, true, "", "", -1, 7, ""},
  };
  for (const Case& c : cases) {
    TDList list;
    ProdAnalRequest request;
    request.result = c.with_list ? &list : nullptr;
    request.status = c.command == 2536 ? 0 : 7;
    request.from = kFrom;
    request.to = kTo;
    std::snprintf(request.first_producer, sizeof request.first_producer, "%s", c.first);
    std::snprintf(request.last_producer, sizeof request.last_producer, "%s", c.last);
    EXPECT_EQ(c.channel->Request(c.command, &request), c.returned) << c.name;
    EXPECT_EQ(request.status, c.status) << c.name;
    EXPECT_EQ(Codes(list), c.codes) << c.name;
    ExpectFigures(list);
  }
  EXPECT_EQ(channel.Request(2536, nullptr), 0);
}

TEST_P(ProductionTest, InstalledServiceAndAnalysisObject) {
  QenApplication app;
  app.SetDb(OpenAgain());
  InstallProductionService(&app);
  QenApplication::SetInstance(&app);
  ASSERT_NE(app.Channel(), nullptr);
  TDList list;
  ProdAnalRequest request;
  request.result = &list;
  request.from = kFrom;
  request.to = kTo;
  EXPECT_EQ(app.Channel()->Request(2536, &request), 0);
  EXPECT_EQ(request.status, 1);

  struct Case {
    const char* name;
    const char* producers;
    const char* codes;
  } cases[] = {
      {"every active producer", "", "D01 H01 "},
      {"three-character fields", "H01D01", "D01 H01 "},
      {"comma list with blanks", " Z99 , D01", "D01 Z99 "},
  };
  for (const Case& c : cases) {
    // As the productivity report builds it: 0 and the end, then the start.
    TProducerAnalysisObj analysis(0, 0, kTo, nullptr, true);
    analysis.SetProducerList(c.producers);
    analysis.SetStartDate(kFrom);
    ASSERT_TRUE(analysis.LoadPracticeAnalysisInfo(false, false)) << c.name;
    std::string codes;
    for (prodanal_info* p = analysis.GetProdDListElem(nullptr); p; p = analysis.GetProdDListElem(p)) {
      codes += p->Code() + " ";
    }
    EXPECT_EQ(codes, c.codes) << c.name;
    ExpectFigures(analysis.Records());
  }
  QenApplication::SetInstance(nullptr);
  TProducerAnalysisObj without_app(0, kFrom, kTo, nullptr, true);
  EXPECT_FALSE(without_app.LoadPracticeAnalysisInfo(false, false));
}

TEST(SplitProducerList, Forms) {
  struct Case {
    const char* text;
    std::vector<std::string> codes;
  } cases[] = {
      {"", {}},
      {"D01H01", {"D01", "H01"}},
      {"D01H0", {"D01", "H0"}},
      {"D1 H01", {"D1", "H01"}},
      {"D01,H01", {"D01", "H01"}},
      {" D01 ,, H1 ", {"D01", "H1"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitProducerList(c.text), c.codes) << c.text;
}

INSTANTIATE_DB_TEST(ProductionTest);

}  // namespace
