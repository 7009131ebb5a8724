#pragma once
// The one door for questions: every file dialog, colour, font and print
// dialog, confirmation box and message box of the program goes through the
// Prompts object installed for the application. The program uses the real Qt
// dialogs (TQtPrompts); the GUI tests install a scripted implementation that
// answers and records what was asked, so that no test ever blocks on a modal
// dialog.

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace ivra {

// What an open or save dialog needs to know.
struct TFileDialogRequest {
    QString Caption;
    QString Directory;       // initial folder ("" for the current one)
    QString FileName;        // proposed file name ("" for none)
    QString Filter;          // Qt filter list, ";;"-separated
    QString SelectedFilter;  // filter chosen at start ("" for the first)
    QString DefaultSuffix;   // appended to a name typed without one ("" for none)
    bool ShowReadOnly = false;  // open dialog: offer an "Open as read-only" box

    // What the user left the dialog with, filled in by the dialog: the file
    // type chosen and, with ShowReadOnly, the state of the read-only box.
    mutable QString ChosenFilter;
    mutable bool ReadOnlyChosen = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // File dialogs. An empty result means the user cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const TFileDialogRequest& request) = 0;
    virtual QStringList GetOpenFileNames(QWidget* parent, const TFileDialogRequest& request) = 0;
    virtual QString GetSaveFileName(QWidget* parent, const TFileDialogRequest& request) = 0;

    // Colour and font dialogs; std::nullopt when cancelled. fullOpen asks for
    // the custom-colour part to be shown.
    virtual std::optional<QColor> GetColor(QWidget* parent, const QColor& initial,
                                           bool fullOpen = false) = 0;
    virtual std::optional<QFont> GetFont(QWidget* parent, const QFont& initial) = 0;

    // Print and printer set-up dialogs; true on OK (the printer is set up).
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;
    virtual bool PageSetupDialog(QWidget* parent, QPrinter& printer) = 0;

    // A confirmation box ("OK to overwrite %s", "Save changes to %s?"):
    // returns the button pressed; closing the box answers Cancel (or the
    // escape button of the set).
    virtual QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    // A message box with an OK button.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // The application's error box.
    virtual void Error(QWidget* parent, const QString& text) = 0;

    // Shows one of the program's own modal dialogs and returns its result
    // (QDialog::Accepted or Rejected). Tests fill the dialog's fields in
    // place of the user.
    virtual int ExecDialog(QDialog& dialog) = 0;
};

// The real dialogs of Qt.
class TQtPrompts : public Prompts {
public:
    QString GetOpenFileName(QWidget* parent, const TFileDialogRequest& request) override;
    QStringList GetOpenFileNames(QWidget* parent, const TFileDialogRequest& request) override;
    QString GetSaveFileName(QWidget* parent, const TFileDialogRequest& request) override;
    std::optional<QColor> GetColor(QWidget* parent, const QColor& initial, bool fullOpen) override;
    std::optional<QFont> GetFont(QWidget* parent, const QFont& initial) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool PageSetupDialog(QWidget* parent, QPrinter& printer) override;
    QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    void Message(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    int ExecDialog(QDialog& dialog) override;
};

// The Prompts of the application: the real dialogs unless a test installed
// its own.
Prompts& AppPrompts();
// Installs p (not owned) and returns the previous one; nullptr restores the
// real dialogs.
Prompts* SetAppPrompts(Prompts* p);

} // namespace ivra
