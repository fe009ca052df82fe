#include "places/single_instance.h"

#include <string>
#include <vector>

#include "core/log.h"
#include "core/program_folder.h"
#include "platform/platform.h"

namespace varnel {

bool anotherCopyRunning() {
    bool result = false;
    int count = 0;
    std::string ownName;
    std::vector<std::string> processes;
    guarded("IsStarted", [&] {
        ownName = programBaseName() + platform::executableSuffix();
        processes = platform::runningProcessNames();
    });
    for (const std::string& name : processes) {
        if (name == ownName) ++count;
        if (count == 2) result = true;
    }
    return result;
}

}  // namespace varnel
