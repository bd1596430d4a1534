#pragma once

#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// The progress of a long write (or of a video's indexing that a command waits for): a
// window-modal bar over the main window with the file's name, the frame count (the percentage)
// and a Cancel button. Stepping it lets the interface repaint and take the cancel click; nothing
// else of the window can be used meanwhile.
class WriteProgress {
public:
    enum class Kind { Writing, Indexing }; // Indexing counts percent
    // Without `cancellable` the bar has no Cancel button: the command cannot do without the end.
    WriteProgress(QWidget* owner, const QString& path, int total, Kind kind = Kind::Writing, bool cancellable = true);
    ~WriteProgress();
    WriteProgress(const WriteProgress&) = delete;
    WriteProgress& operator=(const WriteProgress&) = delete;

    // Frame `done` of the total is written; false once the user has cancelled.
    bool step(int done);
    bool cancelled() const;

    static constexpr const char* kObjectName = "dlgWriteProgress";

private:
    QPointer<QProgressDialog> m_dialog;
    QString m_name;
    int m_total = 0;
    Kind m_kind = Kind::Writing;
};
