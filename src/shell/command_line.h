#pragma once
// The main program's command line for the copy that already runs:
// --group NAME, --list, --status, --quit; and, with or without a running
// copy, --export FILE, --import FILE and --help. The request travels over the
// running copy's local channel as one line of JSON; the channel's older
// one-word requests ("close", "tooltip") stay as they are.
//
// Qt's own options (-platform xcb, -style NAME, ...) may come before or
// between them; they are Qt's, here as when the program starts.
//
// Exit status: 0 done, 1 no running copy (or it did not answer), 2 unknown
// option or group (or a group --export left out, a file --import refused), 3
// the running copy waits for an answer in a question or alert box, 4 the
// running copy was asked to end but still runs, 5 a place the group goes to
// failed (--status), 6 the organisation sets the active group (--group).

#include <QString>
#include <QStringList>

namespace varnel {

class Program;

// Whether the arguments (without the program's own path) are options for
// the running copy: the first one that is not Qt's starts with "-". The
// switch words "loggaren" and "deletereg" and any other text start the program.
bool isCommandForRunningCopy(const QStringList& arguments);

// Sends the command to the running copy, prints its result and returns the
// exit status. Needs a QCoreApplication, no display.
int runCommandForRunningCopy(const QStringList& arguments);

// The running copy's answer to one request line of JSON; an empty text when
// the line is no such request. A quit ends the program the normal way, after
// the answer has gone out.
QString answerCommand(const QString& request, Program& program);

}  // namespace varnel
