// The shipped tables as the record-file command line shows them.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Run(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(pclose(p), 0) << cmd;
  return out;
}

std::string Dump(const char* table) {
  return Run(std::string("'") + EDBTOOL_EXE + "' dump '" + VK_RUN_DIR + "/" + table + "'");
}

}  // namespace

TEST(EdbtoolDump, ShowsTheSampleFavorites) {
  std::string d = Dump("数据库.edb");
  EXPECT_NE(d.find("\"name\": \"网站名称\""), std::string::npos) << d.substr(0, 600);
  for (const char* s : {"百度", "https://www.bilibili.com/", "淘宝", "GitHub", "4399小游戏",
                        "\\\\网站图标\\\\baidu.png", "\\\\声音\\\\点击声音\\\\"})
    EXPECT_NE(d.find(s), std::string::npos) << s;
  size_t at = d.find("\"recordCount\": ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GE(std::stoi(d.substr(at + 15)), 40);
}

TEST(EdbtoolDump, ShowsTheStartingSettings) {
  std::string d = Dump("md5.edb");
  EXPECT_NE(d.find("\"recordCount\": 1,"), std::string::npos) << d;
  EXPECT_NE(d.find("\"values\": [\"\", 0, 1]"), std::string::npos) << d;
}
