#include <gtest/gtest.h>

#include "browser/favorite_match.h"
#include "browser/pinyin_table.h"
#include "browser/fixture_run_directory.h"

namespace {

bool Finds(const char* nameUtf8, const char* typedUtf8, const char* addressUtf8 = "http://x.example/") {
  FavoriteRecord r;
  r.siteName = Utf8ToGbk(nameUtf8);
  r.address = Utf8ToGbk(addressUtf8);
  return SearchMatches(MakeSearchKeys(r), SearchQuery(Utf8ToGbk(typedUtf8)));
}

TEST(PinyinTable, HoldsTonelessReadingsMostCommonFirst) {
  EXPECT_GT(kPinyinTableSize, 20000u);
  ASSERT_NE(PinyinReadings(U'百'), nullptr);
  EXPECT_STREQ(PinyinReadings(U'百'), "bai bo mo");
  EXPECT_STREQ(PinyinReadings(U'网'), "wang");
  // ü is typed as v; a character of several readings keeps them all.
  EXPECT_STREQ(PinyinReadings(U'绿'), "lv lu");
  const std::string chang = PinyinReadings(U'长');
  EXPECT_NE(chang.find("zhang"), std::string::npos);
  EXPECT_NE(chang.find("chang"), std::string::npos);
  EXPECT_EQ(PinyinReadings(U'a'), nullptr);
  EXPECT_EQ(PinyinReadings(U'，'), nullptr);
  for (size_t i = 1; i < kPinyinTableSize; ++i)
    ASSERT_LT(kPinyinTable[i - 1].codePoint, kPinyinTable[i].codePoint) << i;
}

TEST(FavoriteMatch, NameAndAddressAsTextInAnyCase) {
  EXPECT_TRUE(Finds("Baidu 搜索", "baidu"));
  EXPECT_TRUE(Finds("baidu", "BAI"));
  EXPECT_TRUE(Finds("天涯社区", "涯社"));
  EXPECT_TRUE(Finds("天涯社区", "TIANYA.cn", "http://www.Tianya.cn/"));
  EXPECT_TRUE(Finds("天涯社区", "x.exam"));
  EXPECT_FALSE(Finds("天涯社区", "tianyb"));
  EXPECT_FALSE(Finds("天涯社区", ""));
}

TEST(FavoriteMatch, PinyinByWholeSyllablesOrInitials) {
  EXPECT_TRUE(Finds("百度", "baidu"));
  EXPECT_TRUE(Finds("百度", "bd"));
  EXPECT_TRUE(Finds("百度", "BD"));
  EXPECT_TRUE(Finds("淘宝网", "tbw"));
  EXPECT_TRUE(Finds("淘宝网", "taobao"));
  EXPECT_TRUE(Finds("淘宝网", "taobw"));   // syllables and initials mixed
  EXPECT_TRUE(Finds("淘宝网", "baowang"));  // from any character on
  EXPECT_TRUE(Finds("淘宝网", "w"));
  EXPECT_FALSE(Finds("淘宝网", "tw"));      // characters in a row, none skipped
  EXPECT_FALSE(Finds("百度", "aidu"));      // a syllable is matched from its start
  EXPECT_FALSE(Finds("百度", "bdx"));
  EXPECT_FALSE(Finds("百度", "baiduu"));
}

TEST(FavoriteMatch, TheLastSyllableMayBeHalfTyped) {
  // Every key on the way to "baidu" keeps 百度 on the board.
  for (const char* typed : {"b", "ba", "bai", "baid", "baidu"}) EXPECT_TRUE(Finds("百度", typed)) << typed;
  EXPECT_TRUE(Finds("淘宝网", "taob"));
  EXPECT_TRUE(Finds("淘宝网", "tbwa"));
  EXPECT_FALSE(Finds("淘宝网", "tabao"));  // only the last one
}

TEST(FavoriteMatch, AnyReadingOfACharacterOfSeveral) {
  EXPECT_TRUE(Finds("中国银行", "zgyh"));      // 行 read hang
  EXPECT_TRUE(Finds("中国银行", "yinhang"));
  EXPECT_TRUE(Finds("行者", "xingzhe"));       // and xing
  EXPECT_TRUE(Finds("长城宽带", "changcheng"));
  EXPECT_TRUE(Finds("长城宽带", "cckd"));
  EXPECT_TRUE(Finds("绿色软件", "lvse"));
}

TEST(FavoriteMatch, LatinAndChineseMixed) {
  EXPECT_TRUE(Finds("QQ空间", "qqkj"));
  EXPECT_TRUE(Finds("QQ空间", "qqkongjian"));
  EXPECT_TRUE(Finds("QQ空间", "qq空"));
  EXPECT_TRUE(Finds("新浪Weibo", "xlweibo"));
  EXPECT_TRUE(Finds("新浪Weibo", "langw"));
  EXPECT_FALSE(Finds("新浪Weibo", "xlwb"));  // Latin letters are not initials of anything
  EXPECT_TRUE(Finds("12306铁路", "6tl"));
}

TEST(FavoriteMatch, LongOrOddTextsAreSafe) {
  const std::string longQuery(200, 'a');
  EXPECT_FALSE(Finds("百度", longQuery.c_str()));
  EXPECT_TRUE(Finds(longQuery.c_str(), longQuery.c_str()));
  FavoriteRecord r;
  r.siteName = std::string("\x81", 1);  // a lone lead byte
  EXPECT_FALSE(SearchMatches(MakeSearchKeys(r), "bd"));
  EXPECT_TRUE(PinyinMatches({}, "") == false);
}

}  // namespace
