#pragma once
// The text tool (tool 7): "Enter text:" asks for lines of text (the memo
// keeps them from one use to the next; "Font" picks the tool's font, "Color"
// its colour), a
// provisional layer shows them under the pointer, and the second press
// renders them onto the window's drawing overlay (AnimLayer), whatever the
// Draw switch says.
//
// The second press falls on the provisional layer's top-left corner, where
// the selection frame has a handle. While the text is being placed the frame
// takes no mouse events, so that the press reaches the tool; a right press
// or another tool gives the frame its handles back.

#include "core/raster/Bitmap32.h"
#include "services/DrawingState.h"

#include <QDialog>
#include <QFont>
#include <QStringList>

#include <memory>
#include <optional>

class QPlainTextEdit;
class QPushButton;

namespace ivra {

class TShell;
class TToolHandler;
class TMDIChild;
class TShell;
class TBitmapLayer;

class TfrmTextSel : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTextSel(TShell& shell, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnFont = nullptr;
    // "Color": shows the text tool's colour and picks another.
    QPushButton* btnColor = nullptr;

    // The memo's lines (a last empty line after a final line break is not
    // one).
    QStringList Lines() const;
    // "Font": the font dialog; its choice becomes the text tool's font.
    void FontClick();
    // "Color": the colour dialog; its choice becomes the text tool's colour.
    void ColorClick();
    // The button shows the text tool's colour now (also on every showing).
    void ShowColor();

    // The text tool's font (kept from one use to the next, like the memo).
    const QFont& TextFont() const { return font_; }
    void SetTextFont(const QFont& font) { font_ = font; }
    // The colour the tool renders in (opaque): the colour chosen with
    // "Color", until then the program's foreground colour.
    TColor32 TextColor() const;
    // A colour of its own (none: follow the foreground colour again).
    void SetTextColor(std::optional<TColor32> color);

protected:
    void showEvent(QShowEvent* e) override;

private:
    TShell& shell_;
    QFont font_;
    std::optional<TColor32> color_;
};

// The shell's single instance, made on first use.
TfrmTextSel& TextSelForm(TShell& shell);

// Renders lines with their top-left corner at (x, y), one below the other
// spaced by the height of "Fj" in the font, in the colour; returns the widest line's width.
int RenderTextLines(TBitmap32& bmp, int x, int y, const QStringList& lines, int aaLevel, TColor32 color,
                    const QFont& font);

// The tool's handler for the tool registry.
std::shared_ptr<TToolHandler> MakeTextTool(TShell& shell);

} // namespace ivra
