#include "app/program_config.h"
#include "app/program_texts.h"
#include "ui/design.h"
#include "ui/handlers.h"

namespace lj {

namespace {

constexpr Rgb labelBlue{0, 136, 255};
constexpr Rgb promptBlue{0, 96, 192};
constexpr FontDesign px12Bold{12, 700};
constexpr FontDesign px14Regular{14, 400};
constexpr FontDesign px14Bold{14, 700};
constexpr FontDesign px16Regular{16, 400};
constexpr FontDesign px16Bold{16, 700};
constexpr FontDesign guiFont{0, 400, true};

ControlDesign label(const char* name, int x, int y, int w, int h, std::string_view caption, FontDesign font) {
    return {.name = name,
            .kind = ControlKind::Label,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .textWhenBuilt = text(caption),
            .font = font,
            .textColour = labelBlue};
}

ControlDesign editBox(const char* name, int x, int y, int w, int h, FontDesign font) {
    return {.name = name,
            .kind = ControlKind::EditBox,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .textWhenBuilt = {},
            .font = font,
            .textColour = labelBlue,
            .background = Background::White};
}

ControlDesign button(const char* name, int x, int y, int w, int h, std::string_view caption, FontDesign font,
                     Handler onClicked, Pointer pointer = Pointer::Arrow) {
    return {.name = name,
            .kind = ControlKind::Button,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .textWhenBuilt = text(caption),
            .font = font,
            .pointer = pointer,
            .onClicked = onClicked};
}

WindowDesign mainWindow() {
    return {
        .id = WindowId::MainWindow,
        .name = "MainWindow",
        .caption = text(texts::mainWindowCaption),
        .outerWidth = 579,
        .outerHeight = 186,
        .taskbarButton = true,
        .ownIcon = true,
        .menuCaption = text(texts::aboutMenuCaption),
        .menuItems = {{text(texts::aboutAuthorItem), onAboutAuthorSelected},
                      {text(texts::shortLinkDownloadItem), onShortLinkDownloadSelected},
                      {text(texts::tutorialItem), onTutorialSelected}},
        .controls = {label("标签1", 4, 21, 64, 32, texts::shareLinkLabel, px14Bold),
                     editBox("编辑框1", 69, 25, 415, 24, px14Regular),
                     button("按钮1", 484, 21, 80, 32, texts::pasteButtonCaption, guiFont, onPasteClicked,
                            Pointer::Hand),
                     button("按钮2", 221, 65, 92, 23, texts::fetchButtonCaption, px16Regular, onFetchClicked,
                            Pointer::Hand),
                     label("标签3", 3, 88, 573, 27, "", px12Bold),
                     label("标签2", 3, 107, 489, 32, "", px12Bold)},
        .onCreated = onMainWindowCreated,
    };
}

WindowDesign directLinkWindow() {
    return {
        .id = WindowId::DirectLinkWindow,
        .name = "DirectLinkWindow",
        .caption = text(texts::directLinkWindowCaption),
        .outerWidth = 604,
        .outerHeight = 113,
        .controls = {editBox("编辑框1", 11, 13, 485, 24, px14Regular),
                     button("按钮1", 505, 8, 88, 32, texts::copyLinkButtonCaption, guiFont,
                            onCopyLinkClicked),
                     editBox("编辑框2", 11, 54, 485, 24, px14Regular),
                     button("按钮2", 504, 48, 88, 32, texts::copyFileNameButtonCaption, guiFont,
                            onCopyFileNameClicked)},
        .onCreated = onDirectLinkWindowCreated,
    };
}

WindowDesign updatePromptWindow() {
    // 标签1 covers the whole window and lies under the others: its shaded
    // frame is the window's visible border.
    ControlDesign frameLabel = label("标签1", 0, 0, 384, 168, "", px12Bold);
    frameLabel.background = Background::White;
    frameLabel.shadedFrame = {{255, 0, 255}, {0, 255, 255}, {255, 0, 255}};
    frameLabel.shadedFrameWidth = 8;
    ControlDesign promptLabel = label("标签2", 83, 32, 232, 32, texts::updatePromptText, px16Bold);
    promptLabel.textColour = promptBlue;
    promptLabel.background = Background::White;
    return {
        .id = WindowId::UpdatePromptWindow,
        .name = "UpdatePromptWindow",
        .caption = {},
        .outerWidth = 384,
        .outerHeight = 168,
        .frame = Frame::None,
        .closeBox = false,
        .minimizeBox = false,
        .background = Background::White,
        .controls = {frameLabel, promptLabel,
                     button("按钮1", 64, 96, 72, 32, texts::yesButtonCaption, px14Bold, onUpdateClicked),
                     button("按钮2", 232, 97, 72, 32, texts::noButtonCaption, px14Bold, onExitClicked)},
    };
}

WindowDesign donateWindow() {
    ControlDesign picture{.name = "图片框1",
                          .kind = ControlKind::PictureBox,
                          .x = -3,
                          .y = 21,
                          .width = 208,
                          .height = 232,
                          .textWhenBuilt = {},
                          .font = {},
                          .pictureResource = "donate.png"};
    return {
        .id = WindowId::DonateWindow,
        .name = "DonateWindow",
        .caption = text(texts::donateWindowCaption),
        .outerWidth = 213,
        .outerHeight = 311,
        .controls = {label("标签1", 23, -1, 152, 24,
                           concatTexts({texts::authorContactPrefix, authorContact()}), px16Regular),
                     picture,
                     button("按钮1", 39, 254, 136, 24, texts::copyAddressButtonCaption, guiFont,
                            onCopyAddressClicked)},
    };
}

}  // namespace

const std::vector<const WindowDesign*>& allWindowDesigns() {
    static const WindowDesign designs[] = {mainWindow(), directLinkWindow(), updatePromptWindow(),
                                           donateWindow()};
    static const std::vector<const WindowDesign*> all{&designs[0], &designs[1], &designs[2], &designs[3]};
    return all;
}

const WindowDesign& windowDesign(WindowId id) {
    for (const WindowDesign* design : allWindowDesigns())
        if (design->id == id) return *design;
    return *allWindowDesigns().front();  // unreachable: every id has a design
}

}  // namespace lj
