#include "IndexBuilder.h"

#include "KnownIndexes.h"
#include "MediaCodes.h"
#include "MediaDecoder.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

IndexBuilder::IndexBuilder(const QString& path) : m_thread([this, path] { run(path); }) {}

IndexBuilder::~IndexBuilder()
{
    m_stop = true;
    m_thread.join();
}

IndexBuilder::State IndexBuilder::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

void IndexBuilder::waitForStart(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_state.finished || m_state.index; });
}

bool IndexBuilder::waitForEnd(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_state.finished; });
}

void IndexBuilder::partial(std::shared_ptr<const FrameIndex> sofar, double fraction)
{
    {
        std::lock_guard lock(m_mutex);
        m_state.index = std::move(sofar);
        m_state.fraction = fraction;
    }
    m_changed.notify_all();
}

void IndexBuilder::run(const QString& path)
{
#ifdef __linux__
    // Below the threads that decode what is shown: the index is wanted soon, pictures at once.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
    auto index = std::make_shared<FrameIndex>();
    FirstPicture first;
    MediaDecoder decoder;
    int rc = decoder.open(path);
    if (rc == MediaOk)
        rc = FrameIndexer::build(decoder, path, *index, &first, this);
    if (rc == MediaOk)
        KnownIndexes::addIndex(path, index); // before the end is told: whoever looks then finds it
    {
        std::lock_guard lock(m_mutex);
        if (rc == MediaOk)
            m_state.index = std::move(index);
        m_state.fraction = 1;
        m_state.finished = true;
        m_state.result = rc;
        m_state.first = first;
    }
    m_changed.notify_all();
}
