// The strict attribute-list syntax and its malformed cases.
#include <gtest/gtest.h>

#include "ui/core/attribute_list.h"

namespace ui {
namespace {

using Items = AttributeList;

TEST(AttributeListTest, ReadsItemsInOrder) {
  EXPECT_EQ(ParseAttributeList(L"width=\"20\" height=\"auto\" text=\"a b=c\""),
            (Items{{L"width", L"20"}, {L"height", L"auto"}, {L"text", L"a b=c"}}));
  EXPECT_EQ(ParseAttributeList(L"text=\"\""), (Items{{L"text", L""}}));
  EXPECT_TRUE(ParseAttributeList(L"").empty());
}

TEST(AttributeListTest, MalformedItemsEndTheListKeepingEarlierOnes) {
  struct {
    const wchar_t* list;
    Items expected;
  } cases[] = {
      {L"a=\"1\"  b=\"2\"", {{L"a", L"1"}}},           // two spaces
      {L"a=\"1\"b=\"2\"", {{L"a", L"1"}}},             // no space
      {L"a=\"1\" b='2'", {{L"a", L"1"}}},              // single quotes
      {L"a=\"1\" b=2", {{L"a", L"1"}}},                // no quotes
      {L"a=\"1\" b=\"2", {{L"a", L"1"}}},              // unterminated
      {L"a=\"1\" =\"2\"", {{L"a", L"1"}}},             // empty name
      {L"a =\"1\"", {}},                               // blank in the name
      {L"a=\"1\" ", {{L"a", L"1"}}},                   // trailing space
      {L"noequals", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseAttributeList(c.list), c.expected) << testing::PrintToString(std::wstring(c.list));
  }
}

}  // namespace
}  // namespace ui
