#include "policy/policy_watch.h"

#include <windows.h>

#include <QWinEventNotifier>
#include <vector>

namespace varnel {

namespace {

// Group Policy rewrites its keys on each refresh and our key is usually not
// there at the start: the whole of Software\Policies is watched (or, where
// even that is missing, Software).
HKEY openWatched(HKEY hive) {
    for (const wchar_t* path : {L"Software\\Policies", L"Software"}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(hive, path, 0, KEY_NOTIFY, &key) == ERROR_SUCCESS) return key;
    }
    return nullptr;
}

constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

}  // namespace

struct PolicyWatch::Watches {
    struct Hive {
        HKEY key = nullptr;
        HANDLE event = nullptr;
        std::unique_ptr<QWinEventNotifier> notifier;
    };
    std::vector<Hive> hives;

    ~Watches() {
        for (Hive& hive : hives) {
            hive.notifier.reset();
            if (hive.key) RegCloseKey(hive.key);
            if (hive.event) CloseHandle(hive.event);
        }
    }
};

PolicyWatch::PolicyWatch() : watches_(std::make_unique<Watches>()) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        Watches::Hive hive;
        hive.key = openWatched(root);
        hive.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!hive.key || !hive.event ||
            RegNotifyChangeKeyValue(hive.key, TRUE, kChanges, hive.event, TRUE) != ERROR_SUCCESS) {
            if (hive.key) RegCloseKey(hive.key);
            if (hive.event) CloseHandle(hive.event);
            continue;
        }
        hive.notifier = std::make_unique<QWinEventNotifier>(hive.event);
        HKEY key = hive.key;
        HANDLE event = hive.event;
        connect(hive.notifier.get(), &QWinEventNotifier::activated, this, [this, key, event] {
            // A notification is good for one change: ask for the next before reading.
            RegNotifyChangeKeyValue(key, TRUE, kChanges, event, TRUE);
            emit changed();
        });
        watches_->hives.push_back(std::move(hive));
    }
}

PolicyWatch::~PolicyWatch() = default;

}  // namespace varnel
