#pragma once
// Tells when the organisation's policy may have changed, without polling:
// on Linux the policy folders along $XDG_CONFIG_DIRS (a finished write, a
// file renamed into place or removed, a Varnel folder made or removed); on
// Windows Software\Policies of the computer and of the user, subtree and all.

#include <QObject>
#include <memory>

namespace varnel {

class PolicyWatch : public QObject {
    Q_OBJECT
public:
    PolicyWatch();
    ~PolicyWatch() override;

signals:
    // Something under the policy's places changed: read the policy again.
    void changed();

private:
    struct Watches;
    std::unique_ptr<Watches> watches_;
};

}  // namespace varnel
