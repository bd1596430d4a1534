#pragma once

#include <QString>

// A file written under a temporary name beside its target and renamed onto the target only
// when it is complete, so a failed or cancelled write never destroys a file that was there.
// Whatever was not committed is removed when the object goes.
class SafeTarget {
public:
    SafeTarget() = default;
    ~SafeTarget() { discard(); }
    SafeTarget(const SafeTarget&) = delete;
    SafeTarget& operator=(const SafeTarget&) = delete;

    // Creates the temporary file beside `target`; a MediaCode (MediaWriteFailed when the folder
    // does not take files, MediaBadArgument for an empty path or a folder as target).
    int create(const QString& target);
    QString target() const { return m_target; }
    QString temporary() const { return m_temporary; }
    bool isActive() const { return !m_temporary.isEmpty(); }

    // Moves the temporary file onto the target (replacing it); a MediaCode.
    int commit();
    // Removes the temporary file; the target is left as it was.
    void discard();

private:
    QString m_target;
    QString m_temporary;
};
