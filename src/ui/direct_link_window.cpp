#include "app/program_state.h"
#include "ui/handlers.h"

namespace lj {

namespace {
constexpr WindowId self = WindowId::DirectLinkWindow;
}

void onDirectLinkWindowCreated(Host& host) {
    host.writeControlText(self, "编辑框1", programState().directLink);
    host.writeControlText(self, "编辑框2", programState().fileName);
}

// The boxes are editable: what the user left in them is what gets copied.
void onCopyLinkClicked(Host& host) { host.setClipboardText(host.readControlText(self, "编辑框1")); }

void onCopyFileNameClicked(Host& host) { host.setClipboardText(host.readControlText(self, "编辑框2")); }

}  // namespace lj
