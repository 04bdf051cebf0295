#include "fake_window.h"

#include <cstdint>
#include <new>
#include <thread>
#include <vector>

#include "numeric/frame_hash.h"

namespace quorvel {

struct DesktopWindow {
    std::vector<uint32_t> shared[kMaxSharedFrames];
    std::vector<WindowEvent> gathered;
    size_t next = 0;
};

namespace {

FakeDesktop desktop;

}  // namespace

FakeDesktop& fakeDesktop() { return desktop; }

void resetFakeDesktop() { desktop = FakeDesktop{}; }

bool openDisplay(Desktop& found, std::string& error) {
    error = desktop.displayError;
    found.screen = desktop.screen;
    found.usable = desktop.usable.width == 0 ? ScreenRect{0, 0, desktop.screen.width, desktop.screen.height}
                                             : desktop.usable;
    return error.empty();
}

DesktopWindow* openWindow(const ScreenRect& client, const char*, bool fullscreen, std::string& error) {
    error = desktop.windowError;
    if (!error.empty()) return nullptr;
    ++desktop.windowsOpened;
    desktop.opened = client;
    desktop.openedFullscreen = fullscreen;
    return new DesktopWindow;
}

WindowFrame windowFrame(DesktopWindow&) { return desktop.frame; }

bool placeWindow(DesktopWindow& window, const ScreenRect& client, std::string& error) {
    error = desktop.placeError;
    if (!error.empty()) return false;
    desktop.placed = client;
    for (int i = 0; i < desktop.sharedFramesOffered; ++i)
        window.shared[i].resize(size_t(client.width) * size_t(client.height));
    return true;
}

int sharedFrames(DesktopWindow& window, uint32_t* (&frames)[kMaxSharedFrames]) {
    for (int i = 0; i < desktop.sharedFramesOffered; ++i) frames[i] = window.shared[i].data();
    return desktop.sharedFramesOffered;
}

bool awaitSharedFrame(DesktopWindow&, int index, bool& free, std::string&) {
    desktop.sharedFramesAwaited.push_back(index);
    std::this_thread::sleep_for(desktop.awaitTakes);
    free = desktop.heldAwaits == 0;
    if (!free) --desktop.heldAwaits;
    return true;
}

void awaitRefresh(DesktopWindow&) { ++desktop.refreshesAwaited; }

bool present(DesktopWindow& window, const uint32_t* pixels, int width, int height, const ChangedArea&,
             std::string& error) {
    if (desktop.presentThrows) throw std::bad_alloc();
    if (desktop.presents == desktop.presentFailsAfter) {
        error = "the window was destroyed by another program";
        return false;
    }
    ++desktop.presents;
    int which = -1;
    for (int i = 0; i < desktop.sharedFramesOffered; ++i) {
        if (pixels == window.shared[i].data()) which = i;
    }
    desktop.framesPresented.push_back(which);
    desktop.hashesPresented.push_back(frameHash(pixels, width, height));
    desktop.presentedSize = {width, height};
    return true;
}

// One burst arrives at each gathering, whole.
void gatherEvents(DesktopWindow& window) {
    window.gathered.clear();
    window.next = 0;
    if (desktop.eventBursts.empty()) return;
    window.gathered = desktop.eventBursts.front();
    desktop.eventBursts.pop_front();
}

bool nextEvent(DesktopWindow& window, WindowEvent& event) {
    if (window.next == window.gathered.size()) return false;
    event = window.gathered[window.next++];
    return true;
}

void sleepMilliseconds(int) { ++desktop.sleeps; }

void sleepUntil(std::chrono::steady_clock::time_point deadline) { desktop.sleptUntil.push_back(deadline); }

void showError(const char*) { ++desktop.errorBoxes; }

void closeWindow(DesktopWindow* window) {
    delete window;
    ++desktop.displaysClosed;
}

}  // namespace quorvel
