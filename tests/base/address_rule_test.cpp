// Which favorite addresses open at once, which ask first and which never open.

#include "base/address_rule.h"

#include <gtest/gtest.h>

namespace {

AddressKind Kind(const Text& a) { return JudgeAddress(a).kind; }

TEST(AddressRule, OnlyHttpAndHttpsOpenAtOnce) {
  for (const char* a : {"http://www.baidu.com/", "https://example.org/a?b=c#d", "HTTP://EXAMPLE.COM",
                        "Https://x.cn/路径"})
    EXPECT_EQ(Kind(a), AddressKind::kWeb) << a;
  // Near misses are not web addresses: they are asked about, not opened at once.
  for (const char* a : {"http:/x", "http:\\\\x", " http://x", "httpx://x", "www.baidu.com", "ftp://x/",
                        "mailto:a@b", "javascript:alert(1)", "file:///etc/passwd", "/usr/bin/xterm",
                        "C:\\Windows\\System32\\calc.exe", "ms-msdt:/id PCWDiagnostic", "x", "./run.sh",
                        "file://localhost/etc/passwd", "FILE:///C:/x.exe"})
    EXPECT_EQ(Kind(a), AddressKind::kAskFirst) << a;
}

TEST(AddressRule, OptionsControlCharactersAndSharesNeverOpen) {
  const Text refused[] = {"", "   ", "--help", "-e", "  --new-window", "java\tscript:alert(1)",
                          "http://x\nhttp://y", "http://x\r", Text("http://x\0y", 10), "a\x7f",
                          "\\\\host\\share\\setup.exe", "//host/share", "\\/host/share",
                          "smb://host/share", "SMB://HOST/x", "cifs://h/s", "nfs://h/s",
                          "file://host/share/x.exe", "file:////host/share", "file:\\\\host\\share",
                          "file://localhost//host/share", "file://localhostx/a"};
  for (const Text& a : refused) {
    AddressVerdict v = JudgeAddress(a);
    EXPECT_EQ(v.kind, AddressKind::kRefused) << ShownAddress(a);
    EXPECT_STRNE(v.reason, "") << ShownAddress(a);
  }
}

TEST(AddressRule, ShownAddressKeepsEveryByteVisible) {
  EXPECT_EQ(ShownAddress("a\tb\nc\x7f"), "a?b?c?");
  const Text gbk = Utf8ToGbk("http://百度.com");  // double-byte characters stay as they are
  EXPECT_EQ(ShownAddress(gbk), gbk);
}

}  // namespace
