#include "browse/user_agent_table.h"

#include <gtest/gtest.h>

#include "ui/window_definition.h"

namespace velmora {
namespace {

// Written out again from the published identity table, not from the code,
// so a slip in either copy shows up here.
struct ExpectedRow {
  int index;
  std::u16string_view label;
  size_t bytes;
  std::string_view userAgent;
};
// clang-format off
const ExpectedRow kExpected[] = {
      {0, u"QQ浏览器", 122,
       "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/13.0.782.41 Safari/535.1 QQBrowser/6.9.11079.201"},
      {1, u"Chrome浏览器", 106,
       "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/14.0.835.163 Safari/535.1"},
      {2, u"Firefox浏览器", 70,
       "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:6.0) Gecko/20100101 Firefox/6.0"},
      {3, u"Safari浏览器", 100,
       "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/534.50 (KHTML, like Gecko) Version/5.1 Safari/534.50"},
      {4, u"Opera浏览器", 66,
       "Opera/9.80 (Windows NT 6.1; U; zh-cn) Presto/2.9.168 Version/11.50"},
      {5, u"IE浏览器", 210,
       "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Win64; x64; Trident/5.0; .NET CLR 2.0.50727; SLCC2; .NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; Tablet PC 2.0; .NET4.0E)"},
      {6, u"傲游浏览器", 107,
       "Mozilla/5.0 (Windows; U; Windows NT 6.1; ) AppleWebKit/534.12 (KHTML, like Gecko) Maxthon/3.0 Safari/534.12"},
      {7, u"搜狗浏览器", 209,
       "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.1; WOW64; Trident/5.0; SLCC2; .NET CLR 2.0.50727; .NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; .NET4.0E; SE 2.X MetaSr 1.0)"},
      {8, u"360浏览器", 190,
       "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; SLCC2; .NET CLR 2.0.50727; .NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; .NET4.0E)"},
      {9, u"安卓UC浏览器", 126,
       "Mozilla/5.0 (Linux; U; Android 4.0.3; zh-cn; M032 Build/IML74K) UC AppleWebKit/534.31 (KHTML, like Gecko) Mobile Safari/534.31"},
      {10, u"2345浏览器", 125,
       "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/13.0.782.41 Safari/535.1 2345Explorer/7.2.11079.201"},
      {11, u"安卓微信内置", 165,
       "Mozilla/5.0 (Linux; U; Android 2.3.6; zh-cn; GT-S5660 Build/GINGERBREAD) AppleWebKit/533.1 (KHTML, like Gecko) Version/4.0 Mobile Safari/533.1 MicroMessenger/4.5.255"},
      {12, u"苹果微信内置", 129,
       "Mozilla/5.0 (iPhone; CPU iPhone OS 6_1_3 like Mac OS X) AppleWebKit/536.26 (KHTML, like Gecko) Mobile/10B329 MicroMessenger/5.0.1"},
      {13, u"UC浏览器", 171,
       "Mozilla/5.0 (Linux; U; Android 5.1; zh-CN; Che1-CL10 Build/Che1-CL10) AppleWebKit/534.30 (KHTML, like Gecko) Version/4.0 UCBrowser/10.9.8.738 U3/0.8.0 Mobile Safari/534.30"},
      {14, u"Ipad Safari 9", 126,
       "Mozilla/5.0 (iPad; CPU OS 9_0_2 like Mac OS X) AppleWebKit/601.1.46 (KHTML, like Gecko) Version/9.0 Mobile/13A452 Safari/601.1"},
      {15, u"Iphone浏览器", 203,
       "Mozilla/5.0 (Mobile; Windows Phone 8.1; Android 4.0; ARM; Trident/7.0; Touch; rv:11.0; IEMobile/11.0; NOKIA; Lumia 630) like iPhone OS 7_0_3 Mac OS X AppleWebKit/537 (KHTML, like Gecko) Mobile Safari/537"},
};
// clang-format on

TEST(UserAgentTableTest, EveryRowIsExactlyThePublishedIdentity) {
  ASSERT_EQ(std::size(kExpected), 16u);
  for (const ExpectedRow& row : kExpected) {
    const UserAgentRow* actual = LookUpUserAgent(row.index);
    ASSERT_NE(actual, nullptr) << row.index;
    EXPECT_EQ(actual->userAgent, row.userAgent) << row.index;
    EXPECT_EQ(actual->userAgent.size(), row.bytes) << row.index;
    EXPECT_EQ(actual->label, row.label) << row.index;
    EXPECT_EQ(kChooserItems[row.index], row.label) << "chooser item " << row.index;
    for (char c : actual->userAgent) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << row.index;
  }
}

TEST(UserAgentTableTest, LookupHandsOutTheConstantItselfForZeroToFifteenOnly) {
  EXPECT_EQ(LookUpUserAgent(0), &kUserAgentTable[0]);
  EXPECT_EQ(LookUpUserAgent(15), &kUserAgentTable[15]);
  for (int32_t outside : {-1, -2, 16, 17, INT32_MIN, INT32_MAX}) EXPECT_EQ(LookUpUserAgent(outside), nullptr) << outside;
}

}  // namespace
}  // namespace velmora
