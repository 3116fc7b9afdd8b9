#include "app/program_config.h"
#include "app/program_texts.h"
#include "note/note_config.h"
#include "note/note_protocol.h"
#include "ui/download.h"
#include "ui/handlers.h"

namespace lj {

bool downloadToFile(Host& host, const text& url, const text& fileName) {
    DownloadOutcome outcome;
    const bytes body = host.httpGetBytes(url, &outcome);
    const bool whole = outcome.complete && outcome.status >= 200 && outcome.status < 300;
    return whole && host.writeBytesToFile(fileName, body);
}

void onAboutAuthorSelected(Host& host) {
    host.loadWindow(WindowId::DonateWindow, WindowId::MainWindow, true);
}

void onShortLinkDownloadSelected(Host& host) {
    const NoteLookup note = fetchNote(host, noteApiUrlFor(shortLinkNoteKey()));
    const bool written = downloadToFile(host, fileUrlFor(shortLinkFileId(), shortLinkNoteKey()), note.title);
    if (written)
        host.messageBox(text(texts::downloadDoneText), mbOk, {}, std::nullopt);
    else
        host.messageBox(text(texts::downloadFailedText), mbIconExclamation, {}, std::nullopt);
}

void onTutorialSelected(Host& host) {
    host.openUrlInBrowser(fileUrlFor(tutorialFileId(), tutorialShareKey()));
}

void onCopyAddressClicked(Host& host) {
    // Say so when the clipboard refused the address instead of claiming it is there.
    if (host.setClipboardText(feedbackEmail()))
        host.messageBox(text(texts::addressCopiedText), mbOk, text(texts::addressCopiedTitle), std::nullopt);
    else
        host.messageBox(text(texts::copyFailedText), mbIconExclamation, text(texts::addressCopiedTitle),
                        std::nullopt);
}

}  // namespace lj
