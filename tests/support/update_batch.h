#pragma once
// Pressing the update window's Update button and waiting for its batch.

#include <QObject>

#include "support/spin.h"
#include "update/frm_update.h"

namespace varnel::test {

// True when the batch ended (in place, rolled back or handed over) in time.
inline bool pressUpdateAndWait(frmUpdate& window, int timeoutMs = 60000) {
    bool ended = false;
    const QMetaObject::Connection done = QObject::connect(&window, &frmUpdate::batchEnded, [&] { ended = true; });
    emit window.btnUpdate->Click();
    const bool inTime = spinUntil([&] { return ended; }, timeoutMs);
    QObject::disconnect(done);
    return inTime;
}

}  // namespace varnel::test
