#pragma once
// TRGBALoaderForm: "New Bitmap Layer with Alpha Channel". Two pictures: the
// first gives the layer's colours, the second, turned gray, its alpha
// channel. Each has a small zoomable preview with "+" and "-"; "Reset
// Scales" sets both back to 100 %. One instance for the whole run.

#include "core/raster/Bitmap32.h"

#include <QDialog>

class QPushButton;

namespace ivra {

class TImgView32;
class TShell;

class TRGBALoaderForm : public QDialog {
    Q_OBJECT
public:
    explicit TRGBALoaderForm(QWidget* parent = nullptr);

    TImgView32* ImgRGB = nullptr;
    TImgView32* ImgAlpha = nullptr;
    QPushButton* btnLoadRGB = nullptr;
    QPushButton* btnLoadAlpha = nullptr;
    QPushButton* btnRGBPlus = nullptr;
    QPushButton* btnRGBMinus = nullptr;
    QPushButton* btnAlphaPlus = nullptr;
    QPushButton* btnAlphaMinus = nullptr;
    QPushButton* btnResetScales = nullptr;

    const TBitmap32& RGBBitmap() const;
    const TBitmap32& AlphaBitmap() const;
    // Both pictures emptied, both previews at 100 %.
    void Reset();
    // The "Load..." buttons: a picture from the open dialog into the colour
    // preview, or into the alpha preview turned gray. Cancel changes nothing;
    // a picture that cannot be read leaves the preview as it was.
    void LoadRGBClick();
    void LoadAlphaClick();
    // "+" multiplies a preview's scale by 1.5, "-" divides it.
    static void Zoom(TImgView32& view, bool in);
    void ResetScalesClick();
};

// The single instance, made on first use.
TRGBALoaderForm& RGBALoaderForm(TShell& shell);

// Gives `layer` the alpha channel of `alpha`: alpha stretched over the
// layer's size (nearest neighbour), its intensity becomes the layer's alpha.
// Nothing when alpha is empty.
void ComposeAlphaChannel(TBitmap32& layer, const TBitmap32& alpha);

} // namespace ivra
