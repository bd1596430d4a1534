#pragma once

#include <QDialog>

class QTextBrowser;

// A window of text to read beside the work (help pages, the About page): a tool window that
// stays above the main window without blocking it, closed with its button or Escape. Showing
// a page again raises the window already open instead of opening a second one.
class TextWindow : public QDialog {
public:
    static TextWindow* show(QWidget* owner, const QString& objectName, const QString& title, const QString& html,
                            const QString& closeText);
    QString html() const;

protected:
    bool event(QEvent* event) override;

private:
    TextWindow(QWidget* owner, const QString& closeText);
    QTextBrowser* m_text = nullptr;
};
