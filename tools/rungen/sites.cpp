#include "sites.h"

namespace {
using S = IconShape;
}

const std::vector<std::string>& ClickSoundNames() {
  static const std::vector<std::string> names = {"叮.wav", "咚.wav", "啵.wav", "嗒.wav"};
  return names;
}

const std::vector<std::string>& CategoryNames() {
  static const std::vector<std::string> names = {"常用", "学习", "论坛", "资源",
                                                 "影音", "购物", "游戏", "手机"};
  return names;
}

// Accounts and passwords here are made-up examples, so the account viewer has
// something to show; none of them belongs to anybody.
const std::vector<Site>& SampleSites() {
  static const std::vector<Site> sites = {
      // 学习
      {"百度", "baidu.png", "https://www.baidu.com/", "vinkabo_demo", "demo1234", 0, 1, "叮.wav",
       "全球最大的中文搜索引擎,有问题先搜一搜", "du", 0x2932E1, 0x4E6EF2, S::kRoundSquare, 48},
      {"百度百科", "baike.jpg", "https://baike.baidu.com/", "", "", 0, 1, "咚.wav",
       "内容开放的中文百科全书,查词条、看释义", "百", 0x1F6FE5, 0x59A3FF, S::kTile, 64},
      {"维基百科", "wikipedia.jpg", "https://zh.wikipedia.org/", "", "", 0, 1, "啵.wav",
       "自由的百科全书,人人可以编辑的知识库", "W", 0x3A3F45, 0x8A9099, S::kTile, 48},
      {"中国大学MOOC", "icourse163.png", "https://www.icourse163.org/", "", "", 0, 0, "嗒.wav",
       "名校名师的免费在线课程,随时随地上大学", "M", 0x12A36D, 0x3FD395, S::kHexagon, 64},
      {"网易公开课", "open163.png", "https://open.163.com/", "", "", 0, 1, "叮.wav",
       "国内外名校公开课与TED演讲,中文字幕", "公", 0x1FA050, 0x67D38A, S::kCircle, 48},
      {"有道词典", "youdao.png", "https://www.youdao.com/", "", "", 0, 1, "咚.wav",
       "中英日韩多语种在线翻译与词典", "有", 0xE3262B, 0xFF6A5C, S::kSquircle, 32},
      {"菜鸟教程", "runoob.png", "https://www.runoob.com/", "", "", 0, 1, "啵.wav",
       "从零学编程:HTML、Python、C 语言入门教程", "菜", 0x5DB13E, 0x9BD66F, S::kRoundSquare,
       64},
      {"学堂在线", "xuetangx.png", "https://www.xuetangx.com/", "", "", 0, 0, "嗒.wav",
       "清华大学发起的慕课平台,学习好课程", "学", 0x7B3FC4, 0xB07CF0, S::kCircle, 48},
      // 论坛
      {"百度贴吧", "tieba.png", "https://tieba.baidu.com/", "", "", 1, 1, "叮.wav",
       "全球最大的中文社区,兴趣相投就来吧", "贴", 0x3385FF, 0x6FB0FF, S::kSquircle, 48},
      {"知乎", "zhihu.png", "https://www.zhihu.com/", "demo@example.com", "zhihu-demo", 1, 1,
       "咚.wav", "有问题,就会有答案:高质量问答社区", "知", 0x0066FF, 0x3D9BFF, S::kRoundSquare,
       64},
      {"豆瓣", "douban.png", "https://www.douban.com/", "", "", 1, 1, "啵.wav",
       "读书、电影、音乐的评分与评论,找到同好", "豆", 0x2E963D, 0x5BC46A, S::kRoundSquare, 32},
      {"新浪微博", "weibo.png", "https://weibo.com/", "", "", 1, 1, "嗒.wav",
       "随时随地发现新鲜事,看热点、聊八卦", "微", 0xE6162D, 0xFF8A3D, S::kCircle, 64},
      {"虎扑", "hupu.png", "https://www.hupu.com/", "", "", 1, 1, "叮.wav",
       "体育迷的社区:篮球、足球、步行街", "虎", 0xC60100, 0xF0463C, S::kHexagon, 48},
      {"V2EX", "v2ex.png", "https://www.v2ex.com/", "", "", 1, 0, "咚.wav",
       "创意工作者们的社区,聊技术也聊生活", "V", 0x333344, 0x666680, S::kSquircle, 48},
      {"天涯社区", "tianya.jpg", "https://www.tianya.cn/", "", "", 1, 0, "啵.wav",
       "老牌中文论坛,全球华人网上家园", "天", 0x1768B3, 0x47A3E6, S::kTile, 32},
      // 资源
      {"GitHub", "github.png", "https://github.com/", "vinkabo-demo", "gh-demo-2012", 2, 1,
       "嗒.wav", "全球开发者托管代码、协作开源项目的地方", "Gh", 0x24292F, 0x57606A, S::kCircle,
       64},
      {"百度网盘", "pan.png", "https://pan.baidu.com/", "", "", 2, 1, "叮.wav",
       "大容量云端存储,文件备份与分享", "盘", 0x06A7FF, 0x5CCBFF, S::kRoundSquare, 48},
      {"CSDN", "csdn.jpg", "https://www.csdn.net/", "", "", 2, 1, "咚.wav",
       "中文 IT 技术社区:博客、问答、下载", "C", 0xFC5531, 0xFF8C5A, S::kTile, 48},
      {"Stack Overflow", "stackoverflow.png", "https://stackoverflow.com/", "", "", 2, 0, "啵.wav",
       "程序员的问答网站,报错信息贴进来搜", "S", 0xF48024, 0xFFB866, S::kSquircle, 64},
      {"阿里云盘", "aliyundrive.png", "https://www.aliyundrive.com/", "", "", 2, 0, "嗒.wav",
       "不限速的个人网盘,照片与文件随身带", "云", 0x4E5BF2, 0x8A73FF, S::kHexagon, 32},
      {"华军软件园", "onlinedown.jpg", "https://www.onlinedown.net/", "", "", 2, 0, "叮.wav",
       "老牌软件下载站,常用工具一站下齐", "华", 0x0B8A3E, 0x33C06A, S::kTile, 64},
      {"博客园", "cnblogs.png", "https://www.cnblogs.com/", "", "", 2, 1, "咚.wav",
       "开发者的网上家园,技术博客与文章", "博", 0x2D5DA8, 0x5B8ED8, S::kRoundSquare, 48},
      // 影音
      {"哔哩哔哩", "bilibili.png", "https://www.bilibili.com/", "vk_bili", "bili2233", 3, 1,
       "啵.wav", "弹幕视频网站:动画、番剧、知识区,干杯~", "B", 0xFB7299, 0xFFA6C2, S::kSquircle,
       64},
      {"优酷", "youku.jpg", "https://www.youku.com/", "", "", 3, 1, "嗒.wav",
       "热门剧集、综艺与电影在线观看", "优", 0x1EBBFF, 0x2B6CFF, S::kTile, 48},
      {"爱奇艺", "iqiyi.png", "https://www.iqiyi.com/", "", "", 3, 1, "叮.wav",
       "高清影视剧、综艺、动漫,悦享品质", "爱", 0x00BE06, 0x5BE36B, S::kRoundSquare, 48},
      {"腾讯视频", "vqq.png", "https://v.qq.com/", "", "", 3, 1, "咚.wav",
       "不负好时光:电视剧、电影、体育直播", "腾", 0xFF6022, 0x2EA7FF, S::kCircle, 32},
      {"网易云音乐", "music163.png", "https://music.163.com/", "13800000000", "music-demo", 3, 1,
       "啵.wav", "听见好时光:歌单、评论与私人FM", "云", 0xC20C0C, 0xEE4A4A, S::kCircle, 64},
      {"QQ音乐", "yqq.png", "https://y.qq.com/", "", "", 3, 0, "嗒.wav",
       "海量正版曲库,新歌热歌随心听", "Q", 0x31C27C, 0xFFD43B, S::kSquircle, 48},
      {"芒果TV", "mgtv.png", "https://www.mgtv.com/", "", "", 3, 0, "叮.wav",
       "湖南卫视综艺与自制剧的独播平台", "芒", 0xFF8A00, 0xFFC233, S::kHexagon, 48},
      {"酷狗音乐", "kugou.png", "https://www.kugou.com/", "", "", 3, 0, "咚.wav",
       "就是歌多:音乐播放与K歌", "K", 0x2CA2F9, 0x0F6FD6, S::kRoundSquare, 32},
      // 购物
      {"淘宝", "taobao.png", "https://www.taobao.com/", "示例用户", "tb123456", 4, 1, "啵.wav",
       "淘!我喜欢:什么都能买到的网上市场", "淘", 0xFF5000, 0xFF9A3C, S::kRoundSquare, 64},
      {"京东", "jd.png", "https://www.jd.com/", "vinkabo2012", "jd-demo", 4, 1, "嗒.wav",
       "正品低价、送货快:家电数码首选", "JD", 0xE1251B, 0xFF5A4A, S::kSquircle, 48},
      {"天猫", "tmall.png", "https://www.tmall.com/", "", "", 4, 1, "叮.wav",
       "品牌旗舰店集合,理想生活上天猫", "猫", 0xFF0036, 0xFF5C7A, S::kCircle, 48},
      {"拼多多", "pinduoduo.png", "https://www.pinduoduo.com/", "", "", 4, 0, "咚.wav",
       "拼着买更便宜,多实惠多乐趣", "拼", 0xE02E24, 0xFF7B6B, S::kHexagon, 64},
      {"当当", "dangdang.jpg", "https://www.dangdang.com/", "", "", 4, 1, "啵.wav",
       "网上书店:图书音像与百货", "当", 0xD9201C, 0xF4743B, S::kTile, 32},
      {"苏宁易购", "suning.png", "https://www.suning.com/", "", "", 4, 0, "嗒.wav",
       "家电 3C 与超市,线上线下同价", "苏", 0xFFAA00, 0xFFD24D, S::kRoundSquare, 48},
      {"唯品会", "vip.png", "https://www.vip.com/", "", "", 4, 0, "叮.wav",
       "品牌特卖:一家专门做特卖的网站", "唯", 0xF10180, 0xFF63B4, S::kSquircle, 48},
      // 游戏
      {"4399小游戏", "4399.png", "https://www.4399.com/", "", "", 5, 1, "咚.wav",
       "经典小游戏合集,打开网页就能玩", "43", 0xF8B500, 0xFFDB4D, S::kRoundSquare, 48},
      {"Steam", "steam.png", "https://store.steampowered.com/", "vk_player", "steam-demo", 5, 1,
       "啵.wav", "全球最大的 PC 游戏平台:特卖、评测与社区", "St", 0x171A21, 0x2A475E, S::kCircle,
       64},
      {"网易游戏", "game163.png", "https://game.163.com/", "", "", 5, 0, "嗒.wav",
       "网易出品的端游手游官网与活动", "游", 0xD0021B, 0x222222, S::kHexagon, 48},
      {"腾讯游戏", "gameqq.png", "https://game.qq.com/", "", "", 5, 1, "叮.wav",
       "腾讯旗下游戏的官网、资讯与下载", "腾", 0x1E90FF, 0x00C3FF, S::kSquircle, 32},
      {"17173", "17173.jpg", "https://www.17173.com/", "", "", 5, 0, "咚.wav",
       "游戏门户:新闻、攻略与新游测试表", "17", 0xE65C00, 0xF9A825, S::kTile, 48},
      {"游民星空", "gamersky.jpg", "https://www.gamersky.com/", "", "", 5, 1, "啵.wav",
       "单机游戏资讯、攻略与评测", "游", 0x2B2B2B, 0xE0301E, S::kTile, 64},
      {"3DM游戏", "3dmgame.png", "https://www.3dmgame.com/", "", "", 5, 0, "嗒.wav",
       "游戏新闻、汉化与攻略专题", "3D", 0x3B4A5A, 0x7A8FA6, S::kRoundSquare, 48},
      // 手机
      {"中关村在线", "zol.png", "https://www.zol.com.cn/", "", "", 6, 1, "叮.wav",
       "手机数码报价、评测与参数对比", "Z", 0x0A6CD6, 0x4BA3F5, S::kRoundSquare, 48},
      {"小米", "mi.png", "https://www.mi.com/", "vk_mi", "mi-demo", 6, 1, "咚.wav",
       "小米手机与智能生态产品官网", "mi", 0xFF6900, 0xFF9B45, S::kSquircle, 64},
      {"华为", "huawei.png", "https://www.huawei.com/", "", "", 6, 1, "啵.wav",
       "华为手机、平板与穿戴设备", "华", 0xCF0A2C, 0xF2465E, S::kCircle, 48},
      {"手机中国", "cnmo.jpg", "https://www.cnmo.com/", "", "", 6, 0, "嗒.wav",
       "手机新闻、评测与导购", "机", 0x0E9E8E, 0x42D1BF, S::kTile, 48},
      {"魅族", "meizu.jpg", "https://www.meizu.com/", "", "", 6, 0, "叮.wav",
       "魅族手机与配件官网", "魅", 0x008CFF, 0x66C2FF, S::kTile, 32},
      {"vivo", "vivo.png", "https://www.vivo.com.cn/", "", "", 6, 0, "咚.wav",
       "vivo 手机官网:拍照与快充", "v", 0x415FFF, 0x7A93FF, S::kRoundSquare, 48},
      {"OPPO", "oppo.png", "https://www.oppo.com/", "", "", 6, 1, "啵.wav",
       "OPPO 手机官网:影像与闪充", "O", 0x008C5A, 0x2EC28A, S::kHexagon, 64},
  };
  return sites;
}
