// The sorted search behind the duplicate check, on both kinds of file system.
#include <gtest/gtest.h>

#include <algorithm>

#include "main/unit_tools1.h"

namespace {

using tacetix::ComparePaths;
using tacetix::FindInSorted;

QStringList Sorted(QStringList list, bool caseSensitive) {
  std::sort(list.begin(), list.end(),
            [&](const QString& a, const QString& b) { return ComparePaths(a, b, caseSensitive) < 0; });
  return list;
}

TEST(FindInSorted, FindsEveryEntryAndMissesTheGaps) {
  const QStringList list = Sorted({"/a/1.wav", "/a/2.wav", "/b/x.wav", "/c.wav", "/d/e/f.wav"}, true);
  for (int i = 0; i < list.size(); ++i) EXPECT_EQ(FindInSorted(list, list[i], list.size() - 1, true), i);
  EXPECT_EQ(FindInSorted(list, "/a/15.wav", list.size() - 1, true), -1);
  EXPECT_EQ(FindInSorted(list, "/z.wav", list.size() - 1, true), -1);
  EXPECT_EQ(FindInSorted({}, "/z.wav", -1, true), -1);
}

TEST(FindInSorted, SearchesOnlyUpToTheBound) {
  const QStringList list = Sorted({"a", "b", "c", "d"}, true);
  EXPECT_EQ(FindInSorted(list, "d", 2, true), -1);
  EXPECT_EQ(FindInSorted(list, "c", 2, true), 2);
}

TEST(FindInSorted, LetterCaseMattersOnlyWhereFileNamesDo) {
  const QStringList sensitive = Sorted({"/x/B.wav", "/x/a.wav", "/x/b.wav", "/x/C.wav"}, true);
  EXPECT_EQ(sensitive, QStringList({"/x/a.wav", "/x/B.wav", "/x/b.wav", "/x/C.wav"}));
  EXPECT_EQ(FindInSorted(sensitive, "/x/b.wav", 3, true), 2);
  EXPECT_EQ(FindInSorted(sensitive, "/x/B.wav", 3, true), 1);
  EXPECT_EQ(FindInSorted(sensitive, "/x/c.wav", 3, true), -1);
  const QStringList insensitive = Sorted({"/x/B.wav", "/x/a.wav", "/x/C.wav"}, false);
  EXPECT_EQ(FindInSorted(insensitive, "/x/c.WAV", 2, false), 2);
}

TEST(CountText, SingularOnlyForExactlyOne) {
  EXPECT_EQ(tacetix::CountText(0, "added"), "0 files added");
  EXPECT_EQ(tacetix::CountText(1, "deleted"), "1 file deleted");
  EXPECT_EQ(tacetix::CountText(2, "added"), "2 files added");
}

TEST(NameCleaning, OnlyAsciiLettersAreRaisedAndOnlyCodesUpTo32Trimmed) {
  EXPECT_EQ(tacetix::UpperAscii(QChar(u'a')), QChar(u'A'));
  EXPECT_EQ(tacetix::UpperAscii(QChar(u'z')), QChar(u'Z'));
  for (char16_t kept : {u'{', u'`', u'1', u'.', u'\u00e9', u'\u00ff'}) {
    EXPECT_EQ(tacetix::UpperAscii(QChar(kept)), QChar(kept)) << int(kept);
  }
  EXPECT_EQ(tacetix::StripInvalidChars(QStringLiteral("a\\b/c|d\"e:f*g?h<i>j")), "abcdefghij");
  const QString padded = QStringLiteral("\x01\t !x\u00a0 \x1f");
  EXPECT_EQ(tacetix::TrimLeadingControls(padded), QStringLiteral("!x\u00a0 \x1f"));
  EXPECT_EQ(tacetix::TrimTrailingControls(padded), QStringLiteral("\x01\t !x\u00a0"));
}

}  // namespace
