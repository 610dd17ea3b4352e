// edbtool as users and tests call it: the binary, its exit code, its output.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "storage/record_file_format.h"

namespace {

struct Result {
  int code = -1;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class EdbtoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vk-edbtool-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  Result Run(const std::vector<std::string>& args) {
    std::string cmd = Quote(EDBTOOL_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(dir_ + "/out") + " 2>" + Quote(dir_ + "/err");
    int status = std::system(cmd.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(dir_ + "/out");
    r.err = Slurp(dir_ + "/err");
    return r;
  }
  std::string F(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(EdbtoolTest, CreateAndDumpTheExampleFile) {
  Result r = Run({"create", F("ex.edb"), "name:text:8", "value:int"});
  ASSERT_EQ(r.code, 0) << r.err;
  struct stat st;
  ASSERT_EQ(stat(F("ex.edb").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 260);
  r = Run({"dump", F("ex.edb")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\n"
            "  \"version\": 65536,\n"
            "  \"recordCount\": 0,\n"
            "  \"nextRecordId\": 1,\n"
            "  \"recordLength\": 16,\n"
            "  \"dataStart\": 260,\n"
            "  \"fields\": [\n"
            "    {\"number\": 1, \"name\": \"name\", \"type\": 10, \"offset\": 4, \"width\": 8},\n"
            "    {\"number\": 2, \"name\": \"value\", \"type\": 3, \"offset\": 12, \"width\": 0}\n"
            "  ],\n"
            "  \"records\": []\n"
            "}\n");

  for (const char* v : {"1", "2", "3"}) ASSERT_EQ(Run({"append", F("ex.edb"), std::string("t") + v, v}).code, 0);
  ASSERT_EQ(stat(F("ex.edb").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 308);
  r = Run({"dump", F("ex.edb")});
  EXPECT_NE(r.out.find("\"recordCount\": 3,"), std::string::npos);
  EXPECT_NE(r.out.find("\"nextRecordId\": 4,"), std::string::npos);
  EXPECT_NE(r.out.find("  \"records\": [\n"
                       "    {\"index\": 0, \"id\": 1, \"deleted\": false, \"values\": [\"t1\", 1]},\n"
                       "    {\"index\": 1, \"id\": 2, \"deleted\": false, \"values\": [\"t2\", 2]},\n"
                       "    {\"index\": 2, \"id\": 3, \"deleted\": false, \"values\": [\"t3\", 3]}\n"
                       "  ]\n}\n"),
            std::string::npos)
      << r.out;
}

TEST_F(EdbtoolTest, EveryTypeInAndOut) {
  ASSERT_EQ(Run({"create", F("all"), "b:byte", "s:2", "i:int", "l:long", "f:float", "d:double", "o:bool",
                 "t:datetime", "u:sub", "x:text:10", "y:bytes", "名称:memo"})
                .code,
            0);
  struct stat st;
  EXPECT_EQ(stat(F("all.EDB").c_str(), &st), 0);
  EXPECT_EQ(stat(F("all.EDT").c_str(), &st), 0);
  Result r = Run({"append", F("all.EDB"), "255", "-2", "-70000", "5000000000", "0.5", "-2.25", "true", "45000.75",
                  "9", "网站", "00ff10", "备注\"\\"});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Run({"dump", F("all.EDB")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"name\": \"名称\", \"type\": 12"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"values\": [255, -2, -70000, 5000000000, 0.5, -2.25, true, 45000.75, 9, \"网站\", "
                       "\"00ff10\", \"备注\\\"\\\\\"]"),
            std::string::npos)
      << r.out;
  // Stored as GBK.
  std::string raw = Slurp(F("all.EDB"));
  EXPECT_NE(raw.find(Utf8ToGbk("网站")), std::string::npos);
  EXPECT_NE(Slurp(F("all.EDT")).find(Utf8ToGbk("备注")), std::string::npos);
  // Fewer values leave the rest blank.
  ASSERT_EQ(Run({"append", F("all.EDB"), "1"}).code, 0);
  r = Run({"dump", F("all.EDB")});
  EXPECT_NE(r.out.find("\"values\": [1, 0, 0, 0, 0, 0, false, 0, 0, \"\", \"\", \"\"]"), std::string::npos) << r.out;
}

TEST_F(EdbtoolTest, ModifyDeletePurgeFind) {
  ASSERT_EQ(Run({"create", F("m.edb"), "name:text:12", "n:int", "memo:memo"}).code, 0);
  for (const char* v : {"a", "b", "c", "d"}) ASSERT_EQ(Run({"append", F("m.edb"), v, "7", std::string(v) + "!"}).code, 0);
  ASSERT_EQ(Run({"modify", F("m.edb"), "1", "~", "8"}).code, 0);
  ASSERT_EQ(Run({"modify", F("m.edb"), "2", "cc", "~", "long memo"}).code, 0);
  Result r = Run({"dump", F("m.edb")});
  EXPECT_NE(r.out.find("\"values\": [\"b\", 8, \"b!\"]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"values\": [\"cc\", 7, \"long memo\"]"), std::string::npos) << r.out;

  r = Run({"find", F("m.edb"), "name", "cc"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2\n");
  r = Run({"find", F("m.edb"), "2", "8"});
  EXPECT_EQ(r.out, "1\n");
  r = Run({"find", F("m.edb"), "3", "d!"});
  EXPECT_EQ(r.out, "3\n");
  r = Run({"find", F("m.edb"), "name", "zz"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");

  ASSERT_EQ(Run({"delete", F("m.edb"), "0"}).code, 0);
  r = Run({"dump", F("m.edb")});
  EXPECT_NE(r.out.find("{\"index\": 0, \"id\": -1, \"deleted\": true,"), std::string::npos) << r.out;
  ASSERT_EQ(Run({"purge", F("m.edb")}).code, 0);
  r = Run({"dump", F("m.edb")});
  EXPECT_NE(r.out.find("\"recordCount\": 3,"), std::string::npos);
  EXPECT_NE(r.out.find("\"nextRecordId\": 5,"), std::string::npos);
  EXPECT_NE(r.out.find("{\"index\": 0, \"id\": 2, \"deleted\": false, \"values\": [\"b\", 8, \"b!\"]}"),
            std::string::npos)
      << r.out;
}

TEST_F(EdbtoolTest, FailuresExitWithOneAndTheEngineError) {
  Result r = Run({"dump", F("missing.edb")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -3: 指定文件未找到"), std::string::npos) << r.err;
  struct stat st;
  EXPECT_NE(stat(F("missing.edb").c_str(), &st), 0);

  ASSERT_EQ(Run({"create", F("x.edb"), "a:int"}).code, 0);
  r = Run({"create", F("x.edb"), "a:int"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -2: 创建数据库失败"), std::string::npos) << r.err;
  r = Run({"create", F("y.edb"), "a:int", "A:short"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -20"), std::string::npos) << r.err;

  EXPECT_EQ(Run({"append", F("x.edb"), "notanumber"}).code, 1);
  EXPECT_EQ(Run({"append", F("x.edb"), "1", "2"}).code, 1);  // one field only
  EXPECT_EQ(Run({"create", F("z.edb"), "t:text"}).code, 1);   // no width
  EXPECT_EQ(Run({"create", F("z.edb"), "i:int:4"}).code, 1);  // width on a number
  EXPECT_EQ(Run({"create", F("z.edb"), "i:nosuch"}).code, 1);
  EXPECT_EQ(Run({}).code, 1);
  EXPECT_EQ(Run({"frobnicate"}).code, 1);

  r = Run({"modify", F("x.edb"), "5", "1"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -26"), std::string::npos) << r.err;  // moving past the end
  r = Run({"delete", F("x.edb"), "0"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -60"), std::string::npos) << r.err;  // no record 0 in an empty file

  // Not a record file.
  std::ofstream(F("bad.edb")) << "this is not a record file at all, but long enough to be read as one.........."
                                 "...................................................................";
  r = Run({"dump", F("bad.edb")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("error -22: 指定文件不是数据库文件"), std::string::npos) << r.err;
}

TEST_F(EdbtoolTest, NumbersOutsideTheFieldsRangeAreRefusedNotWrapped) {
  ASSERT_EQ(Run({"create", F("n.edb"), "b:byte", "s:short", "i:int", "l:long", "f:float", "d:datetime"}).code, 0);
  ASSERT_EQ(Run({"append", F("n.edb"), "255", "-32768", "2147483647", "-9223372036854775808", "1e38", "2958465"}).code,
            0);
  const std::string before = Slurp(F("n.edb"));
  struct Case {
    std::vector<std::string> values;
    const char* says;
  };
  for (const Case& c : std::vector<Case>{
           {{"300"}, "field 1"},
           {{"-1"}, "field 1"},
           {{"255.5"}, "field 1"},
           {{"0", "32768"}, "field 2"},
           {{"0", "0", "5e9"}, "field 3"},
           {{"0", "0", "2147483648"}, "field 3"},
           {{"0", "0", "1.5"}, "field 3"},
           {{"0", "0", "0", "9223372036854775808"}, "field 4"},
           {{"0", "0", "0", "1e19"}, "field 4"},
           {{"0", "0", "0", "0", "1e39"}, "field 5"},
           {{"0", "0", "0", "0", "0", "2958466"}, "field 6"},
       }) {
    std::vector<std::string> append = {"append", F("n.edb")};
    append.insert(append.end(), c.values.begin(), c.values.end());
    Result r = Run(append);
    EXPECT_EQ(r.code, 1) << c.values.back();
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.values.back()), std::string::npos) << r.err;
    std::vector<std::string> modify = {"modify", F("n.edb"), "0"};
    modify.insert(modify.end(), c.values.begin(), c.values.end());
    EXPECT_EQ(Run(modify).code, 1) << c.values.back();
    EXPECT_EQ(Run({"find", F("n.edb"), std::to_string(c.values.size()), c.values.back()}).code, 1);
  }
  EXPECT_EQ(Slurp(F("n.edb")), before);  // nothing appended, nothing changed
}

TEST_F(EdbtoolTest, MalformedArgumentsExitWithOne) {
  ASSERT_EQ(Run({"create", F("a.edb"), "t:text:4", "n:int"}).code, 0);
  ASSERT_EQ(Run({"append", F("a.edb"), "x", "1"}).code, 0);
  const std::string before = Slurp(F("a.edb"));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"create", F("b.edb"), "t:text:-1"},
           {"create", F("b.edb"), "t:text:99999999999"},
           {"create", F("b.edb"), "t:text:4:4"},
           {"create", F("b.edb"), "n:int:"},
           {"create", F("b.edb")},
           {"append", F("a.edb"), "x", " 1"},
           {"append", F("a.edb"), "x", "0x10"},
           {"append", F("a.edb"), "x", "nan"},
           {"append", F("a.edb"), "\xff\xfe", "1"},
           {"modify", F("a.edb"), "-1", "x"},
           {"modify", F("a.edb"), "1x", "x"},
           {"modify", F("a.edb"), "99999999999", "x"},
           {"modify", F("a.edb")},
           {"delete", F("a.edb"), "zero"},
           {"delete", F("a.edb"), "0", "extra"},
           {"dump", F("a.edb"), "extra"},
           {"purge", F("a.edb"), "extra"},
           {"find", F("a.edb"), "n", "1.5"},
           {"find", F("a.edb"), "nosuch", "1"},
           {"find", F("a.edb"), "0", "1"},
       }) {
    Result r = Run(args);
    std::string all;
    for (const auto& a : args) all += a + " ";
    EXPECT_EQ(r.code, 1) << all;
    EXPECT_NE(r.err.find("edbtool: "), std::string::npos) << all;
  }
  EXPECT_EQ(Slurp(F("a.edb")), before);
  struct stat st;
  EXPECT_NE(stat(F("b.edb").c_str(), &st), 0);
}

}  // namespace
