#pragma once
// The plain system message box (OK only), used where the programs cannot
// rely on their skin: the second-copy notice and the updater's messages.
//
// With the environment variable VARNEL_MESSAGE_LOG set to a file, the box is
// not shown: its title and text are appended to that file as one line
// ("title|text", line breaks as "\n") and the call returns as if OK was
// pressed. Automated runs of the real programs use this; nothing waits for
// a person then.

#include <QString>

class QWidget;

namespace varnel {

void showSystemMessage(const QString& title, const QString& text, QWidget* parent = nullptr);

}  // namespace varnel
