#include "app/scripted_host.h"

#include <fstream>

#include "app/file_names.h"
#include "app/program_config.h"
#include "app/program_main.h"
#include "app/program_state.h"
#include "text/charset.h"
#include "ui/design.h"

namespace lj::testing {

namespace {

bool sameState(const ProgramState& a, const ProgramState& b) {
    return a.updateFileName == b.updateFileName && a.visitorAddressText == b.visitorAddressText &&
           a.shareKey == b.shareKey && a.noteApiUrl == b.noteApiUrl && a.noteReply == b.noteReply &&
           a.fileName == b.fileName && a.fileId == b.fileId && a.directLink == b.directLink;
}

const ControlDesign* findControl(WindowId window, const char* control) {
    for (const ControlDesign& c : windowDesign(window).controls)
        if (std::string(c.name) == control) return &c;
    return nullptr;
}

std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string windowName(WindowId window) { return windowDesign(window).name; }

Action type(const char* control, const text& value) {
    return [control, value](ScriptedHost& h) { h.userType(h.playingWindow(), control, value); };
}
Action click(const char* control) {
    return [control](ScriptedHost& h) { h.userClick(h.playingWindow(), control); };
}
Action chooseMenuItem(int index) {
    return [index](ScriptedHost& h) { h.userChooseMenuItem(h.playingWindow(), index); };
}
Action pressEsc() {
    return [](ScriptedHost& h) { h.userPressEsc(h.playingWindow()); };
}
Action closeBox() {
    return [](ScriptedHost& h) { h.userCloseBox(h.playingWindow()); };
}

ScriptedHost::ScriptedHost(std::filesystem::path folder) : folder_(std::move(folder)) {}

void ScriptedHost::whenOpened(WindowId window, Script script) {
    scripts_[window].push_back(std::move(script));
}

void ScriptedHost::whenMessageBox(std::function<void(ScriptedHost&, const ShownMessageBox&)> observer) {
    boxObserver_ = std::move(observer);
}

int ScriptedHost::run() {
    try {
        const int code = programMain(*this);
        events.push_back("return");
        runExitRoutines();
        exitCode = code;
    } catch (const ProgramExited&) {
        // exitProgram recorded the code and ran the exit routines.
    }
    for (const auto& [id, w] : windows_)
        if (w.open) faults.push_back("window still open at the end: " + windowName(id));
    return exitCode.value_or(-1);
}

// ---- Observations ------------------------------------------------------------

text ScriptedHost::controlText(WindowId window, const char* control) const {
    auto w = windows_.find(window);
    if (w == windows_.end()) return {};
    auto t = w->second.texts.find(control);
    return t == w->second.texts.end() ? text() : t->second;
}

bool ScriptedHost::isOpen(WindowId window) const {
    auto w = windows_.find(window);
    return w != windows_.end() && w->second.open;
}

int ScriptedHost::timesOpened(WindowId window) const {
    auto w = windows_.find(window);
    return w == windows_.end() ? 0 : w->second.opened;
}

int ScriptedHost::scriptsLeft() const {
    int n = 0;
    for (const auto& [id, list] : scripts_) n += static_cast<int>(list.size());
    return n;
}

std::filesystem::path ScriptedHost::pathOf(const text& fileName) const {
    return folder_ / utf8Path(ansiToUtf8(fileName));
}

int ScriptedHost::indexOf(const std::string& event) const {
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i] == event) return static_cast<int>(i);
    return -1;
}

bool ScriptedHost::wasShownBefore(WindowId window, const std::string& event) const {
    const int shown = indexOf("show " + windowName(window));
    const int other = indexOf(event);
    return shown >= 0 && (other < 0 || shown < other);
}

// ---- User actions --------------------------------------------------------------

void ScriptedHost::userType(WindowId window, const char* control, const text& value) {
    const ControlDesign* c = findControl(window, control);
    if (!c || c->kind != ControlKind::EditBox) {
        faults.push_back(std::string("script types into no edit box: ") + control);
        return;
    }
    if (isOpen(window) && windows_[window].enabled) windows_[window].texts[control] = value;
}

void ScriptedHost::userClick(WindowId window, const char* control) {
    const ControlDesign* c = findControl(window, control);
    if (!c || !c->onClicked) {
        faults.push_back(std::string("script clicks no button: ") + control);
        return;
    }
    if (isOpen(window) && windows_[window].enabled) c->onClicked(*this);
}

void ScriptedHost::userChooseMenuItem(WindowId window, int index) {
    const auto& items = windowDesign(window).menuItems;
    if (index < 0 || index >= static_cast<int>(items.size())) {
        faults.push_back("script chooses no menu item");
        return;
    }
    if (isOpen(window) && windows_[window].enabled) items[index].onSelected(*this);
}

void ScriptedHost::userPressEsc(WindowId window) {
    if (isOpen(window) && windowDesign(window).escCloses) close(window);
}

void ScriptedHost::userCloseBox(WindowId window) {
    if (isOpen(window) && windowDesign(window).closeBox) close(window);
}

void ScriptedHost::play(WindowId window) {
    auto& queue = scripts_[window];
    if (!queue.empty()) {
        Script script = std::move(queue.front());
        queue.erase(queue.begin());
        playing_.push_back(window);
        for (const Action& act : script) {
            if (!isOpen(window)) break;  // the window is gone: the rest of its script cannot happen
            act(*this);
        }
        playing_.pop_back();
    }
    if (isOpen(window)) close(window);  // the user is done with it
}

