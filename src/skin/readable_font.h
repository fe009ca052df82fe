// A readable interface font where the system's dialog font is not installed.
#pragma once

namespace varnel {

// Where the font Windows names for dialogs is missing (Wine without the
// Windows fonts), Qt falls back to the first family it knows, often a
// mathematics face whose line height leaves text boxes blank. Then the
// program's windows use the first installed of the common interface faces,
// at the same size. Call once after the application object exists; nothing
// changes where the dialog font is there.
void useReadableInterfaceFont();

}  // namespace varnel
