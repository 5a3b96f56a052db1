#include "browse/user_agent_table.h"

#include "ui/window_definition.h"

namespace velmora {

// The labels come from the window definition so the chooser and this table
// cannot drift apart.
const UserAgentRow kUserAgentTable[16] = {
    {kChooserItems[0],
     "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/13.0.782.41 Safari/535.1 "
     "QQBrowser/6.9.11079.201"},
    {kChooserItems[1],
     "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/14.0.835.163 Safari/535.1"},
    {kChooserItems[2], "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:6.0) Gecko/20100101 Firefox/6.0"},
    {kChooserItems[3],
     "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/534.50 (KHTML, like Gecko) Version/5.1 Safari/534.50"},
    {kChooserItems[4], "Opera/9.80 (Windows NT 6.1; U; zh-cn) Presto/2.9.168 Version/11.50"},
    {kChooserItems[5],
     "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Win64; x64; Trident/5.0; .NET CLR 2.0.50727; SLCC2; .NET "
     "CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; Tablet PC 2.0; .NET4.0E)"},
    {kChooserItems[6],
     "Mozilla/5.0 (Windows; U; Windows NT 6.1; ) AppleWebKit/534.12 (KHTML, like Gecko) Maxthon/3.0 Safari/534.12"},
    {kChooserItems[7],
     "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.1; WOW64; Trident/5.0; SLCC2; .NET CLR 2.0.50727; .NET CLR "
     "3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; .NET4.0E; SE 2.X MetaSr 1.0)"},
    {kChooserItems[8],
     "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; SLCC2; .NET CLR 2.0.50727; .NET CLR "
     "3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; .NET4.0E)"},
    {kChooserItems[9],
     "Mozilla/5.0 (Linux; U; Android 4.0.3; zh-cn; M032 Build/IML74K) UC AppleWebKit/534.31 (KHTML, like Gecko) "
     "Mobile Safari/534.31"},
    {kChooserItems[10],
     "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/13.0.782.41 Safari/535.1 "
     "2345Explorer/7.2.11079.201"},
    {kChooserItems[11],
     "Mozilla/5.0 (Linux; U; Android 2.3.6; zh-cn; GT-S5660 Build/GINGERBREAD) AppleWebKit/533.1 (KHTML, like "
     "Gecko) Version/4.0 Mobile Safari/533.1 MicroMessenger/4.5.255"},
    {kChooserItems[12],
     "Mozilla/5.0 (iPhone; CPU iPhone OS 6_1_3 like Mac OS X) AppleWebKit/536.26 (KHTML, like Gecko) "
     "Mobile/10B329 MicroMessenger/5.0.1"},
    {kChooserItems[13],
     "Mozilla/5.0 (Linux; U; Android 5.1; zh-CN; Che1-CL10 Build/Che1-CL10) AppleWebKit/534.30 (KHTML, like Gecko) "
     "Version/4.0 UCBrowser/10.9.8.738 U3/0.8.0 Mobile Safari/534.30"},
    {kChooserItems[14],
     "Mozilla/5.0 (iPad; CPU OS 9_0_2 like Mac OS X) AppleWebKit/601.1.46 (KHTML, like Gecko) Version/9.0 "
     "Mobile/13A452 Safari/601.1"},
    {kChooserItems[15],
     "Mozilla/5.0 (Mobile; Windows Phone 8.1; Android 4.0; ARM; Trident/7.0; Touch; rv:11.0; IEMobile/11.0; NOKIA; "
     "Lumia 630) like iPhone OS 7_0_3 Mac OS X AppleWebKit/537 (KHTML, like Gecko) Mobile Safari/537"},
};

const UserAgentRow* LookUpUserAgent(int32_t index) {
  if (index < 0 || index > 15) return nullptr;
  return &kUserAgentTable[index];
}

}  // namespace velmora
