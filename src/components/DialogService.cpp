#include "components/DialogService.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QUrl>

namespace {
std::unique_ptr<DialogService>& installed()
{
    static std::unique_ptr<DialogService> service;
    return service;
}

QMessageBox::StandardButtons buttonsOf(int style)
{
    switch (style & 7) {
    case MsgBox::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgBox::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgBox::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgBox::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgBox::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case MsgBox::Critical: return QMessageBox::Critical;
    case MsgBox::Question: return QMessageBox::Question;
    case MsgBox::Exclamation: return QMessageBox::Warning;
    case MsgBox::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int answerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok: return MsgBox::Ok;
    case QMessageBox::Cancel: return MsgBox::Cancel;
    case QMessageBox::Abort: return MsgBox::Abort;
    case QMessageBox::Retry: return MsgBox::Retry;
    case QMessageBox::Ignore: return MsgBox::Ignore;
    case QMessageBox::Yes: return MsgBox::Yes;
    case QMessageBox::No: return MsgBox::No;
    default: return MsgBox::Cancel;
    }
}
} // namespace

DialogService& DialogService::current()
{
    static ToolkitDialogService toolkit;
    return installed() ? *installed() : toolkit;
}

std::unique_ptr<DialogService> DialogService::install(std::unique_ptr<DialogService> service)
{
    std::swap(installed(), service);
    return service;
}

QString DialogService::toolkitFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        // The toolkit reads the patterns from the last parentheses, separated by blanks.
        static const QRegularExpression trailingParens(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        description.remove(trailingParens);
        QString spaced = patterns;
        spaced.replace(u';', u' ');
        filters << QStringLiteral("%1 (%2)").arg(description, spaced);
    }
    return filters.join(QStringLiteral(";;"));
}

int ToolkitDialogService::messageBox(const QString& text, int style, const QString& caption)
{
    QMessageBox box(iconOf(style), caption, text, buttonsOf(style));
    if (style & MsgBox::DefaultButton2) {
        const auto buttons = box.buttons();
        if (buttons.size() > 1)
            box.setDefaultButton(qobject_cast<QPushButton*>(buttons[1]));
    }
    return answerOf(box.exec());
}

std::optional<QStringList> ToolkitDialogService::fileDialog(const FileDialogRequest& r)
{
    QFileDialog dialog(r.owner, r.caption, r.initialFolder, toolkitFilter(r.filter));
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (r.save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(r.defaultExtension);
        // A name typed without an extension takes the one of the file type chosen.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& selected) {
            static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.(\\w+)"));
            if (const QRegularExpressionMatch m = firstPattern.match(selected); m.hasMatch())
                dialog.setDefaultSuffix(m.captured(1));
        });
        if (!r.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (!r.initialFile.isEmpty())
        dialog.selectFile(r.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

std::optional<QColor> ToolkitDialogService::chooseColor(QWidget* owner, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, owner);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<CodecChoice> ToolkitDialogService::chooseCodec(QWidget* owner, const QStringList& codecs,
                                                             const CodecChoice& initial)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Codec"));
    auto* form = new QFormLayout(&dialog);
    auto* codecBox = new QComboBox(&dialog);
    codecBox->addItems(codecs);
    codecBox->setCurrentText(initial.codec);
    auto* quality = new QSpinBox(&dialog);
    quality->setRange(0, 100);
    quality->setValue(initial.quality);
    form->addRow(QStringLiteral("Codec"), codecBox);
    form->addRow(QStringLiteral("Quality"), quality);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return CodecChoice{codecBox->currentText(), quality->value()};
}

QAction* ToolkitDialogService::popupMenu(QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); }

bool ToolkitDialogService::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }
