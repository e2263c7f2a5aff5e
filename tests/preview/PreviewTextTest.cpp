// Names as the picture files carry them: every byte that is no character, and every control
// character, becomes U+FFFD (an SVG file with either is not XML); a long name keeps both ends.
#include <gtest/gtest.h>

#include "preview/PreviewPicture.h"
#include "preview/PreviewText.h"

namespace {

TEST(PreviewTextTest, NamesBecomePrintableCharacters) {
  const std::string bad = "\xEF\xBF\xBD";
  const struct {
    const char* Name;
    std::string Expected;
  } rows[] = {{"take 01.wav", "take 01.wav"},
              {"caf\xC3\xA9 \xF0\x9F\x8E\xB5.wav", "caf\xC3\xA9 \xF0\x9F\x8E\xB5.wav"},
              {"a\x01"
               "b\x1B[2Jc\x7F"
               "d",
               "a" + bad + "b" + bad + "[2Jc" + bad + "d"},
              {"\xC2\x85", bad},  // C1 control
              {"\xFF"
               "x",
               bad + "x"},                                   // no lead byte
              {"\xC0\xAF", bad + bad},                       // overlong '/'
              {"\xE0\x80\xAF", bad + bad + bad},             // overlong '/' in three bytes
              {"\xED\xA0\x80", bad + bad + bad},             // a surrogate
              {"\xE2\x88", bad + bad},                       // cut short
              {"\xF4\x90\x80\x80", bad + bad + bad + bad}};  // past U+10FFFF
  for (const auto& row : rows) EXPECT_EQ(tacetix::Printable(row.Name), row.Expected) << row.Name;
}

TEST(PreviewTextTest, LongNamesKeepBothEnds) {
  const tacetix::TextMetrics& sevenEach = tacetix::PictureMetrics();
  const struct {
    int32_t Width;
    const char* Expected;
  } rows[] = {{70, "abcdefghij"},        {69, "abcd\xE2\x80\xA6ghij"}, {49, "abc\xE2\x80\xA6hij"},
              {48, "abc\xE2\x80\xA6ij"}, {7, "\xE2\x80\xA6"},          {6, ""}};
  for (const auto& row : rows)
    EXPECT_EQ(tacetix::ElideMiddle("abcdefghij", row.Width, sevenEach), row.Expected) << row.Width;
}

}  // namespace
