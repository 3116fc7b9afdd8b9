// Every fixed text of the program, written as code page 936 byte escapes,
// against the conversion of its UTF-8 spelling.
#include "app/program_texts.h"

#include <gtest/gtest.h>

#include "text/charset.h"

namespace lj {
namespace {

TEST(ProgramTexts, EachIsItsUtf8SpellingInCodePage936) {
    const struct {
        const char* name;
        std::string_view ansi;
        const char* utf8;
    } cases[] = {
        {"mainWindowCaption", texts::mainWindowCaption, "蓝鲸速取小助手"},
        {"aboutMenuCaption", texts::aboutMenuCaption, "关于"},
        {"aboutAuthorItem", texts::aboutAuthorItem, "关于作者"},
        {"shortLinkDownloadItem", texts::shortLinkDownloadItem, "安全短网址下载"},
        {"tutorialItem", texts::tutorialItem, "蓝鲸速取小助手使用教程"},
        {"shareLinkLabel", texts::shareLinkLabel, "分享链接"},
        {"pasteButtonCaption", texts::pasteButtonCaption, "单机粘贴链接"},
        {"fetchButtonCaption", texts::fetchButtonCaption, "获取"},
        {"directLinkWindowCaption", texts::directLinkWindowCaption, "直连地址"},
        {"copyLinkButtonCaption", texts::copyLinkButtonCaption, "单机复制链接"},
        {"copyFileNameButtonCaption", texts::copyFileNameButtonCaption, "单机复制文件名"},
        {"updatePromptText", texts::updatePromptText, "检测到新版本是否更新！！！"},
        {"yesButtonCaption", texts::yesButtonCaption, "是"},
        {"noButtonCaption", texts::noButtonCaption, "否"},
        {"donateWindowCaption", texts::donateWindowCaption, "捐赠"},
        {"authorContactPrefix", texts::authorContactPrefix, " 作者QQ:"},
        {"copyAddressButtonCaption", texts::copyAddressButtonCaption, "反馈邮箱点我复制"},
        {"defaultMessageBoxCaption", texts::defaultMessageBoxCaption, "信息："},
        {"badLinkText", texts::badLinkText, "请检查分享链接是否有误！！！"},
        {"promptTitle", texts::promptTitle, "提示"},
        {"fetchFailedText", texts::fetchFailedText, "获取失败，请检查分享链接或网络后重试"},
        {"offlineWarningText", texts::offlineWarningText, "当前没有检测到网络连接，请检查网络后重试"},
        {"offlineWarningTitle", texts::offlineWarningTitle, "警告！！！"},
        {"updateDoneText", texts::updateDoneText, "更新完成，请到根目录查看"},
        {"updateFailedText", texts::updateFailedText, "更新失败，请检查网络后重试"},
        {"downloadDoneText", texts::downloadDoneText, "下载完成，请到根目录查看"},
        {"downloadFailedText", texts::downloadFailedText, "下载失败，请检查网络后重试"},
        {"addressCopiedText", texts::addressCopiedText, "邮箱已复制剪切板"},
        {"addressCopiedTitle", texts::addressCopiedTitle, "温馨提示"},
        {"copyFailedText", texts::copyFailedText, "复制失败，请重试"},
        {"totalCountLeftMarker", texts::totalCountLeftMarker, ";累计访问："},
        {"todayCountLeftMarker", texts::todayCountLeftMarker, "今天访问："},
        {"countRightMarker", texts::countRightMarker, "&#"},
        {"counterCaptionFirst", texts::counterCaptionFirst, "使用总次数："},
        {"counterCaptionMiddle", texts::counterCaptionMiddle, " 今日使用次数："},
        {"addressLeftMarker", texts::addressLeftMarker, "r>"},
        {"addressRightMarker", texts::addressRightMarker, "</c"},
    };
    for (const auto& c : cases) EXPECT_EQ(text(c.ansi), utf8ToAnsi(c.utf8)) << c.name;
}

}  // namespace
}  // namespace lj
