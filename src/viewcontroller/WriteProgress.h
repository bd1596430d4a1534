#pragma once

#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// The progress of a long write: a window-modal bar over the main window with the file's name,
// the frame count and a Cancel button. Stepping it lets the interface repaint and take the
// cancel click; nothing else of the window can be used meanwhile.
class WriteProgress {
public:
    WriteProgress(QWidget* owner, const QString& path, int total);
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
};
