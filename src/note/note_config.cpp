#include "note/note_config.h"

#include "lj_config.h"

namespace lj {

// Function-local statics: other translation units may ask during their own
// static initialisation (the window designs do).
const text& noteServiceBase() {
    static const text value = LJ_NOTE_SERVICE_BASE;
    return value;
}

const text& noteApiToken() {
    static const text value = LJ_NOTE_API_TOKEN;
    return value;
}

const text& shareLinkPrefix() {
    static const text value = noteServiceBase() + "/noteshare?id=";
    return value;
}

const text& updateNoteKey() {
    static const text value = LJ_UPDATE_NOTE_KEY;
    return value;
}

const text& updateFileId() {
    static const text value = LJ_UPDATE_FILE_ID;
    return value;
}

const text& shortLinkNoteKey() {
    static const text value = LJ_SHORTLINK_NOTE_KEY;
    return value;
}

const text& shortLinkFileId() {
    static const text value = LJ_SHORTLINK_FILE_ID;
    return value;
}

const text& tutorialShareKey() {
    static const text value = LJ_TUTORIAL_SHARE_KEY;
    return value;
}

const text& tutorialFileId() {
    static const text value = LJ_TUTORIAL_FILE_ID;
    return value;
}

}  // namespace lj
