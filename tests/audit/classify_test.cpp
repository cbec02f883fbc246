// ModuleCodeOf, ActionGroupOf, ActionTextOf, ModuleNameOf, the table-name
// rule and the report table.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "audit/audit_describe.h"
#include "host/strings.h"
#include "tests/audit/audit_row.h"

namespace {

AuditOptions AllModules(char track = 'N') {
  AuditOptions o;
  o.all_modules = 'Y';
  o.track_entry_exit = track;
  return o;
}

AuditOptions OnlyModules(std::initializer_list<long> codes) {
  AuditOptions o;
  o.all_modules = 'N';
  for (long c : codes) o.AddModule(c);
  return o;
}

struct CodeCase {
  const char* name;
  AuditRecord row;
  long code;
};

TEST(ModuleCodeOf, ByTypeLetter) {
  const std::vector<CodeCase> cases = {
      {"A", Row('A', 'A'), 20106},
      {"H", Row('H', 'A'), 20106},
      {"O", Row('O', 'A'), 20106},
      {"P", Row('P', 'A'), 20106},
      {"T", Row('T', 'A'), 20106},
      {"Y", Row('Y', 'A'), 20106},
      {"B", Row('B', 'A'), 20105},
      {"I", Row('I', 'A'), 20105},
      {"R", Row('R', 'A'), 20105},
      {"C", Row('C', 'A'), 20108},
      {"D", Row('D', 'A'), 2063},
      {"F number", Row('F', 'A').Name(3, "12"), 2064},
      {"F zero", Row('F', 'A').Name(3, "0"), 2511},
      {"F empty", Row('F', 'A'), 2511},
      {"F letters", Row('F', 'A').Name(3, "12a"), 2511},
      {"G", Row('G', 'A'), 20120},
      {"J", Row('J', 'A'), 20119},
      {"K", Row('K', 'A'), 20112},
      {"L", Row('L', 'A'), 20115},
      {"M PATMED", Row('M', 'A').Name(1, "PATMED"), 20160},
      {"M PATPRMED", Row('M', 'A').Name(1, "PATPRMED"), 20160},
      {"M PREMED", Row('M', 'A').Name(1, "PREMED"), 20160},
      {"M other", Row('M', 'A').Name(1, "PRESCRIP"), 2060},
      {"N 17", Row('N', 'A').Name(3, "17"), 20106},
      {"N 86", Row('N', 'A').Name(3, "86"), 20146},
      {"N 87", Row('N', 'A').Name(3, "87"), 20146},
      {"N 25 SCH", Row('N', 'A').Name(1, "SCH").Name(3, "25"), 20107},
      {"N 25 other", Row('N', 'A').Name(1, "TXNOTE").Name(3, "25"), 20105},
      {"N 1007", Row('N', 'A').Name(3, "1007"), 2062},
      {"N 56", Row('N', 'A').Name(3, "56"), 20120},
      {"N other", Row('N', 'A').Name(3, "3"), 20105},
      {"N signed", Row('N', 'A').Name(3, "-17"), 20105},
      {"N blank", Row('N', 'A').Name(3, " 17"), 20105},
      {"S", Row('S', 'A'), 20107},
      {"U TXPPURGE", Row('U', 'D').Name(1, "TXPPURGE"), 20146},
      {"U RESPPURGE", Row('U', 'D').Name(1, "RESPPURGE"), 20118},
      {"U PENDPURGE", Row('U', 'D').Name(1, "PENDPURGE"), 20118},
      {"U HISTPURGE", Row('U', 'D').Name(1, "HISTPURGE"), 20118},
      {"U TRXHELD", Row('U', 'R').Name(1, "TRXHELD"), 20106},
      {"U TRXINSBAL", Row('U', 'R').Name(1, "TRXINSBAL"), 20106},
      {"U TRXINTCHG", Row('U', 'R').Name(1, "TRXINTCHG"), 20106},
      {"U TRXSTATUS", Row('U', 'R').Name(1, "TRXSTATUS"), 20106},
      {"U TRXPPLN", Row('U', 'R').Name(1, "TRXPPLN"), 20106},
      {"U other", Row('U', 'D').Name(1, "AUDPURGE"), 20119},
      {"X", Row('X', 'A'), 20146},
      {"Q never listed", Row('Q', 'A'), 0},
      {"lower case", Row('b', 'A'), 0},
      {"NUL type", Row('\0', 'A'), 0},
      {"E open 3", Row('E', 'E', 3), 2535},
      {"E open 7", Row('E', 'O', 7), 2535},
      {"E other action id 12", Row('E', 'O', 12), 12},
      {"E login failed id 1", Row('E', 'L', 1), 2535},
      {"E login dropped", Row('E', 'E', 1), 0},
      {"E exit dropped", Row('E', 'X', 20105), 0},
      {"E id 0", Row('E', 'O', 0), 0},
  };
  const AuditOptions all = AllModules();
  for (const CodeCase& c : cases) {
    EXPECT_EQ(ModuleCodeOf(c.row, all), c.code) << c.name;
  }
}

TEST(ModuleCodeOf, EntryExitTracking) {
  const AuditOptions on = AllModules('Y');
  EXPECT_EQ(ModuleCodeOf(Row('E', 'E', 1), on), 2535);
  EXPECT_EQ(ModuleCodeOf(Row('E', 'X', 20105), on), 20105);
  EXPECT_EQ(ModuleCodeOf(Row('E', 'E', 12), AllModules('N')), 0);
  EXPECT_EQ(ModuleCodeOf(Row('E', 'E', 3), AllModules('N')), 2535);
  // Any letter other than 'Y' is "off".
  EXPECT_EQ(ModuleCodeOf(Row('E', 'E', 1), AllModules('y')), 0);
}

TEST(ModuleCodeOf, ModuleFilter) {
  const AuditRecord note1007 = Row('N', 'A').Name(3, "1007");
  struct Case {
    const char* name;
    AuditOptions options;
    AuditRecord row;
    long code;
  };
  AuditOptions after_zero = OnlyModules({20105});
  after_zero.modules[0] = 0;  // entries after the first 0 are not looked at
  after_zero.modules[1] = 20105;
  const std::vector<Case> cases = {
      {"1007 by second candidate", OnlyModules({2061}), note1007, 2062},
      {"1007 by third candidate", OnlyModules({20108}), note1007, 2062},
      {"1007 not selected", OnlyModules({20105}), note1007, 0},
      {"selected", OnlyModules({2060, 20105}), Row('B', 'A'), 20105},
      {"not selected", OnlyModules({2060}), Row('B', 'A'), 0},
      {"empty list keeps nothing", OnlyModules({}), Row('B', 'A'), 0},
      {"after first zero", after_zero, Row('B', 'A'), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ModuleCodeOf(c.row, c.options), c.code) << c.name;
}

TEST(ModuleCandidates, Note1007HasThree) {
  long out[3] = {};
  ASSERT_EQ(ModuleCandidates(Row('N', 'A').Name(3, "1007"), out), 3);
  EXPECT_EQ(out[0], 2062);
  EXPECT_EQ(out[1], 2061);
  EXPECT_EQ(out[2], 20108);
}

struct GroupCase {
  char type, action;
  long record_id, mode, group;
};

TEST(ActionGroupOf, Table) {
  const std::vector<GroupCase> cases = {
      {'S', 'A', 0, 0, 0},    {'S', 'D', 0, 0, 10},  {'S', 'X', 0, 0, 10},  {'S', 'R', 0, 0, 32},
      {'S', 'S', 0, 0, 31},   {'S', 'U', 0, 0, 33},  {'S', 'Z', 0, 0, 5},   {'E', 'E', 3, 1, 50},
      {'E', 'E', 3, 0, 53},   {'E', 'X', 4, 1, 60},  {'E', 'X', 4, 0, 64},  {'E', 'O', 4, 0, 5},
      {'B', 'A', 0, 0, 0},    {'B', 'C', 0, 0, 40},  {'B', 'P', 0, 0, 40},  {'B', 'D', 0, 0, 10},
      {'B', 'E', 0, 0, 5},    {'L', 'A', 0, 0, 40},  {'L', 'S', 0, 0, 40},  {'U', 'D', 0, 0, 10},
      {'U', 'E', 0, 0, 45},   {'F', 'A', 0, 0, 0},   {'F', 'S', 0, 0, 0},   {'F', 'D', 0, 0, 10},
      {'F', 'M', 0, 0, 45},   {'F', 'R', 0, 0, 1},   {'F', 'E', 0, 0, 5},   {'T', 'A', 0, 0, 0},
      {'T', 'D', 0, 0, 10},   {'T', 'P', 0, 0, 24},  {'T', 'R', 0, 0, 20},  {'M', 'R', 0, 0, 21},
      {'M', 'U', 0, 0, 23},   {'M', 'V', 0, 0, 22},  {'M', 'E', 0, 0, 5},   {'Q', 'A', 0, 0, 0},
      {'E', 'E', LONG_MAX, 0, LONG_MAX},             {'E', 'X', LONG_MIN, 0, LONG_MIN + 60},
  };
  for (const GroupCase& c : cases) {
    EXPECT_EQ(ActionGroupOf(c.type, c.action, c.record_id, c.mode), c.group)
        << c.type << c.action << " id " << c.record_id << " mode " << c.mode;
  }
}

struct VerbCase {
  char type, action;
  long record_id;
  int id;
  bool printing;
  const char* text;  // null: not checked (printing library)
};

TEST(ActionTextOf, Table) {
  const std::vector<VerbCase> cases = {
      {'E', 'E', 1, 260, false, "Connecté à"},   {'E', 'E', 5, 258, false, "Ouverte"},
      {'E', 'X', 1, 261, false, "Disconnecté"},  {'E', 'X', 12, 259, false, "Sorti"},
      {'E', 'L', 1, 281, false, "La connexion a "},  // cut to 15 bytes
      {'E', 'O', 9, 258, false, "Ouverte"},      {'E', 'A', 9, 0, false, ""},
      {'B', 'A', 0, 250, false, "Ajouter"},      {'B', 'C', 0, 264, false, "Convoqué"},
      {'B', 'D', 0, 252, false, "Effacer"},      {'B', 'P', 0, 262, false, "Impimer"},
      {'B', 'R', 0, 267, false, "Générer"},      {'B', 'E', 0, 251, false, "Éditer"},
      {'L', 'S', 0, 263, false, "Aperçu"},       {'L', 'P', 0, 262, false, "Impimer"},
      {'U', 'D', 0, 265, false, "Purger"},       {'U', 'E', 0, 266, false, "Mise à jour"},
      {'U', 'R', 0, 267, false, "Générer"},      {'F', 'A', 0, 250, false, "Ajouter"},
      {'F', 'D', 0, 252, false, "Effacer"},      {'F', 'M', 0, 270, false, "Déplacé"},
      {'F', 'R', 0, 269, false, "Reçu"},         {'F', 'S', 0, 268, false, "Envoyer"},
      {'F', 'E', 0, 251, false, "Éditer"},       {'S', 'A', 0, 8545, true, nullptr},
      {'S', 'C', 0, 8787, true, nullptr},        {'S', 'D', 0, 8547, true, nullptr},
      {'S', 'E', 0, 8546, true, nullptr},        {'S', 'R', 0, 8549, true, nullptr},
      {'S', 'S', 0, 8548, true, nullptr},        {'S', 'U', 0, 8550, true, nullptr},
      {'S', 'X', 0, 8551, true, nullptr},        {'S', 'Z', 0, 0, false, ""},
      {'T', 'A', 0, 250, false, "Ajouter"},      {'T', 'D', 0, 252, false, "Effacer"},
      {'T', 'O', 0, 285, false, "A été vu"},     {'T', 'P', 0, 257, false, "Appliqué"},
      {'T', 'R', 0, 255, false, "Resoumettre"},  {'A', 'R', 0, 253, false, "Inverser"},
      {'A', 'U', 0, 256, false, "non appliqué"}, {'A', 'V', 0, 254, false, "Rejeter"},
      {'A', 'X', 0, 266, false, "Mise à jour"},  {'Q', 'Q', 0, 251, false, "Éditer"},
  };
  for (const VerbCase& c : cases) {
    const VerbId v = ActionTextOf(c.type, c.action, c.record_id);
    EXPECT_EQ(v.id, c.id) << c.type << c.action;
    EXPECT_EQ(v.printing_library, c.printing) << c.type << c.action;
    if (c.text != nullptr) {
      EXPECT_EQ(ActionText(c.type, c.action, c.record_id), c.text) << c.type << c.action;
    }
  }
  // Printing-library verbs come from that table, cut to 15 bytes.
  char expected[16];
  CopyCut(expected, sizeof expected, LoadTableString(StringTable::kKelvoUtils2, 8545));
  EXPECT_EQ(ActionText('S', 'A', 0), expected);
}

// The kept texts are the texts, whatever the order of the asks (the store
// keeps a few verbs at a time; every letter pair is asked twice over).
TEST(ActionTextKept, SameAsActionText) {
  for (int pass = 0; pass < 2; ++pass) {
    for (int type = 'A'; type <= 'Z'; ++type) {
      for (int action = 'A'; action <= 'Z'; ++action) {
        for (long record_id : {0L, 1L, 12L}) {
          const char t = static_cast<char>(type), a = static_cast<char>(action);
          ASSERT_EQ(std::string(ActionTextKept(t, a, record_id)), ActionText(t, a, record_id))
              << t << a << record_id << " pass " << pass;
        }
      }
    }
  }
}

TEST(ModuleNameOf, Rules) {
  EXPECT_EQ(ModuleNameOf('E', 3, 2535), ModuleString(1203));
  EXPECT_EQ(ModuleNameOf('E', 7, 2535), ModuleString(1207));
  EXPECT_EQ(ModuleNameOf('B', 0, 20105), HostString(20105));
  EXPECT_EQ(ModuleNameOf('B', 0, 20107), HostString(5107));
  EXPECT_EQ(ModuleNameOf('E', 12, 12), "");
  EXPECT_EQ(ModuleNameOf('E', 0, 0), "");
  EXPECT_EQ(ModuleNameOf('E', -4, -4), "");
  EXPECT_EQ(ModuleNameOf('B', 0, 0), "");
  EXPECT_EQ(ModuleNameOf('E', 2535, 2535), HostString(2535));
  EXPECT_LE(ModuleNameOf('E', 1, 2535).size(), 63u);
}

TEST(TableNameOf, Rule) {
  EXPECT_STREQ(TableNameOf(1), "Compte");
  EXPECT_STREQ(TableNameOf(116), ModuleString(516));
  EXPECT_STREQ(TableNameOf(117), "");  // no string 117 in the table list
  EXPECT_STREQ(TableNameOf(1216), "Module");
  EXPECT_STREQ(TableNameOf(1217), "Application");
  EXPECT_STREQ(TableNameOf(0), "");
  EXPECT_STREQ(TableNameOf(-5), "");
  EXPECT_STREQ(TableNameOf(LONG_MAX), "");
}

TEST(ReportStringOf, FirstMiddleLastAndUnknown) {
  EXPECT_EQ(ReportStringOf(7004), 10985);
  EXPECT_EQ(ReportStringOf(7029), 11175);
  EXPECT_EQ(ReportStringOf(7023), 11152);
  EXPECT_EQ(ReportStringOf(7005), 0);
  EXPECT_EQ(ReportStringOf(0), 0);
}

TEST(FieldNumber, DigitsOnly) {
  EXPECT_EQ(FieldNumber(""), 0);
  EXPECT_EQ(FieldNumber("1007"), 1007);
  EXPECT_EQ(FieldNumber("0017"), 17);
  EXPECT_EQ(FieldNumber("17 "), 0);
  EXPECT_EQ(FieldNumber("+17"), 0);
  EXPECT_EQ(FieldNumber("99999999999999999999"), LONG_MAX);
}

TEST(CopyCut, KeepsWholeCharacters) {
  char out[4];
  CopyCut(out, sizeof out, "abé");  // 'a' 'b' 0xC3 0xA9: the é does not fit
  EXPECT_STREQ(out, "ab");
  CopyCut(out, sizeof out, "abc");
  EXPECT_STREQ(out, "abc");
  char broken[] = "ab\xC3";
  TrimBrokenUtf8Tail(broken);
  EXPECT_STREQ(broken, "ab");
  char whole[] = "a\xC3\xA9";
  TrimBrokenUtf8Tail(whole);
  EXPECT_STREQ(whole, "a\xC3\xA9");
}

TEST(VantraElem, PacksAndUnpacksEveryField) {
  AuditRecord r = Row('T', 'E', 42)
                      .User("marie-eve")
                      .At(20261205, 93005)
                      .Name(1, "PREDEOB")
                      .Name(2, "0001000000020000050")
                      .Name(3, "")
                      .Info(1, "12345678901234567890123456789012345678901234567890")
                      .Info(3, "fin");
  std::unique_ptr<VantraElem> e(VantraElem::Create(r, 20106, 7, 3, 4, 1));
  const AuditRecord back = e->Record();
  EXPECT_EQ(back.type, 'T');
  EXPECT_EQ(back.action, 'E');
  EXPECT_EQ(back.record_id, 42);
  EXPECT_STREQ(back.user, "marie-eve");
  EXPECT_EQ(back.date, 20261205);
  EXPECT_EQ(back.time, 93005);
  EXPECT_STREQ(back.field_name[0], "PREDEOB");
  EXPECT_STREQ(back.field_name[1], "0001000000020000050");
  EXPECT_STREQ(back.field_name[2], "");
  EXPECT_STREQ(back.field_info[0], r.field_info[0]);
  EXPECT_STREQ(back.field_info[1], "");
  EXPECT_STREQ(back.field_info[2], "fin");
  EXPECT_EQ(e->module_code, 20106);
  EXPECT_EQ(e->audit_id, 7);
  EXPECT_EQ(e->action_group, 3);
  EXPECT_EQ(e->count, 4);
  EXPECT_EQ(e->group_mode, 1);
}

}  // namespace
