#pragma once

#include "components/DialogService.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The test double of the dialog service: records every call and answers from queues.
// A message box without a queued answer gets the first button of its style (OK, Yes, Abort,
// Retry); a file, colour or codec dialog without a queued answer is cancelled.
class ScriptedDialogs final : public DialogService {
public:
    struct Message {
        QString text;
        int style;
        QString caption;
    };

    int messageBox(const QString& text, int style, const QString& caption) override;
    std::optional<QStringList> fileDialog(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    std::optional<CodecChoice> chooseCodec(QWidget* owner, const QStringList& codecs,
                                           const CodecChoice& initial) override;
    QAction* popupMenu(QMenu& menu, const QPoint& globalPos) override;
    // Records the address instead of starting a browser.
    bool openUrl(const QUrl& url) override;

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<QColor> colorRequests;
    int codecRequests = 0;
    // The object names of the menus popped up, in order.
    std::vector<QString> menuRequests;
    // The web addresses that were to be opened, in order.
    std::vector<QUrl> urlRequests;

    std::deque<int> messageAnswers;
    // Queued answers; an empty list, an invalid colour or an empty codec name is a cancel.
    std::deque<QStringList> fileAnswers;
    std::deque<QColor> colorAnswers;
    std::deque<CodecChoice> codecAnswers;
    // Queued menu choices: the object name of the action to choose, searched in the menu and its
    // sub-menus; an empty name (or no queued answer) closes the menu without a choice. A choice
    // of a disabled or missing entry is no choice, as with a real menu.
    std::deque<QString> menuAnswers;
    // Pops menus up for real (the user's path: a scenario picks the entry with mouse events)
    // instead of answering from menuAnswers.
    bool realMenus = false;
    // Runs while a menu is "shown", e.g. to look at its entries' enabled and ticked states.
    std::function<void(QMenu&)> onMenu;

    // Runs while a file dialog is "shown", e.g. to look at the owner's controls at that moment.
    std::function<void(const FileDialogRequest&)> onFileDialog;
    // Runs while a message is "shown", e.g. to look at the window behind it.
    std::function<void(const QString&)> onMessage;

    void clear();
};

// Installs a fresh ScriptedDialogs for the lifetime of the guard and restores the previous one.
class ScopedDialogs {
public:
    ScopedDialogs();
    ~ScopedDialogs();
    ScriptedDialogs& operator*() { return *m_dialogs; }
    ScriptedDialogs* operator->() { return m_dialogs; }
    const ScriptedDialogs* operator->() const { return m_dialogs; }

private:
    ScriptedDialogs* m_dialogs;
    std::unique_ptr<DialogService> m_previous;
};