void ScriptedHost::close(WindowId window) {
    windows_[window].open = false;
    events.push_back("close " + windowName(window));
}

// ---- Host: start-up ----------------------------------------------------------

void ScriptedHost::initialiseHost() {
    initialised_ = true;
    events.push_back("initialiseHost");
}

void ScriptedHost::registerExitRoutine(void (*routine)()) {
    for (auto r : exitRoutines_)
        if (r == routine) return;
    exitRoutines_.push_back(routine);
}

void ScriptedHost::runExitRoutines() {
    if (exitRoutinesDone_) {
        faults.push_back("the program ended twice");
        return;
    }
    exitRoutinesDone_ = true;
    for (auto routine : exitRoutines_) {
        ++exitRoutineCalls;
        routine();
    }
}

void ScriptedHost::runMessageLoop() {
    if (isOpen(WindowId::MainWindow)) play(WindowId::MainWindow);
}

// ---- Host: windows -----------------------------------------------------------

bool ScriptedHost::loadWindow(WindowId window, std::optional<WindowId> owner, bool modal) {
    if (!initialised_) faults.push_back("window loaded before initialiseHost");
    if (waiting_) faults.push_back("window loaded during a network wait");
    if (owner && !isOpen(*owner)) return false;
    if (isOpen(window)) faults.push_back("a second instance of " + windowName(window));

    const WindowDesign& design = windowDesign(window);
    WindowState& w = windows_[window];
    w.open = true;
    w.enabled = true;
    ++w.opened;
    w.texts.clear();
    for (const ControlDesign& c : design.controls) w.texts[c.name] = c.textWhenBuilt;
    events.push_back("open " + windowName(window));
    if (design.onCreated) design.onCreated(*this);
    events.push_back("show " + windowName(window));
    if (!modal) return true;

    std::map<WindowId, bool> former;
    for (auto& [id, other] : windows_)
        if (id != window && other.open) {
            former[id] = other.enabled;
            other.enabled = false;
        }
    play(window);
    for (auto& [id, enabled] : former) windows_[id].enabled = enabled;
    return true;
}

int ScriptedHost::messageBox(const text& message, int style, const text& title,
                             std::optional<WindowId> owner) {
    if (waiting_) faults.push_back("message box during a network wait");
    if (owner && !isOpen(*owner)) faults.push_back("message box owned by a closed window");
    messageBoxes.push_back({message, style, title, owner});
    events.push_back("box " + ansiToUtf8(message));
    if (boxObserver_) boxObserver_(*this, messageBoxes.back());
    return 1;  // IDOK
}

bool ScriptedHost::hasControl(WindowId window, const char* control) {
    if (findControl(window, control)) return true;
    faults.push_back("no control " + std::string(control) + " in " + windowName(window));
    return false;
}

text ScriptedHost::readControlText(WindowId window, const char* control) {
    if (!hasControl(window, control) || !isOpen(window)) return {};
    return windows_[window].texts[control];
}

void ScriptedHost::writeControlText(WindowId window, const char* control, const text& value) {
    if (!hasControl(window, control) || !isOpen(window)) return;
    windows_[window].texts[control] = value;
}

// ---- Host: clipboard, files, browser -------------------------------------------

text ScriptedHost::getClipboardText() { return clipboard; }

bool ScriptedHost::setClipboardText(const text& value) {
    if (clipboardRefuses) return false;
    clipboard = value;
    return true;
}

bool ScriptedHost::writeBytesToFile(const text& fileName, const bytes& data) {
    // The same rules as the real hosts: a bare name only, and the target is
    // replaced only once the whole file has been written beside it.
    if (!isBareFileName(fileName, true)) return false;
    const std::filesystem::path target = pathOf(fileName);
    if (target.parent_path() != folder_) {
        faults.push_back("write outside the executable's folder");
        return false;
    }
    const std::filesystem::path temp = folder_ / (".lj-write-" + std::to_string(++tempCounter_) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temp);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {  // some platforms refuse to rename over an existing file
        std::filesystem::remove(target, ec);
        std::filesystem::rename(temp, target, ec);
    }
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    filesWritten.push_back(fileName);
    return true;
}

void ScriptedHost::openUrlInBrowser(const text& url) { urlsOpened.push_back(url); }

// ---- Host: network -------------------------------------------------------------

bytes ScriptedHost::httpGetBytes(const text& url, DownloadOutcome* outcome) {
    downloadUrls.push_back(url);
    bytes body;
    waitForNetwork([&] { body = lj::httpGetBytes(url, outcome); });
    return body;
}

bool ScriptedHost::isConnectedToInternet() {
    bool connected = false;
    waitForNetwork([&] { connected = lj::isConnectedToInternet(checkPageUrl()); });
    return connected;
}

void ScriptedHost::waitForNetwork(const std::function<void()>& work) {
    if (waiting_) faults.push_back("nested network wait");
    ++networkWaits;
    // A real host may run `work` on another thread: it must leave the slots alone.
    const ProgramState before = programState();
    waiting_ = true;
    work();
    waiting_ = false;
    if (!sameState(before, programState())) faults.push_back("a slot was written during a network wait");
}

[[noreturn]] void ScriptedHost::exitProgram(int code) {
    if (waiting_) faults.push_back("exitProgram during a network wait");
    events.push_back("exit " + std::to_string(code));
    exitCode = code;
    runExitRoutines();
    for (auto& [id, w] : windows_) w.open = false;  // the process ends with its windows
    throw ProgramExited{code};
}

}  // namespace lj::testing
