#pragma once
// Old copies a download batch left in Temp when the program died before the
// batch ended. The main program looks at them when it starts.

namespace varnel {

// For every backup in Temp: when its file is missing (its replacement never
// arrived; the downloader only ever puts a complete file in place), the
// backup goes back to its place with version '1', as a cancelled batch
// would do; when its file is there, the replacement arrived and the backup
// is dropped, as the batch would have done next. Each one gets an error-log
// line, so a person can see what happened.
void restoreLeftoverBackups();

}  // namespace varnel
