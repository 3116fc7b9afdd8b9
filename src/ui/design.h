// The four windows as data. Both hosts render these tables; no layout number
// lives in host code.
#pragma once

#include <optional>
#include <vector>

#include "app/host.h"
#include "text/text.h"

namespace lj {

using Handler = void (*)(Host& host);

struct Rgb {
    unsigned char r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ControlKind { Label, EditBox, Button, PictureBox };
enum class Pointer { Arrow, Hand };
enum class Background { ButtonFace, White };
enum class Frame { FixedSingle, None };

// Character height in pixels (a Windows font height of -pixelHeight) and
// weight, in the system's default face with character set 134; or the stock
// DEFAULT_GUI_FONT.
struct FontDesign {
    int pixelHeight = 0;
    int weight = 400;
    bool systemGuiFont = false;
};

struct ControlDesign {
    const char* name;  // as designed, UTF-8: "编辑框1"
    ControlKind kind;
    int x, y, width, height;  // client-area pixels
    text textWhenBuilt;       // code page 936
    FontDesign font;
    Rgb textColour{0, 136, 255};
    // Labels are drawn over it transparently; edit boxes are white.
    Background background = Background::ButtonFace;
    Pointer pointer = Pointer::Arrow;
    Handler onClicked = nullptr;
    // UpdatePromptWindow's 标签1: an 8-pixel frame shaded through these colours.
    std::vector<Rgb> shadedFrame{};
    int shadedFrameWidth = 0;
    // Picture boxes: the picture, stretched to the box without keeping its proportions.
    const char* pictureResource = nullptr;  // "donate.png"
};

struct MenuItemDesign {
    text caption;  // code page 936
    Handler onSelected;
};

struct WindowDesign {
    WindowId id;
    const char* name;             // "MainWindow"
    text caption;                 // code page 936; empty for UpdatePromptWindow
    int outerWidth, outerHeight;  // frame, caption and menu bar included
    Frame frame = Frame::FixedSingle;
    bool closeBox = true;
    bool minimizeBox = true;
    bool maximizeBox = false;
    bool taskbarButton = false;
    bool escCloses = true;
    Background background = Background::ButtonFace;
    bool ownIcon = false;  // the program icon; the others have none of their own
    text menuCaption;      // empty: no menu bar
    std::vector<MenuItemDesign> menuItems;
    std::vector<ControlDesign> controls;
    Handler onCreated = nullptr;
};

const WindowDesign& windowDesign(WindowId id);
const std::vector<const WindowDesign*>& allWindowDesigns();

}  // namespace lj
