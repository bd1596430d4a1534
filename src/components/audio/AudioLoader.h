#pragma once

#include "AudioData.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

// Reads a file's audio on a thread of its own, so a long file keeps the window answering: what
// has been read so far arrives as it grows, then the whole, on the thread that made the loader.
// Destroying the loader stops the reading and waits for its thread.
class AudioLoader : public QObject {
    Q_OBJECT
public:
    explicit AudioLoader(QString path, QObject* parent = nullptr);
    ~AudioLoader() override;
    AudioLoader(const AudioLoader&) = delete;
    AudioLoader& operator=(const AudioLoader&) = delete;

    void start();
    bool finished() const { return m_finished; }

signals:
    // What has been read so far; `complete` with the whole, or with code the reading's failure.
    void arrived(std::shared_ptr<const AudioData> data, bool complete, int code);

private:
    void post(std::shared_ptr<const AudioData> data, bool complete, int code);

    QString m_path;
    std::atomic<bool> m_stop{false};
    bool m_finished = false;
    std::thread m_thread;
};
