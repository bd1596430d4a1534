#include "dialogs/TextWindow.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

TextWindow::TextWindow(QWidget* owner, const QString& closeText) : QDialog(owner, Qt::Tool)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = new QTextBrowser(this);
    m_text->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(closeText);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* box = new QVBoxLayout(this);
    box->addWidget(m_text);
    box->addWidget(buttons);
    resize(560, 620);
}

TextWindow* TextWindow::show(QWidget* owner, const QString& objectName, const QString& title, const QString& html,
                             const QString& closeText)
{
    auto* window = owner->findChild<TextWindow*>(objectName, Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TextWindow(owner, closeText);
        window->setObjectName(objectName);
    }
    window->setWindowTitle(title);
    window->m_text->setHtml(html);
    window->QDialog::show();
    window->raise();
    window->activateWindow();
    return window;
}

QString TextWindow::html() const { return m_text->toHtml(); }

// The main window keeps its shortcuts working while a tool window of its own is active, its
// Escape among them, which would take the key from this window: Escape is claimed here first.
bool TextWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        event->accept();
        return true;
    }
    return QDialog::event(event);
}
