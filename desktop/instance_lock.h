// Instance numbering of running copies: lock files "<product> Instance<i>.lock" in the per-user
// runtime folder, held with flock for the life of the process. The first free number 1..32 is
// this copy's; 33 when all are taken. The object owns the lock and releases it when destroyed.
#pragma once

#include <QString>

namespace desktop {

inline constexpr int kInstanceSlots = 32;

class InstanceLock {
public:
    // folder: where the lock files live (empty: the runtime folder).
    explicit InstanceLock(const QString& product, const QString& folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    int number() const { return m_number; }

private:
    int m_fd = -1;
    int m_number = kInstanceSlots + 1;
};

}  // namespace desktop
