#include "support/ScriptedDialogs.h"

int ScriptedDialogs::messageBox(const QString& text, int style, const QString& caption)
{
    messages.push_back({text, style, caption});
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
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& initial)
{
    colorRequests.push_back(initial);
    if (colorAnswers.empty())
        return std::nullopt;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

std::optional<CodecChoice> ScriptedDialogs::chooseCodec(QWidget*, const QStringList&, const CodecChoice&)
{
    ++codecRequests;
    if (codecAnswers.empty())
        return std::nullopt;
    auto answer = codecAnswers.front();
    codecAnswers.pop_front();
    return answer;
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
    onFileDialog = nullptr;
}

ScopedDialogs::ScopedDialogs()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_previous = DialogService::install(std::move(dialogs));
}

ScopedDialogs::~ScopedDialogs() { DialogService::install(std::move(m_previous)); }
