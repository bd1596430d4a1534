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
