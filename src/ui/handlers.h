// Every handler of the four windows, written only against Host and the
// program state. The window designs (designs.cpp) name them; hosts call them
// on the GUI thread for the events the designs name.
#pragma once

#include "app/host.h"
#include "text/text.h"

namespace lj {

// One public-note lookup: a GET of the API URL through httpRequest, inside
// host.waitForNetwork. The reply as received and the note's title.
struct NoteLookup {
    bytes reply;
    text title;
};
NoteLookup fetchNote(Host& host, const text& noteApiUrl);

// ---- MainWindow -----------------------------------------------------------
// "created": the four start-up probes, in this order.
void onMainWindowCreated(Host& host);
void checkConnectivity(Host& host);   // offline: warning, then exitProgram(0)
void checkVersion(Host& host);        // a newer title: UpdatePromptWindow
void showUsageCounters(Host& host);   // 标签3
void showVisitorAddress(Host& host);  // 标签2
// 按钮1: paste the clipboard into 编辑框1.
void onPasteClicked(Host& host);
// 按钮2 "获取": resolve the link in 编辑框1 and open DirectLinkWindow.
void onFetchClicked(Host& host);
// Menu "关于".
void onAboutAuthorSelected(Host& host);        // "关于作者": DonateWindow
void onShortLinkDownloadSelected(Host& host);  // "安全短网址下载": the fixed download
void onTutorialSelected(Host& host);           // "蓝鲸速取小助手使用教程": the browser

// ---- DirectLinkWindow -----------------------------------------------------
void onDirectLinkWindowCreated(Host& host);  // fills 编辑框1 and 编辑框2
void onCopyLinkClicked(Host& host);          // 按钮1
void onCopyFileNameClicked(Host& host);      // 按钮2

// ---- UpdatePromptWindow ---------------------------------------------------
void onUpdateClicked(Host& host);  // 按钮1 "是"
void onExitClicked(Host& host);    // 按钮2 "否"

// ---- DonateWindow ---------------------------------------------------------
void onCopyAddressClicked(Host& host);  // 按钮1

}  // namespace lj
