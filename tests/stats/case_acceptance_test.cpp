// Classification and acceptance of case-acceptance audit rows, and the rows
// a merged record becomes.
#include <gtest/gtest.h>

#include <cstring>

#include "stats/case_acceptance.h"

namespace {

CaseAuditRow Row(char type, char action, long recid, const char* info1, const char* info2, const char* info3) {
  CaseAuditRow r;
  r.type = type;
  r.action = action;
  r.record_id = recid;
  r.date = 20261105;
  r.info1 = info1;
  r.info2 = info2;
  r.info3 = info3;
  return r;
}

TEST(CaseClassifyTest, Categories) {
  struct Case {
    const char* name;
    CaseAuditRow row;
    long category, group, record_id, new_count, accepted_count;
  };
  const Case cases[] = {
      {"proposal created", Row('X', 'A', 3, "", "42", ""), 1, 87, 42, 1, 0},
      {"proposal approved from no status", Row('X', 'E', 3, "A", "42", ""), 3, 87, 42, 0, 1},
      {"proposal approved from I", Row('X', 'E', 3, "A", "42", "I"), 5, 87, 42, 0, 1},
      {"proposal approved from P is not counted", Row('X', 'E', 3, "A", "42", "P"), 0, 87, 42, 0, 0},
      {"proposal edited to I is not counted", Row('X', 'E', 3, "I", "42", ""), 0, 87, 42, 0, 0},
      {"proposal id is the leading number of info2", Row('X', 'A', 3, "", "17abc", ""), 1, 87, 17, 1, 0},
      {"planned treatment created", Row('T', 'A', 9, "P", "", "x"), 10, 17, 9, 1, 0},
      {"planned treatment set to I", Row('T', 'E', 9, "I", "", "P"), 11, 17, 9, 0, 1},
      {"planned treatment set to C from P", Row('T', 'E', 9, "C", "", "P"), 12, 17, 9, 0, 1},
      {"planned treatment set to C from I is not counted", Row('T', 'E', 9, "C", "", "I"), 0, 17, 9, 0, 0},
      {"other types read as planned treatments", Row('Z', 'A', 9, "P", "", "x"), 10, 17, 9, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CaseStats r = CaseClassify(c.row);
    EXPECT_EQ(r.category, c.category);
    EXPECT_EQ(r.group, c.group);
    EXPECT_EQ(r.record_id, c.record_id);
    EXPECT_EQ(r.new_count, c.new_count);
    EXPECT_EQ(r.accepted_count, c.accepted_count);
    EXPECT_EQ(r.action, c.row.action);
    EXPECT_EQ(r.date, 20261105);
  }
}

CaseStats Rec(long category, long group, long id, char action, const char* producer) {
  CaseStats r;
  r.category = category;
  r.group = group;
  r.record_id = id;
  r.action = action;
  std::strcpy(r.producer, producer);
  return r;
}

TEST(CaseAcceptedTest, Rules) {
  StatsSelection all;
  StatsSelection d01;
  d01.all_producers = 'N';
  d01.producers = {"D01"};
  StatsSelection none;
  none.all_producers = 'N';
  CaseCreatedItems created;
  created.Add(Rec(10, 17, 5, 'A', "D01"));
  created.Add(Rec(1, 87, 7, 'A', "D02"));
  struct Case {
    const char* name;
    CaseStats rec;
    const StatsSelection* sel;
    bool accepted;
  };
  const Case cases[] = {
      {"creation, all producers", Rec(10, 17, 6, 'A', "D09"), &all, true},
      {"creation of a producer not selected", Rec(10, 17, 6, 'A', "D09"), &d01, false},
      {"creation of the selected producer", Rec(10, 17, 6, 'A', "D01"), &d01, true},
      {"an empty selection rejects every row", Rec(10, 17, 6, 'A', "D01"), &none, false},
      {"change of an item created in the period", Rec(12, 17, 5, 'E', "D01"), &all, true},
      {"change of an item created before the period", Rec(12, 17, 4, 'E', "D01"), &all, false},
      {"same id in the other group is another item", Rec(12, 17, 7, 'E', "D02"), &all, false},
      {"proposal change of a created proposal", Rec(3, 87, 7, 'E', "D02"), &all, true},
      {"category of the other group", Rec(1, 17, 6, 'A', "D01"), &all, false},
      {"category 0", Rec(0, 17, 6, 'A', "D01"), &all, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CaseAccepted(c.rec, *c.sel, created), c.accepted);
  }
}

TEST(CaseRowTest, Texts) {
  CaseStats r = Rec(10, 17, 1, 'A', "D01");
  r.new_count = 3;
  r.accepted_count = 1;
  r.new_amount = 12345;
  r.accepted_amount = 5;
  EXPECT_EQ(CaseRow("", r), " \tD01 \t3 \t$123.45 \t1 \t$0.05 \t33.33%");
  CaseStats none = Rec(21, 87, 0, 0, "");
  none.accepted_count = 2;  // no new item: the percentage reads 0.00%
  EXPECT_EQ(CaseRow("Total:", none), "Total: \t \t0 \t$0.00 \t2 \t$0.00 \t0.00%");
}

TEST(CaseStatementTest, AuditQueryVerbatim) {
  EXPECT_EQ(CaseAuditStatement(20261101, 20261130, "c2."),
            "SELECT AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_DATE, AUD_FLD_INFO1, AUD_FLD_INFO2, AUD_FLD_INFO3 FROM "
            "c2.AUDITFIL  WHERE  ((AUD_TYPE = 'T' AND AUD_FLD_INFO3 != ''  and (AUD_ACTION = 'E'  OR (AUD_ACTION = "
            "'A' and  AUD_FLD_INFO1 LIKE 'P%')))  OR  (AUD_TYPE = 'X' AND AUD_FLD_INFO2 != '' ) ) AND (AUD_ACTION "
            "= 'A' OR AUD_ACTION = 'E')  AND  AUD_DATE >= 20261101 AND  AUD_DATE <= 20261130 ORDER BY AUD_ACTION, "
            "AUD_DATE ");
  const std::string no_dates = CaseAuditStatement(0, 0, "");
  EXPECT_EQ(no_dates.find("AUD_DATE >="), std::string::npos);
  EXPECT_EQ(no_dates.find("AUD_DATE <="), std::string::npos);
  EXPECT_EQ(CaseLookupStatement(17, 42, "p."),
            "SELECT CTRT_PRODUCER,CTRT_TOTAL FROM p.CLMTRT WHERE CTRT_ID=42  AND CTRT_DEL_DATE = 0");
  EXPECT_EQ(CaseLookupStatement(87, 7, ""),
            "SELECT TTRT_PRODUCER,TTRT_TOTAL FROM TXPTRT WHERE TTRT_ID=7  AND TTRT_DEL_DATE = 0");
}

}  // namespace
