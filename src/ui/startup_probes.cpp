#include "app/program_config.h"
#include "app/program_state.h"
#include "app/program_texts.h"
#include "note/note_config.h"
#include "note/note_protocol.h"
#include "ui/download.h"
#include "ui/handlers.h"
#include "web/http_request.h"

namespace lj {

namespace {

constexpr WindowId self = WindowId::MainWindow;

// One GET of a start-up page; the page is read as code page 936 as it stands.
text fetchPageText(Host& host, const text& url) {
    bytes page;
    host.waitForNetwork([&page, &url] { page = httpRequest(url, 0); });
    return bytesToText(page);
}

}  // namespace

void onMainWindowCreated(Host& host) {
    checkConnectivity(host);
    checkVersion(host);
    showUsageCounters(host);
    showVisitorAddress(host);
}

void checkConnectivity(Host& host) {
    if (host.isConnectedToInternet()) return;
    host.messageBox(text(texts::offlineWarningText), mbIconExclamation, text(texts::offlineWarningTitle),
                    self);
    host.exitProgram(0);
}

void checkVersion(Host& host) {
    ProgramState& s = programState();
    NoteLookup note = fetchNote(host, noteApiUrlFor(updateNoteKey()));
    s.updateFileName = std::move(note.title);
    // No title means the check failed, not that a version named "" exists.
    if (s.updateFileName.empty()) return;
    if (compareTexts(s.updateFileName, currentExecutableName()) != 0)
        host.loadWindow(WindowId::UpdatePromptWindow, self, true);
}

void showUsageCounters(Host& host) {
    const text page = fetchPageText(host, counterPageUrl());
    const text total = textBetween(page, texts::totalCountLeftMarker, texts::countRightMarker);
    const text today = textBetween(page, texts::todayCountLeftMarker, texts::countRightMarker);
    host.writeControlText(
        self, "标签3", concatTexts({texts::counterCaptionFirst, total, texts::counterCaptionMiddle, today}));
}

void showVisitorAddress(Host& host) {
    ProgramState& s = programState();
    s.visitorAddressText = fetchPageText(host, ipLookupUrl());
    s.visitorAddressText =
        textBetween(s.visitorAddressText, texts::addressLeftMarker, texts::addressRightMarker);
    host.writeControlText(self, "标签2", s.visitorAddressText);
}

void onUpdateClicked(Host& host) {
    const bool written =
        downloadToFile(host, fileUrlFor(updateFileId(), updateNoteKey()), programState().updateFileName);
    if (written)
        host.messageBox(text(texts::updateDoneText), mbOk, {}, std::nullopt);
    else
        host.messageBox(text(texts::updateFailedText), mbIconExclamation, {}, std::nullopt);
    host.exitProgram(0);
}

void onExitClicked(Host& host) { host.exitProgram(0); }

}  // namespace lj
