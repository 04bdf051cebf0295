#include "quorvel/shell.h"

namespace quorvel {

void handleWindowEvent(Shell& shell, const WindowEvent& event) {
    switch (event.kind) {
        case WindowEventKind::KeyDown:
            if (event.key == kKeySpace) shell.fullSpeed = !shell.fullSpeed;
            if (event.key == kKeyEscape) shell.quitPosted = true;
            break;
        case WindowEventKind::Destroyed:
            shell.quitPosted = true;
            break;
        case WindowEventKind::Other:
            break;
    }
}

}  // namespace quorvel
