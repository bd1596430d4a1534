#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QMenu>

namespace {
// The entry with that name in the menu or one of its sub-menus.
QAction* findEntry(const QMenu& menu, const QString& name)
{
    for (QAction* action : menu.actions()) {
        if (action->objectName() == name)
            return action;
        if (action->menu())
            if (QAction* inner = findEntry(*action->menu(), name))
                return inner;
    }
    return nullptr;
}
} // namespace

int ScriptedDialogs::messageBox(const QString& text, int style, const QString& caption)
{
    messages.push_back({text, style, caption});
    if (onMessage)
        onMessage(text);
    if (!messageAnswers.empty()) {
        const int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    switch (style & 7) {
    case MsgBox::YesNo:
    case MsgBox::YesNoCancel: return MsgBox::Yes;
    case MsgBox::AbortRetryIgnore: return MsgBox::Abort;
    case MsgBox::RetryCancel: return MsgBox::Retry;
    default: return MsgBox::Ok;
    }
}

std::optional<QStringList> ScriptedDialogs::fileDialog(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (onFileDialog)
        onFileDialog(request);
    if (fileAnswers.empty())
        return std::nullopt;
    const QStringList answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& initial)
{
    colorRequests.push_back(initial);
    if (colorAnswers.empty())
        return std::nullopt;
    const QColor answer = colorAnswers.front();
    colorAnswers.pop_front();
    if (!answer.isValid())
        return std::nullopt;
    return answer;
}

std::optional<CodecChoice> ScriptedDialogs::chooseCodec(QWidget*, const QStringList&, const CodecChoice&)
{
    ++codecRequests;
    if (codecAnswers.empty())
        return std::nullopt;
    const CodecChoice answer = codecAnswers.front();
    codecAnswers.pop_front();
    if (answer.codec.isEmpty())
        return std::nullopt;
    return answer;
}

QAction* ScriptedDialogs::popupMenu(QMenu& menu, const QPoint& globalPos)
{
    menuRequests.push_back(menu.objectName());
    if (onMenu)
        onMenu(menu);
    if (realMenus)
        return menu.exec(globalPos);
    if (menuAnswers.empty())
        return nullptr;
    const QString name = menuAnswers.front();
    menuAnswers.pop_front();
    if (name.isEmpty())
        return nullptr;
    QAction* action = findEntry(menu, name);
    if (!action || !action->isEnabled() || !action->isVisible())
        return nullptr;
    // A real menu fires the chosen action before the call returns.
    action->trigger();
    return action;
}

bool ScriptedDialogs::openUrl(const QUrl& url)
{
    urlRequests.push_back(url);
    return true;
}

void ScriptedDialogs::clear()
{
    messages.clear();
    fileRequests.clear();
    colorRequests.clear();
    codecRequests = 0;
    messageAnswers.clear();
    fileAnswers.clear();
    colorAnswers.clear();
    codecAnswers.clear();
    menuRequests.clear();
    menuAnswers.clear();
    urlRequests.clear();
    onFileDialog = nullptr;
    onMessage = nullptr;
    onMenu = nullptr;
}

ScopedDialogs::ScopedDialogs()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_previous = DialogService::install(std::move(dialogs));
}

ScopedDialogs::~ScopedDialogs() { DialogService::install(std::move(m_previous)); }
