#include "support/ScriptedPrompts.h"

#include <QTest>

namespace ivra::test {

const char* KindName(TScriptedPrompts::TKind k) {
    using K = TScriptedPrompts::TKind;
    switch (k) {
    case K::OpenFile: return "open dialog";
    case K::OpenFiles: return "open dialog (several files)";
    case K::SaveFile: return "save dialog";
    case K::Color: return "colour dialog";
    case K::Font: return "font dialog";
    case K::Print: return "print dialog";
    case K::PageSetup: return "printer set-up dialog";
    case K::Confirm: return "confirmation box";
    case K::Message: return "message box";
    case K::Error: return "error box";
    case K::Dialog: return "dialog";
    }
    return "?";
}

TScriptedPrompts::TScriptedPrompts() { previous_ = SetAppPrompts(this); }

TScriptedPrompts::~TScriptedPrompts() {
    SetAppPrompts(previous_);
    if (!QTest::currentTestFunction()) return;
    if ((!expected_.empty() || !surprises_.isEmpty()) && !QTest::currentTestFailed())
        Verify(__FILE__, __LINE__);
}

TScriptedPrompts& TScriptedPrompts::ExpectOpenFile(const QString& answer, const QString& filter, bool readOnly) {
    TExpected e = Expected(TKind::OpenFile);
    e.File = answer;
    e.Filter = filter;
    e.ReadOnly = readOnly;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectOpenFiles(const QStringList& answer) {
    TExpected e = Expected(TKind::OpenFiles);
    e.Files = answer;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectSaveFile(const QString& answer, const QString& filter) {
    TExpected e = Expected(TKind::SaveFile);
    e.File = answer;
    e.Filter = filter;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectColor(std::optional<QColor> answer) {
    TExpected e = Expected(TKind::Color);
    e.Color = answer;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectFont(std::optional<QFont> answer) {
    TExpected e = Expected(TKind::Font);
    e.Font = answer;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectPrint(bool ok) {
    TExpected e = Expected(TKind::Print);
    e.Ok = ok;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectPageSetup(bool ok) {
    TExpected e = Expected(TKind::PageSetup);
    e.Ok = ok;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectConfirm(QMessageBox::StandardButton answer, const QString& text) {
    TExpected e = Expected(TKind::Confirm, text);
    e.Button = answer;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectMessage(const QString& text) {
    expected_.push_back(Expected(TKind::Message, text));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectError(const QString& text) {
    expected_.push_back(Expected(TKind::Error, text));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectErrorContaining(const QString& part) {
    TExpected e = Expected(TKind::Error, part);
    e.Contains = true;
    expected_.push_back(std::move(e));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::ExpectDialog(const QString& objectName, std::function<int(QDialog&)> fill) {
    TExpected e = Expected(TKind::Dialog, objectName);
    e.Fill = std::move(fill);
    expected_.push_back(std::move(e));
    return *this;
}

QStringList TScriptedPrompts::Errors() const {
    QStringList list;
    for (const TAsked& a : asked_)
        if (a.Kind == TKind::Error) list << a.Text;
    return list;
}

bool TScriptedPrompts::Verify(const char* file, int line) {
    QStringList problems = surprises_;
    for (const TExpected& e : expected_)
        problems << QStringLiteral("expected %1%2 never came")
                        .arg(QLatin1String(KindName(e.Kind)),
                             e.Text.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(e.Text));
    expected_.clear();
    surprises_.clear();
    if (problems.isEmpty()) return true;
    QTest::qFail(problems.join(QStringLiteral("; ")).toUtf8().constData(), file, line);
    return false;
}

std::optional<TScriptedPrompts::TExpected> TScriptedPrompts::Take(TKind k, const QString& text) {
    asked_.push_back({k, text});
    if (expected_.empty()) {
        surprises_ << QStringLiteral("unexpected %1 \"%2\"").arg(QLatin1String(KindName(k)), text);
        return std::nullopt;
    }
    TExpected e = expected_.front();
    const bool textOk = e.Text.isEmpty() || (e.Contains ? text.contains(e.Text) : text == e.Text);
    if (e.Kind != k || !textOk) {
        surprises_ << QStringLiteral("asked %1 \"%2\" while %3 \"%4\" was expected")
                          .arg(QLatin1String(KindName(k)), text, QLatin1String(KindName(e.Kind)), e.Text);
        expected_.pop_front();
        return std::nullopt;
    }
    expected_.pop_front();
    return e;
}

void TScriptedPrompts::ChooseFilter(const TFileDialogRequest& request, const QString& filter) {
    if (!filter.isEmpty() && !request.Filter.split(QStringLiteral(";;")).contains(filter))
        surprises_ << QStringLiteral("the file type \"%1\" chosen is not offered by \"%2\"").arg(filter, request.Filter);
    request.ChosenFilter = filter.isEmpty() ? request.SelectedFilter : filter;
}

QString TScriptedPrompts::GetOpenFileName(QWidget*, const TFileDialogRequest& request) {
    LastFileRequest = request;
    auto e = Take(TKind::OpenFile, request.Caption);
    if (!e) return QString();
    ChooseFilter(request, e->Filter);
    request.ReadOnlyChosen = request.ShowReadOnly && e->ReadOnly;
    return e->File;
}

QStringList TScriptedPrompts::GetOpenFileNames(QWidget*, const TFileDialogRequest& request) {
    LastFileRequest = request;
    auto e = Take(TKind::OpenFiles, request.Caption);
    return e ? e->Files : QStringList();
}

QString TScriptedPrompts::GetSaveFileName(QWidget*, const TFileDialogRequest& request) {
    LastFileRequest = request;
    auto e = Take(TKind::SaveFile, request.Caption);
    if (!e) return QString();
    ChooseFilter(request, e->Filter);
    return e->File;
}

std::optional<QColor> TScriptedPrompts::GetColor(QWidget*, const QColor& initial, bool) {
    LastColorInitial = initial;
    auto e = Take(TKind::Color, initial.name());
    return e ? e->Color : std::nullopt;
}

std::optional<QFont> TScriptedPrompts::GetFont(QWidget*, const QFont& initial) {
    auto e = Take(TKind::Font, initial.family());
    return e ? e->Font : std::nullopt;
}

bool TScriptedPrompts::PrintDialog(QWidget*, QPrinter&) {
    auto e = Take(TKind::Print, {});
    return e && e->Ok;
}

bool TScriptedPrompts::PageSetupDialog(QWidget*, QPrinter&) {
    auto e = Take(TKind::PageSetup, {});
    return e && e->Ok;
}

QMessageBox::StandardButton TScriptedPrompts::Confirm(QWidget*, const QString& text, QMessageBox::StandardButtons,
                                                      QMessageBox::StandardButton) {
    auto e = Take(TKind::Confirm, text);
    return e ? e->Button : QMessageBox::Cancel;
}

void TScriptedPrompts::Message(QWidget*, const QString& text) { Take(TKind::Message, text); }

void TScriptedPrompts::Error(QWidget*, const QString& text) { Take(TKind::Error, text); }

int TScriptedPrompts::ExecDialog(QDialog& dialog) {
    auto e = Take(TKind::Dialog, dialog.objectName());
    if (!e || !e->Fill) return QDialog::Rejected;
    return e->Fill(dialog);
}

} // namespace ivra::test
