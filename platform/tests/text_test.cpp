#include <gtest/gtest.h>

#include "sis/platform/text.h"

namespace sis {
namespace {

TEST(Text, AnsiBytesBecomeTheirCharacters) {
  struct Case {
    std::string ansi;
    std::wstring wide;
  };
  const Case cases[] = {
      {"Machine 1", L"Machine 1"},
      {"\xE9t\xE9", L"\u00E9t\u00E9"},      // été
      {"\x80 \x9C \x9F", L"\u20AC \u0153 \u0178"},  // € œ Ÿ from the 0x80..0x9F block
      {"\x81", L"\u0081"},                  // unassigned byte kept as is
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToWide(c.ansi), c.wide);
    EXPECT_EQ(WideToAnsi(c.wide), c.ansi);
  }
  EXPECT_EQ(WideToAnsi(L"\u4E2D"), "?");
}

TEST(Text, Utf8RoundTripAndMalformedInput) {
  const std::wstring wide = L"Réglé € \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
  EXPECT_EQ(Utf8ToWide("a\xC3"), L"a\uFFFD");      // truncated sequence
  EXPECT_EQ(Utf8ToWide("\xFF" "b"), L"\uFFFD" L"b");  // invalid lead byte
  EXPECT_EQ(Utf8ToWide("\xC3(x"), L"\uFFFD(x");    // bad continuation
}

TEST(Text, UpperCaseCoversWindows1252Letters) {
  EXPECT_EQ(UpperWide(L"pédale œuvre ÿ ß 1/2"), L"PÉDALE ŒUVRE Ÿ ß 1/2");
}

}  // namespace
}  // namespace sis
