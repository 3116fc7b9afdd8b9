// The program's own texts, in code page 936.
//
// Written as byte escapes because the sources are UTF-8 and not every
// compiler we build with can re-encode literals; each line's comment gives
// the text, and tests/app checks every one against utf8ToAnsi of that spelling.
#pragma once

#include <string_view>

namespace lj::texts {

// ---- Windows and menu ------------------------------------------------------
// "蓝鲸速取小助手"
inline constexpr std::string_view mainWindowCaption =
    "\xC0\xB6\xBE\xA8\xCB\xD9\xC8\xA1\xD0\xA1\xD6\xFA\xCA\xD6";
// "关于"
inline constexpr std::string_view aboutMenuCaption = "\xB9\xD8\xD3\xDA";
// "关于作者"
inline constexpr std::string_view aboutAuthorItem = "\xB9\xD8\xD3\xDA\xD7\xF7\xD5\xDF";
// "安全短网址下载"
inline constexpr std::string_view shortLinkDownloadItem =
    "\xB0\xB2\xC8\xAB\xB6\xCC\xCD\xF8\xD6\xB7\xCF\xC2\xD4\xD8";
// "蓝鲸速取小助手使用教程"
inline constexpr std::string_view tutorialItem =
    "\xC0\xB6\xBE\xA8\xCB\xD9\xC8\xA1\xD0\xA1\xD6\xFA\xCA\xD6\xCA\xB9\xD3\xC3\xBD\xCC\xB3\xCC";
// "分享链接"
inline constexpr std::string_view shareLinkLabel = "\xB7\xD6\xCF\xED\xC1\xB4\xBD\xD3";
// "单机粘贴链接"
inline constexpr std::string_view pasteButtonCaption = "\xB5\xA5\xBB\xFA\xD5\xB3\xCC\xF9\xC1\xB4\xBD\xD3";
// "获取"
inline constexpr std::string_view fetchButtonCaption = "\xBB\xF1\xC8\xA1";
// "直连地址"
inline constexpr std::string_view directLinkWindowCaption = "\xD6\xB1\xC1\xAC\xB5\xD8\xD6\xB7";
// "单机复制链接"
inline constexpr std::string_view copyLinkButtonCaption = "\xB5\xA5\xBB\xFA\xB8\xB4\xD6\xC6\xC1\xB4\xBD\xD3";
// "单机复制文件名"
inline constexpr std::string_view copyFileNameButtonCaption =
    "\xB5\xA5\xBB\xFA\xB8\xB4\xD6\xC6\xCE\xC4\xBC\xFE\xC3\xFB";
// "检测到新版本是否更新！！！"
inline constexpr std::string_view updatePromptText =
    "\xBC\xEC\xB2\xE2\xB5\xBD\xD0\xC2\xB0\xE6\xB1\xBE\xCA\xC7\xB7\xF1\xB8\xFC\xD0\xC2\xA3\xA1\xA3\xA1\xA3"
    "\xA1";
// "是"
inline constexpr std::string_view yesButtonCaption = "\xCA\xC7";
// "否"
inline constexpr std::string_view noButtonCaption = "\xB7\xF1";
// "捐赠"
inline constexpr std::string_view donateWindowCaption = "\xBE\xE8\xD4\xF9";
// " 作者QQ:" (followed directly by authorContact)
inline constexpr std::string_view authorContactPrefix = " \xD7\xF7\xD5\xDFQQ:";
// "反馈邮箱点我复制"
inline constexpr std::string_view copyAddressButtonCaption =
    "\xB7\xB4\xC0\xA1\xD3\xCA\xCF\xE4\xB5\xE3\xCE\xD2\xB8\xB4\xD6\xC6";

// ---- Messages --------------------------------------------------------------
// "信息：" (the caption of a message box without a title)
inline constexpr std::string_view defaultMessageBoxCaption = "\xD0\xC5\xCF\xA2\xA3\xBA";
// "请检查分享链接是否有误！！！"
inline constexpr std::string_view badLinkText =
    "\xC7\xEB\xBC\xEC\xB2\xE9\xB7\xD6\xCF\xED\xC1\xB4\xBD\xD3\xCA\xC7\xB7\xF1\xD3\xD0\xCE\xF3\xA3\xA1\xA3\xA1"
    "\xA3\xA1";
// "提示"
inline constexpr std::string_view promptTitle = "\xCC\xE1\xCA\xBE";
// "获取失败，请检查分享链接或网络后重试"
inline constexpr std::string_view fetchFailedText =
    "\xBB\xF1\xC8\xA1\xCA\xA7\xB0\xDC\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xB7\xD6\xCF\xED\xC1\xB4\xBD\xD3\xBB\xF2"
    "\xCD\xF8\xC2\xE7\xBA\xF3\xD6\xD8\xCA\xD4";
// "当前没有检测到网络连接，请检查网络后重试"
inline constexpr std::string_view offlineWarningText =
    "\xB5\xB1\xC7\xB0\xC3\xBB\xD3\xD0\xBC\xEC\xB2\xE2\xB5\xBD\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3\xA3\xAC\xC7\xEB"
    "\xBC\xEC\xB2\xE9\xCD\xF8\xC2\xE7\xBA\xF3\xD6\xD8\xCA\xD4";
// "警告！！！"
inline constexpr std::string_view offlineWarningTitle = "\xBE\xAF\xB8\xE6\xA3\xA1\xA3\xA1\xA3\xA1";
// "更新完成，请到根目录查看"
inline constexpr std::string_view updateDoneText =
    "\xB8\xFC\xD0\xC2\xCD\xEA\xB3\xC9\xA3\xAC\xC7\xEB\xB5\xBD\xB8\xF9\xC4\xBF\xC2\xBC\xB2\xE9\xBF\xB4";
// "更新失败，请检查网络后重试"
inline constexpr std::string_view updateFailedText =
    "\xB8\xFC\xD0\xC2\xCA\xA7\xB0\xDC\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xCD\xF8\xC2\xE7\xBA\xF3\xD6\xD8\xCA"
    "\xD4";
// "下载完成，请到根目录查看"
inline constexpr std::string_view downloadDoneText =
    "\xCF\xC2\xD4\xD8\xCD\xEA\xB3\xC9\xA3\xAC\xC7\xEB\xB5\xBD\xB8\xF9\xC4\xBF\xC2\xBC\xB2\xE9\xBF\xB4";
// "下载失败，请检查网络后重试"
inline constexpr std::string_view downloadFailedText =
    "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xCD\xF8\xC2\xE7\xBA\xF3\xD6\xD8\xCA"
    "\xD4";
// "邮箱已复制剪切板"
inline constexpr std::string_view addressCopiedText =
    "\xD3\xCA\xCF\xE4\xD2\xD1\xB8\xB4\xD6\xC6\xBC\xF4\xC7\xD0\xB0\xE5";
// "温馨提示"
inline constexpr std::string_view addressCopiedTitle = "\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE";
// "复制失败，请重试"
inline constexpr std::string_view copyFailedText =
    "\xB8\xB4\xD6\xC6\xCA\xA7\xB0\xDC\xA3\xAC\xC7\xEB\xD6\xD8\xCA\xD4";

// ---- Start-up pages: markers and captions ----------------------------------
// ";累计访问：" (begins with an ASCII semicolon)
inline constexpr std::string_view totalCountLeftMarker = ";\xC0\xDB\xBC\xC6\xB7\xC3\xCE\xCA\xA3\xBA";
// "今天访问："
inline constexpr std::string_view todayCountLeftMarker = "\xBD\xF1\xCC\xEC\xB7\xC3\xCE\xCA\xA3\xBA";
inline constexpr std::string_view countRightMarker = "&#";
// "使用总次数："
inline constexpr std::string_view counterCaptionFirst = "\xCA\xB9\xD3\xC3\xD7\xDC\xB4\xCE\xCA\xFD\xA3\xBA";
// " 今日使用次数：" (begins with an ASCII space)
inline constexpr std::string_view counterCaptionMiddle =
    " \xBD\xF1\xC8\xD5\xCA\xB9\xD3\xC3\xB4\xCE\xCA\xFD\xA3\xBA";
inline constexpr std::string_view addressLeftMarker = "r>";
inline constexpr std::string_view addressRightMarker = "</c";

}  // namespace lj::texts
