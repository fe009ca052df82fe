#pragma once
// The updater's standard message boxes (OK only).
//
// When the environment variable VARNEL_MESSAGE_BOX_LOG names a file, no box
// is shown: the text is appended to that file, followed by a line "--", and
// the box counts as closed with OK. Test runs set it so that no run of the
// updater waits on a box nobody can close.

#include <QString>

namespace varnel::updater {

void messageBox(const QString& text);

}  // namespace varnel::updater
