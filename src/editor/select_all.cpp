#include "editor/select_all.h"

#include <QLineEdit>

#include "core/log.h"

namespace varnel {

void selectAllText(QLineEdit& box) {
    guarded("SelAll", [&] {
        const int length = static_cast<int>(box.text().size());
        if (length != 0) box.setSelection(0, length);
    });
}

}  // namespace varnel
