#pragma once
// A scripted stand-in for the program's dialogs and message boxes. A test
// lists the questions it expects, in order, with their answers; the program
// then gets those answers instead of a modal dialog. Every question asked is
// recorded. An unexpected question, a question of another kind than the next
// expected one, or an expected one that never came fails the test (at
// Verify() or when the object goes).

#include "services/Prompts.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace ivra::test {

class TScriptedPrompts : public Prompts {
public:
    enum class TKind { OpenFile, OpenFiles, SaveFile, Color, Font, Print, PageSetup, Confirm, Message, Error, Dialog };

    // What was asked: the kind and its text (a box's message, a file
    // dialog's caption, a dialog's object name).
    struct TAsked {
        TKind Kind;
        QString Text;
    };

    // Installs itself as the application's Prompts; the destructor puts the
    // previous one back.
    TScriptedPrompts();
    ~TScriptedPrompts() override;
    TScriptedPrompts(const TScriptedPrompts&) = delete;
    TScriptedPrompts& operator=(const TScriptedPrompts&) = delete;

    // ---- Expected questions and their answers, in order ------------------------
    // A file name ("" answers Cancel).
    // The answer may also choose a file type (the filter's text, which the
    // dialog must offer) and tick the read-only box.
    TScriptedPrompts& ExpectOpenFile(const QString& answer, const QString& filter = {}, bool readOnly = false);
    TScriptedPrompts& ExpectOpenFiles(const QStringList& answer);
    TScriptedPrompts& ExpectSaveFile(const QString& answer, const QString& filter = {});
    // A colour or font (std::nullopt answers Cancel).
    TScriptedPrompts& ExpectColor(std::optional<QColor> answer);
    TScriptedPrompts& ExpectFont(std::optional<QFont> answer);
    TScriptedPrompts& ExpectPrint(bool ok);
    TScriptedPrompts& ExpectPageSetup(bool ok);
    // A confirmation box; when text is given the box's text must equal it.
    TScriptedPrompts& ExpectConfirm(QMessageBox::StandardButton answer, const QString& text = {});
    // A message or error box whose text equals text (any text when empty).
    TScriptedPrompts& ExpectMessage(const QString& text = {});
    TScriptedPrompts& ExpectError(const QString& text = {});
    // An error box whose text contains part.
    TScriptedPrompts& ExpectErrorContaining(const QString& part);
    // One of the program's dialogs, by object name; fill sets its fields and
    // returns the result (QDialog::Accepted or Rejected).
    TScriptedPrompts& ExpectDialog(const QString& objectName, std::function<int(QDialog&)> fill);

    // ---- What happened ----------------------------------------------------------
    const QList<TAsked>& Asked() const { return asked_; }
    // Texts of the error boxes shown.
    QStringList Errors() const;
    // Expected questions that have not come yet.
    int Pending() const { return int(expected_.size()); }
    // Fails the current test when an expectation is left or a question came
    // unexpected; returns true when all is well. Clears both lists.
    bool Verify(const char* file, int line);

    // ---- Prompts -----------------------------------------------------------------
    QString GetOpenFileName(QWidget*, const TFileDialogRequest& request) override;
    QStringList GetOpenFileNames(QWidget*, const TFileDialogRequest& request) override;
    QString GetSaveFileName(QWidget*, const TFileDialogRequest& request) override;
    std::optional<QColor> GetColor(QWidget*, const QColor& initial, bool fullOpen) override;
    std::optional<QFont> GetFont(QWidget*, const QFont& initial) override;
    bool PrintDialog(QWidget*, QPrinter& printer) override;
    bool PageSetupDialog(QWidget*, QPrinter& printer) override;
    QMessageBox::StandardButton Confirm(QWidget*, const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    void Message(QWidget*, const QString& text) override;
    void Error(QWidget*, const QString& text) override;
    int ExecDialog(QDialog& dialog) override;

    // The last file dialog request and colour dialog start seen.
    TFileDialogRequest LastFileRequest;
    QColor LastColorInitial;

private:
    struct TExpected {
        TKind Kind = TKind::Message;
        QString Text;          // expected text ("" = any)
        bool Contains = false; // Text is a part, not the whole
        QString File;
        QStringList Files;
        QString Filter;         // file type chosen in a file dialog
        bool ReadOnly = false;  // read-only box of an open dialog
        std::optional<QColor> Color;
        std::optional<QFont> Font;
        bool Ok = false;
        QMessageBox::StandardButton Button = QMessageBox::Cancel;
        std::function<int(QDialog&)> Fill;
    };

    static TExpected Expected(TKind k, const QString& text = {}) {
        TExpected e;
        e.Kind = k;
        e.Text = text;
        return e;
    }

    // The next expectation if it is of kind k and its text matches; else
    // records the surprise and returns nothing.
    std::optional<TExpected> Take(TKind k, const QString& text);
    // The file type the answer chooses (the one offered first when none);
    // a type the dialog does not offer is a surprise.
    void ChooseFilter(const TFileDialogRequest& request, const QString& filter);

    Prompts* previous_ = nullptr;
    std::deque<TExpected> expected_;
    QList<TAsked> asked_;
    QStringList surprises_;
};

const char* KindName(TScriptedPrompts::TKind k);

} // namespace ivra::test

// Fails the test function when the script was not followed.
#define VERIFY_PROMPTS(p)                                  \
    do {                                                   \
        if (!(p).Verify(__FILE__, __LINE__)) return;       \
    } while (false)
