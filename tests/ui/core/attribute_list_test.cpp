// The strict attribute-list syntax and its malformed cases.
#include <gtest/gtest.h>

#include "ui/core/attribute_list.h"

namespace ui {
namespace {

using Items = AttributeList;

// Items in order; a malformed one ends the list, keeping the earlier ones.
TEST(AttributeListTest, ReadsItemsInOrderUntilAMalformedOne) {
  struct {
    const wchar_t* list;
    Items expected;
  } cases[] = {
      {L"width=\"20\" height=\"auto\" text=\"a b=c\"",
       {{L"width", L"20"}, {L"height", L"auto"}, {L"text", L"a b=c"}}},
      {L"text=\"\"", {{L"text", L""}}},
      {L"", {}},
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
