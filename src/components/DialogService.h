#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QPoint;
class QUrl;
class QWidget;

// Message box styles and answers, the platform's classic bit values.
namespace MsgBox {
enum Style : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton2 = 256,
};
enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
} // namespace MsgBox

// What a file dialog is asked for. The filter is in the classic pipe form
// "Description|*.a;*.b|Description|*.c|".
struct FileDialogRequest {
    QWidget* owner = nullptr;
    QString caption;
    QString initialFolder;
    QString initialFile;
    QString filter;
    QString defaultExtension;
    bool save = false;
    bool multiSelect = false;     // several files may be chosen (open only)
    bool confirmOverwrite = false; // ask before overwriting (save only)
};

// What a codec chooser offers and returns.
struct CodecChoice {
    QString codec;   // encoder short name, e.g. "mjpeg", "ffv1", "mpeg4", "libx264", "rawvideo"
    int quality = 0; // 0..100 where the codec has a quality, else 0
};

// Every message box, file dialog, colour chooser and codec chooser of the program goes through
// this one replaceable service. The program installs the toolkit's dialogs; tests install a
// scripted double, so no test ever waits on a modal window.
class DialogService {
public:
    virtual ~DialogService() = default;

    // Returns the answer code (MsgBox::Answer).
    virtual int messageBox(const QString& text, int style, const QString& caption) = 0;
    // Returns the chosen paths, or nothing when the user cancels.
    virtual std::optional<QStringList> fileDialog(const FileDialogRequest& request) = 0;
    // Returns the chosen colour, or nothing when the user cancels.
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) = 0;
    // Returns the chosen codec, or nothing when the user cancels.
    virtual std::optional<CodecChoice> chooseCodec(QWidget* owner, const QStringList& codecs,
                                                   const CodecChoice& initial) = 0;
    // Pops the menu up at the screen position and returns the chosen entry, or null when the
    // menu is closed without a choice. Returns only when the menu has closed.
    virtual QAction* popupMenu(QMenu& menu, const QPoint& globalPos) = 0;
    // Opens the web address in the user's browser; false when no browser took it.
    virtual bool openUrl(const QUrl& url) = 0;

    // The service in force (the toolkit's dialogs until another is installed).
    static DialogService& current();
    // Installs a service and returns the one it replaces (null for the built-in one).
    static std::unique_ptr<DialogService> install(std::unique_ptr<DialogService> service);

    // Turns "Desc|*.a;*.b|..." into the toolkit's "Desc (*.a *.b);;..." form.
    static QString toolkitFilter(const QString& pipeFilter);
};

// The toolkit's own dialogs.
class ToolkitDialogService final : public DialogService {
public:
    int messageBox(const QString& text, int style, const QString& caption) override;
    std::optional<QStringList> fileDialog(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    std::optional<CodecChoice> chooseCodec(QWidget* owner, const QStringList& codecs,
                                           const CodecChoice& initial) override;
    QAction* popupMenu(QMenu& menu, const QPoint& globalPos) override;
    bool openUrl(const QUrl& url) override;
};
