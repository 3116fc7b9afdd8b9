#include "app/program_state.h"
#include "app/program_texts.h"
#include "note/note_protocol.h"
#include "ui/handlers.h"

namespace lj {

namespace {
constexpr WindowId self = WindowId::MainWindow;
}

void onPasteClicked(Host& host) {
    // Replaces the whole box, also with "" when the clipboard holds no text.
    host.writeControlText(self, "编辑框1", host.getClipboardText());
}

void onFetchClicked(Host& host) {
    ProgramState& s = programState();
    const text link = host.readControlText(self, "编辑框1");
    s.shareKey = shareKeyOf(link);
    s.noteApiUrl = noteApiUrlFor(s.shareKey);
    if (!isShareLink(host.readControlText(self, "编辑框1"))) {
        host.messageBox(text(texts::badLinkText), mbIconExclamation, text(texts::promptTitle), self);
        return;
    }
    NoteLookup note = fetchNote(host, s.noteApiUrl);
    s.noteReply = std::move(note.reply);
    s.fileName = std::move(note.title);
    s.fileId = fileIdOf(s.noteReply);
    s.directLink = fileUrlFor(s.fileId, s.shareKey);
    // A failed lookup would otherwise show a link without a file id as if it worked.
    if (s.noteReply.empty() || !isFileId(s.fileId)) {
        host.messageBox(text(texts::fetchFailedText), mbIconExclamation, text(texts::promptTitle), self);
        return;
    }
    host.loadWindow(WindowId::DirectLinkWindow, self, true);
}

}  // namespace lj
