#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <memory>

// The recovery copy of the running window's analysis. Each running program holds one of a few
// numbered slots in the recovery folder by a lock file. A slot whose program died (a crash, a
// kill) can be locked again, and the copy it left behind is offered to the next program.
class AnalysisRecovery {
public:
    explicit AnalysisRecovery(const QString& folder);
    ~AnalysisRecovery();
    AnalysisRecovery(const AnalysisRecovery&) = delete;
    AnalysisRecovery& operator=(const AnalysisRecovery&) = delete;

    // False when no slot could be taken (folder not writable, all slots in use).
    bool held() const { return m_own.lock != nullptr; }
    // Writes this program's copy atomically, with the analysis file it belongs to (empty for
    // one never saved); false when it could not be written.
    bool write(const QByteArray& json, const QString& origin);
    // The work is saved or given up: this program's copy goes.
    void clear() { m_own.removeFiles(); }

    // A copy left by a program that is gone: its path, origin and time; empty path when none.
    // The slot stays locked until leftOver_done, so no other program offers the same copy.
    struct LeftOver {
        QString copy;
        QString origin;
        QDateTime written;
    };
    LeftOver leftOver_find();
    // The left-over copy was recovered or declined: it goes, and its slot is free.
    void leftOver_done();

private:
    struct Slot {
        std::unique_ptr<QLockFile> lock;
        QString copy, origin;
        void removeFiles() const;
    };
    Slot slotAt(int n) const;
    QString m_folder;
    Slot m_own;
    Slot m_foreign;
};
