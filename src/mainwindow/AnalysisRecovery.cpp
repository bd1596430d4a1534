#include "mainwindow/AnalysisRecovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
constexpr int kSlots = 8;

bool writeAtomic(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
} // namespace

void AnalysisRecovery::Slot::removeFiles() const
{
    if (!lock)
        return;
    QFile::remove(copy);
    QFile::remove(origin);
}

AnalysisRecovery::Slot AnalysisRecovery::slotAt(int n) const
{
    const QDir dir(m_folder);
    Slot s;
    s.lock = std::make_unique<QLockFile>(dir.filePath(QStringLiteral("slot-%1.lock").arg(n)));
    s.copy = dir.filePath(QStringLiteral("slot-%1.zorvik").arg(n));
    s.origin = dir.filePath(QStringLiteral("slot-%1.origin").arg(n));
    return s;
}

AnalysisRecovery::AnalysisRecovery(const QString& folder) : m_folder(folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    // A free slot without a copy first, so copies left behind stay for the offer.
    for (const bool allowLeftOver : {false, true}) {
        for (int n = 1; n <= kSlots && !m_own.lock; ++n) {
            Slot s = slotAt(n);
            if ((!allowLeftOver && QFile::exists(s.copy)) || !s.lock->tryLock(0))
                continue;
            m_own = std::move(s);
            if (allowLeftOver)
                m_own.removeFiles();
        }
    }
}

AnalysisRecovery::~AnalysisRecovery() = default;

bool AnalysisRecovery::write(const QByteArray& json, const QString& origin)
{
    return held() && writeAtomic(m_own.origin, origin.toUtf8()) && writeAtomic(m_own.copy, json);
}

AnalysisRecovery::LeftOver AnalysisRecovery::leftOver_find()
{
    leftOver_done();
    for (int n = 1; n <= kSlots && held(); ++n) {
        Slot s = slotAt(n);
        if (s.copy == m_own.copy || !QFile::exists(s.copy) || !s.lock->tryLock(0))
            continue;
        QFile origin(s.origin);
        LeftOver found{s.copy, {}, QFileInfo(s.copy).lastModified()};
        if (origin.open(QIODevice::ReadOnly))
            found.origin = QString::fromUtf8(origin.readAll());
        m_foreign = std::move(s);
        return found;
    }
    return {};
}

void AnalysisRecovery::leftOver_done()
{
    m_foreign.removeFiles();
    m_foreign = Slot{};
}
