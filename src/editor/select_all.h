#pragma once

class QLineEdit;

namespace varnel {

// Selects the whole text of a text box; an empty box is left alone.
void selectAllText(QLineEdit& box);

}  // namespace varnel
