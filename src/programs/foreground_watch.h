#pragma once
// Tells which program comes to the front, as it happens and without polling:
// on X11 the root window's _NET_ACTIVE_WINDOW through a connection of our
// own; on Windows the system's foreground and focus events.

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "programs/program_bindings.h"

namespace varnel {

class ForegroundWatch : public QObject {
    Q_OBJECT
public:
    ForegroundWatch();
    ~ForegroundWatch() override;

    // False where the platform does not tell other programs which window is
    // active (a Wayland session, even with this program on XWayland).
    bool available() const { return available_; }

    // The programs that have a window open now, each by its executable's
    // file name, without this program; sorted.
    std::vector<std::string> programsWithWindows() const;

    // The platform's part (public only for the system's callbacks).
    struct Watch;

signals:
    // Another program, or the same one again after a leave-alone window.
    void programInFront(const ProgramInFront& program);

private:
    std::unique_ptr<Watch> watch_;
    bool available_ = false;
};

}  // namespace varnel
