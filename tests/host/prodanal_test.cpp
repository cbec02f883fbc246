#include "host/prodanal.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ProdanalInfoTest, LayoutIsPackedLittleEndian) {
  prodanal_info p;
  EXPECT_EQ(p.data.size(), 258u);
  p.SetCode("DR1");
  EXPECT_EQ(p.data[0], 0);
  EXPECT_EQ(std::memcmp(p.data.data() + 1, "DR1\0", 4), 0);

  struct Case {
    const char* name;
    Triple triple;
    int k;
    int offset;
  } cases[] = {
      {"T0_first", Triple::T0, 0, 30}, {"T5_fees", Triple::T5, 1, 94},  {"P0", Triple::P0, 1, 130},
      {"G0a", Triple::G0a, 1, 154},    {"G2c_pmts", Triple::G2c, 1, 250}, {"G2c_last", Triple::G2c, 2, 254},
  };
  for (const Case& c : cases) {
    prodanal_info r;
    r.Set(c.triple, c.k, 0x01020304);
    EXPECT_EQ(r.data[c.offset], 0x04) << c.name;
    EXPECT_EQ(r.data[c.offset + 1], 0x03) << c.name;
    EXPECT_EQ(r.data[c.offset + 2], 0x02) << c.name;
    EXPECT_EQ(r.data[c.offset + 3], 0x01) << c.name;
    EXPECT_EQ(r.Get(c.triple, c.k), 0x01020304) << c.name;
  }
}

TEST(ProdanalInfoTest, ValuesCodesAndBounds) {
  prodanal_info p;
  p.Set(Triple::T5, 1, -12345);
  p.Add(Triple::T5, 1, 45);
  EXPECT_EQ(p.Get(Triple::T5), -12300);
  EXPECT_EQ(p.Get(Triple::T5, 0), 0);
  EXPECT_EQ(p.Get(Triple::T4, 1), 0);

  p.Set(Triple::T5, 3, 99);          // k out of range: ignored
  p.Set(Triple::kCount, 1, 99);      // triple out of range: ignored
  EXPECT_EQ(p.Get(Triple::T5, 3), 0);
  EXPECT_EQ(p.Get(Triple::kCount, 1), 0);

  p.SetCode(std::string(40, 'X'));  // cut to 28 bytes and terminated
  EXPECT_EQ(p.Code(), std::string(28, 'X'));
  EXPECT_EQ(p.data[29], 0);
  p.SetCode("HY");
  EXPECT_EQ(p.Code(), "HY");
  EXPECT_EQ(p.data[4], 0);  // the longer code's tail is cleared
  EXPECT_EQ(p.Get(Triple::T5), -12300);  // the code never touches the amounts
}

}  // namespace
