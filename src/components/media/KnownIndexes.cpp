#include "KnownIndexes.h"

#include "FrameIndex.h"
#include "IndexBuilder.h"

#include <QDateTime>
#include <QFileInfo>
#include <map>
#include <mutex>

namespace {

struct Entry {
    std::weak_ptr<const FrameIndex> index;
    std::weak_ptr<IndexBuilder> builder;
};

std::mutex& lock()
{
    static std::mutex m;
    return m;
}

std::map<QString, Entry>& entries()
{
    static std::map<QString, Entry> e;
    return e;
}

// Empty for a file that is not there: nothing is shared for it.
QString keyOf(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    return canonical + QLatin1Char('\n') + QString::number(info.size()) + QLatin1Char('\n')
         + QString::number(info.lastModified().toMSecsSinceEpoch());
}

// Called with the lock held: forgets the files no source uses any more.
void prune()
{
    auto& all = entries();
    for (auto it = all.begin(); it != all.end();)
        it = it->second.index.expired() && it->second.builder.expired() ? all.erase(it) : std::next(it);
}

} // namespace

KnownIndexes::Found KnownIndexes::find(const QString& path)
{
    const QString key = keyOf(path);
    if (key.isEmpty())
        return {};
    std::shared_ptr<IndexBuilder> builder;
    {
        std::lock_guard guard(lock());
        const auto it = entries().find(key);
        if (it == entries().end())
            return {};
        if (auto index = it->second.index.lock())
            return {std::move(index), nullptr};
        builder = it->second.builder.lock();
    }
    // A build that ended without an index of the whole file is not one to join.
    if (builder && builder->state().finished)
        builder.reset();
    return {nullptr, std::move(builder)};
}

void KnownIndexes::addIndex(const QString& path, std::shared_ptr<const FrameIndex> index)
{
    const QString key = keyOf(path);
    if (key.isEmpty() || !index)
        return;
    std::lock_guard guard(lock());
    prune();
    Entry& e = entries()[key];
    e.index = std::move(index);
    e.builder.reset();
}

void KnownIndexes::addBuilder(const QString& path, const std::shared_ptr<IndexBuilder>& builder)
{
    const QString key = keyOf(path);
    if (key.isEmpty() || !builder)
        return;
    std::lock_guard guard(lock());
    prune();
    entries()[key].builder = builder;
}
