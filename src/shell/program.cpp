#include "shell/program.h"

#include <cstdlib>
#include <cstdio>

#include "skin/message_boxes.h"

namespace varnel {

bool AboutMode = false;

void endProgramNow(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

UpdateWindowHooks& updateWindowHooks() {
    static UpdateWindowHooks hooks;
    return hooks;
}

bool messageBoxShowing() { return frmMsgBox::isShowing() || frmMsgBoxAlert::isShowing(); }

bool messageBoxWaiting() {
    return frmMsgBox::isShowing() || (frmMsgBoxAlert::isShowing() && frmMsgBoxAlert::loaded()->isModal());
}

}  // namespace varnel
