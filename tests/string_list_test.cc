#include "engine/run/string_list.h"

#include <gtest/gtest.h>

namespace lumivane {
namespace {

TEST(StringListTest, GrowsByTenAndKeepsEarlierTexts) {
  StringList list = StringListNew();
  EXPECT_EQ(list.capacity, 10);
  for (int i = 0; i < 21; ++i) {
    StringListAppend(list, "item" + std::to_string(i));
    if (i == 9) {
      EXPECT_EQ(list.capacity, 10);
    }
    if (i == 10) {
      EXPECT_EQ(list.capacity, 20);
    }
  }
  EXPECT_EQ(list.capacity, 30);
  ASSERT_EQ(list.count(), 21);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(*StringListGet(list, i), "item" + std::to_string(i));
}

TEST(StringListTest, GetOutsideTheListGivesNothing) {
  StringList list = StringListNew();
  StringListAppend(list, "a");
  EXPECT_EQ(StringListGet(list, -1), nullptr);
  EXPECT_EQ(StringListGet(list, 1), nullptr);
}

}  // namespace
}  // namespace lumivane
