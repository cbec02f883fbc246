#include "host/list_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/list_window.h"
#include "host/strings.h"

namespace {

ListLayout TwoColumns() {
  ListLayout l;
  l.columns = {{3, 10062, 0}, {14, 10083, 1}};
  l.ex_style = kLvExCheckList;
  return l;
}

DialogLayout Sample() {
  DialogLayout d;
  d.lists.push_back({5111, TwoColumns()});
  d.lists.push_back({108, ListLayout{0x98, {{8, 10218, 0}}, kLvExResultList}});
  d.bars.push_back({5100, {{1512, 5102}, {1554, 5122}}});
  return d;
}

TEST(ListLayoutTest, RoundTrip) {
  const ListLayout block = TwoColumns();
  ListLayout back;
  size_t consumed = 0;
  std::string error;
  std::vector<uint8_t> bytes = EncodeListBlock(block);
  EXPECT_EQ(8u + 9u * 2, bytes.size());
  ASSERT_TRUE(DecodeListBlock(bytes, &back, &consumed, &error)) << error;
  EXPECT_EQ(block, back);
  EXPECT_EQ(bytes.size(), consumed);

  const DialogLayout dialog = Sample();
  DialogLayout dialog_back;
  ASSERT_TRUE(DecodeDialogLayout(EncodeDialogLayout(dialog), &dialog_back, &error)) << error;
  EXPECT_EQ(dialog, dialog_back);

  const ListLayout empty{0x98, {}, 0x21};
  ASSERT_TRUE(DecodeBareListResource(EncodeListBlock(empty), &back, &error)) << error;
  EXPECT_EQ(empty, back);
}

// The bytes of a dialog resource, exactly as laid out by hand.
TEST(ListLayoutTest, EncodingIsLittleEndianAndUnaligned) {
  DialogLayout d;
  d.lists.push_back({5111, TwoColumns()});
  d.lists[0].layout.columns[1].align = 0;
  d.bars.push_back({5100, {{1512, 5102}}});
  const std::vector<uint8_t> expected = {
      0x02, 0x00, 0xF7, 0x13,                                // list 5111
      0x98, 0x00, 0x00, 0x00, 0x02, 0x00,                    // style, 2 columns
      0x03, 0x00, 0x4E, 0x27, 0x00, 0x00, 0x01, 0x00, 0x00,  // 3, 10062, left
      0x0E, 0x00, 0x63, 0x27, 0x00, 0x00, 0x01, 0x00, 0x00,  // 14, 10083, left
      0x25, 0x00,                                            // check boxes
      0x03, 0x00, 0xEC, 0x13, 0x00, 0x00, 0x00, 0x00,        // bar 5100, reserved 0
      0x01, 0x00, 0xE8, 0x05, 0xEE, 0x13,                    // 1 button: 1512, 5102
      0x00, 0x00};                                           // end
  EXPECT_EQ(expected, EncodeDialogLayout(d));
}

TEST(ListLayoutTest, EveryTruncationIsRefused) {
  const std::vector<uint8_t> dialog = EncodeDialogLayout(Sample());
  for (size_t n = 0; n < dialog.size(); ++n) {
    // A copy of exactly n bytes, so a read past the end is a sanitizer error.
    std::vector<uint8_t> cut(dialog.begin(), dialog.begin() + n);
    DialogLayout out;
    std::string error;
    EXPECT_FALSE(DecodeDialogLayout(cut, &out, &error)) << n << " bytes";
    EXPECT_NE(std::string::npos, error.find("tronquée")) << n << " bytes: " << error;
  }
  const std::vector<uint8_t> block = EncodeListBlock(TwoColumns());
  for (size_t n = 0; n < block.size(); ++n) {
    std::vector<uint8_t> cut(block.begin(), block.begin() + n);
    ListLayout out;
    std::string error;
    EXPECT_FALSE(DecodeBareListResource(cut, &out, &error)) << n << " bytes";
    EXPECT_FALSE(error.empty()) << n << " bytes";
  }
}

TEST(ListLayoutTest, CorruptBlocksAreRefused) {
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* message_part;
  };
  // Offsets in the Sample() encoding: record 5111 starts at 0, its first
  // column trailer at 4 + 6 + 6 = 16.
  const std::vector<Case> cases = {
      {"bad column trailer", [](std::vector<uint8_t>& b) { b[16] = 7; }, "fin de colonne 7 0 0"},
      {"unknown record type", [](std::vector<uint8_t>& b) { b[0] = 9; }, "type d'enregistrement 9"},
      {"trailing byte", [](std::vector<uint8_t>& b) { b.push_back(0); }, "en trop"},
      {"no end marker", [](std::vector<uint8_t>& b) { b.erase(b.end() - 2, b.end()); }, "tronquée"},
      {"column count too large", [](std::vector<uint8_t>& b) { b[8] = 0xFF; b[9] = 0xFF; },
       "65535 colonne(s)"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = EncodeDialogLayout(Sample());
    c.damage(bytes);
    DialogLayout out;
    std::string error;
    EXPECT_FALSE(DecodeDialogLayout(bytes, &out, &error)) << c.name;
    EXPECT_NE(std::string::npos, error.find(c.message_part)) << c.name << ": " << error;
  }
  std::vector<uint8_t> bare = EncodeListBlock(TwoColumns());
  bare.push_back(0);
  ListLayout out;
  std::string error;
  EXPECT_FALSE(DecodeBareListResource(bare, &out, &error)) << "trailing byte after a bare block";
}

struct Expected {
  int resource;
  int control;  // 0 = bare block
  uint16_t ex_style;
  std::vector<int> widths;
  std::vector<int> titles;
};

const std::vector<Expected>& ModuleLayouts() {
  static const std::vector<Expected> layouts = {
      {300, 0, 0x21, {5, 5, 5, 5, 5, 5, 16, 12},
       {10040, 10141, 10218, 10041, 10250, 10189, 10083, 10045}},
      {301, 0, 0x21, {5, 5, 5, 8, 8, 5}, {10040, 10141, 10218, 10250, 10189, 10150}},
      {2001, 108, 0x25, {8}, {10218}},
      {2001, 109, 0x25, {8}, {10250}},
      {2001, 107, 0x25, {3, 4, 14}, {10215, 10160, 10083}},
      {2003, 109, 0x25, {3, 14}, {10076, 10083}},
      {2003, 5111, 0x21, {8, 10}, {10040, 10189}},
      {2004, 5111, 0x25, {3, 14}, {10062, 10083}},
      {2006, 5111, 0x21, {5, 5, 4, 8, 7, 4, 16},
       {10040, 10141, 10218, 10041, 10250, 10189, 10083}},
      {2007, 111, 0x25, {3, 14}, {10076, 10083}},
      {2007, 107, 0x21, {3, 4, 4, 4, 4}, {10161, 10326, 10331, 10332, 10333}},
      {2007, 108, 0x21, {6, 3, 3, 6, 3, 6, 2}, {10041, 10064, 10177, 10150, 10177, 10150, 10104}},
      {2007, 109, 0x21, {3, 4, 4, 4, 4}, {10064, 0, 0, 0, 0}},
      {2007, 110, 0x21, {3, 9, 9, 7, 9, 9, 7, 9, 9},
       {10064, 10335, 10336, 10337, 10338, 10339, 10337, 10340, 10348}},
      {2010, 5111, 0x21, {5, 25}, {10062, 10083}},
  };
  return layouts;
}

TEST(ListLayoutTest, ModuleLayouts) {
  for (const Expected& e : ModuleLayouts()) {
    const std::string name = std::to_string(e.resource) + "/" + std::to_string(e.control);
    std::string error;
    ListLayout layout;
    DialogLayout dialog;
    if (e.control == 0) {
      ASSERT_TRUE(DecodeBareListResource(ListLayoutResource(e.resource), &layout, &error)) << name << error;
    } else {
      ASSERT_TRUE(LoadDialogLayout(e.resource, &dialog, &error)) << name << error;
      ASSERT_NE(nullptr, dialog.FindList(e.control)) << name;
      layout = *dialog.FindList(e.control);
    }
    EXPECT_EQ(0x98u, layout.style) << name;
    EXPECT_EQ(e.ex_style, layout.ex_style) << name;
    std::vector<int> widths;
    std::vector<int> titles;
    for (const LayoutColumn& c : layout.columns) {
      widths.push_back(c.width_chars);
      titles.push_back(c.title_id);
    }
    EXPECT_EQ(e.widths, widths) << name;
    EXPECT_EQ(e.titles, titles) << name;
  }
  // Every list record of every resource is accounted for above.
  size_t lists = 0;
  for (int id : ListLayoutResourceIds()) {
    DialogLayout dialog;
    if (id == 300 || id == 301) ++lists;
    else if (LoadDialogLayout(id, &dialog)) lists += dialog.lists.size();
    else ADD_FAILURE() << "resource " << id << " does not decode";
  }
  EXPECT_EQ(ModuleLayouts().size(), lists);

  DialogLayout goals;
  ASSERT_TRUE(LoadDialogLayout(2010, &goals));
  const std::vector<ButtonBarLayout> bar = {{5100, {{1512, 5102}, {1513, 5103}, {1514, 5104}, {1554, 5122}}}};
  EXPECT_EQ(bar, goals.bars);
}

TEST(ListLayoutTest, LoadResAppliesColumnsAndStyles) {
  QenListWindow list(300);
  list.AddString("kept\trow", 4);
  ASSERT_TRUE(list.LoadRes(300));
  ASSERT_EQ(8u, list.Columns().size());
  EXPECT_EQ(HostString(10040), list.Columns()[0].title);
  EXPECT_EQ(HostString(10045), list.Columns()[7].title);
  EXPECT_EQ(16, list.Columns()[6].width_chars);
  EXPECT_EQ(ColumnAlign::kLeft, list.Columns()[0].align);
  EXPECT_EQ(0x21, list.ExStyle());
  EXPECT_FALSE(list.HasCheckBoxes());
  EXPECT_EQ(1, list.GetCount()) << "rows are kept";

  QenListWindow users(108);
  std::string error;
  ASSERT_TRUE(LoadDialogListRes(&users, 2001, 108, &error)) << error;
  EXPECT_TRUE(users.HasCheckBoxes());

  // Failures leave the list as it was, with a message.
  struct Case {
    const char* name;
    std::function<bool(QenListWindow*, std::string*)> load;
    const char* message_part;
  };
  const std::vector<Case> cases = {
      {"missing bare", [](QenListWindow* l, std::string* e) { return LoadRes(l, 999, e); }, "999 introuvable"},
      {"missing dialog", [](QenListWindow* l, std::string* e) { return LoadDialogListRes(l, 2005, 101, e); },
       "2005 introuvable"},
      {"no such list", [](QenListWindow* l, std::string* e) { return LoadDialogListRes(l, 2001, 5111, e); },
       "aucune liste 5111"},
      {"dialog id as bare", [](QenListWindow* l, std::string* e) { return LoadRes(l, 2001, e); }, ""},
  };
  for (const Case& c : cases) {
    std::string message;
    EXPECT_FALSE(c.load(&list, &message)) << c.name;
    EXPECT_NE(std::string::npos, message.find(c.message_part)) << c.name << ": " << message;
    EXPECT_FALSE(message.empty()) << c.name;
    EXPECT_EQ(8u, list.Columns().size()) << c.name;
  }
}

}  // namespace
