#include "AudioLoader.h"

#include "components/media/MediaCodes.h"

#include <QMetaObject>

namespace {
constexpr double kFirstSeconds = 10.0; // of audio before the first part is shown
}

AudioLoader::AudioLoader(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

AudioLoader::~AudioLoader()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void AudioLoader::start()
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this] {
        auto data = std::make_shared<AudioData>();
        const int rc = data->open(
            m_path,
            [this](const AudioData& soFar) {
                if (m_stop)
                    return false;
                post(std::make_shared<AudioData>(soFar), false, MediaOk);
                return true;
            },
            kFirstSeconds);
        if (!m_stop)
            post(data, true, rc);
    });
}

// Queued to the loader's own thread; dropped there when the loader is gone by then.
void AudioLoader::post(std::shared_ptr<const AudioData> data, bool complete, int code)
{
    QMetaObject::invokeMethod(
        this,
        [this, data = std::move(data), complete, code] {
            m_finished = complete;
            emit arrived(data, complete, code);
        },
        Qt::QueuedConnection);
}
