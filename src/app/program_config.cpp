#include "app/program_config.h"

#include "lj_config.h"
#include "text/charset.h"

namespace lj {

const text& currentExecutableName() {
    // Configured in UTF-8 (it is also the executable's file name); compared in 936.
    static const text value = utf8ToAnsi(LJ_EXECUTABLE_NAME_UTF8);
    return value;
}

const text& counterPageUrl() {
    static const text value = LJ_COUNTER_PAGE_URL;
    return value;
}

const text& ipLookupUrl() {
    static const text value = LJ_IP_LOOKUP_URL;
    return value;
}

const text& checkPageUrl() {
    static const text value = LJ_CHECK_PAGE_URL;
    return value;
}

const text& feedbackEmail() {
    static const text value = LJ_FEEDBACK_EMAIL;
    return value;
}

const text& authorContact() {
    static const text value = LJ_AUTHOR_CONTACT;
    return value;
}

}  // namespace lj
