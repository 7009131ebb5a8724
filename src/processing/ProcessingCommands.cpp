#include "processing/ProcessingCommands.h"

#include "core/Error.h"
#include "core/processing/ColorOps.h"
#include "core/processing/Filters.h"
#include "core/processing/GeometricOps.h"
#include "imagewin/ChildWin.h"
#include "processing/Brightness.h"
#include "processing/ImageCommand.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QAction>
#include <QWidget>

#include <algorithm>
#include <map>

namespace ivra {

namespace {

// The submenus of "&Image".
constexpr TMenuId ImageRotateMenu{"ImageRotate"};
constexpr TMenuId ImageChannelsMenu{"ImageChannels"};
constexpr TMenuId ImageColorsMenu{"ImageColors"};

// Places in the "&Image" menu.
enum : int {
    OrderFlip = 10,
    OrderMirror = 20,
    OrderRotate = 30,
    OrderAfterRotate = 35,
    OrderChannels = 40,
    OrderColors = 50,
    OrderBrightness = 70,
};

// The filter submenus of "Filters".
constexpr TMenuId NormalFilters{"NormalFilters"};
constexpr TMenuId EdgeFilters{"EdgeFilters"};
constexpr TMenuId GradientFilters{"GradientFilters"};
constexpr TMenuId MiscFilters{"MiscFilters"};
struct TFilterMenu {
    TMenuId Id;
    const char* Caption;
};
const TFilterMenu FilterMenus[] = {{NormalFilters, "Normal Filters"},
                                   {EdgeFilters, "Edge Filters"},
                                   {GradientFilters, "Gradient Filters"},
                                   {MiscFilters, "Misc. Filters"}};

// The filter commands in menu order: the core filter's Tag, the item's id
// and its submenu; in "Normal Filters" a separator stands before "Blur".
struct TFilterCommand {
    int Tag;
    const char* Id;
    TMenuId Menu;
    bool SeparatorBefore;
};
const TFilterCommand FilterCommands[] = {
    {3, "Sharpen2", NormalFilters, false},          {21, "UnsharpMask1", NormalFilters, false},
    {6, "Soften1", NormalFilters, false},           {20, "Soft1", NormalFilters, false},
    {7, "Blur2", NormalFilters, true},              {17, "GaussianBlure1", NormalFilters, false},
    {16, "LaplaceOrigin1", NormalFilters, false},   {4, "EdgeEnhance1", EdgeFilters, false},
    {2, "FindEdgestopdown1", EdgeFilters, false},   {11, "FindEdgesBottomtop1", EdgeFilters, false},
    {0, "Laplace1", GradientFilters, false},        {12, "Sobelhor1", GradientFilters, false},
    {13, "Sobelvert1", GradientFilters, false},     {14, "Previthor1", GradientFilters, false},
    {15, "Previtvert1", GradientFilters, false},    {1, "Hipass1", MiscFilters, false},
    {19, "Emboss1", MiscFilters, false},            {5, "ColorEmbossSorta1", MiscFilters, false},
    {8, "LAP1", MiscFilters, false},                {10, "HP1", MiscFilters, false},
};

// Registers a command of the image window: enabled while an image window is
// active, run on that window.
QAction* AddImageCommand(TShell& shell, const QString& id, const QString& caption, const QString& hint,
                         const TMenuId& menu, int order, std::function<void(TMDIChild&)> run,
                         bool separatorBefore = false) {
    TShell* s = &shell;
    TCommandSpec c;
    c.Id = id;
    c.Caption = caption;
    c.Hint = hint;
    c.Menu = menu;
    c.MenuOrder = order;
    c.SeparatorBefore = separatorBefore;
    c.Enabled = [s] { return s->ActiveImageWindow() != nullptr; };
    c.Run = [s, run = std::move(run)] {
        if (TMDIChild* w = s->ActiveImageWindow()) run(*w);
    };
    return shell.Commands().Add(c);
}

// A filter: the selected picture layer when there is one, else the image.
// The undo snapshot is always of the image (a layer has no undo of its own).
void RunFilter(TShell& shell, TMDIChild& w, const TFilterInfo& filter) {
    const QString what = QString::fromUtf8(filter.caption);
    const auto apply = [&filter](TBitmap32& bitmap) { ApplyFilter(filter, bitmap); };
    if (TBitmapLayer* layer = w.SelectedBitmapLayer()) {
        RunLayerChange(shell, w, *layer, what, apply);
    } else {
        // The image is filtered straight into the result: no copy first.
        RunImageChange(shell, w, what, TImageChange::Transform([&filter](const TBitmap32& image, TBitmap32& result) {
                           ApplyFilter(filter, image, result);
                       }));
    }
}

void InstallFilters(TShell& shell) {
    TCommandRegistry& reg = shell.Commands();
    int order = 10;
    for (const TFilterMenu& m : FilterMenus)
        reg.AddMenu({m.Id, QLatin1String(m.Caption), MenuIds::Filters, order += 10, true});
    TShell* s = &shell;
    std::map<QString, int> itemOrder;
    for (const TFilterCommand& command : FilterCommands) {
        const TFilterInfo* f = FindFilterByTag(command.Tag);
        if (!f) throw Error("The filter command " + std::string(command.Id) + " names no filter");
        const QString caption = QString::fromUtf8(f->caption);
        // The item carries the filter's Tag.
        QAction* item = AddImageCommand(
            shell, QLatin1String(command.Id), caption,
            caption + QStringLiteral("|Applies the filter \"") + caption +
                QStringLiteral("\" to the image or to the selected picture layer"),
            command.Menu, itemOrder[command.Menu.Name()] += 10, [s, f](TMDIChild& w) { RunFilter(*s, w, *f); },
            command.SeparatorBefore);
        item->setData(f->tag);
    }
}

void InstallGeometry(TShell& shell) {
    TShell* s = &shell;
    auto turn = [s](const char* what, void (*op)(TBitmap32&)) {
        return [s, what, op](TMDIChild& w) { RunImageChange(*s, w, QLatin1String(what), TImageChange::Edit(op)); };
    };
    // The quarter turns write a new bitmap anyway: straight from the image.
    auto quarter = [s](void (*op)(const TBitmap32&, TBitmap32&)) {
        return [s, op](TMDIChild& w) { RunImageChange(*s, w, QStringLiteral("Rotate"), TImageChange::Transform(op)); };
    };
    AddImageCommand(shell, QStringLiteral("FlipVertically1"), QStringLiteral("Flip"),
                    QStringLiteral("Flip|Mirrors the image top to bottom"), MenuIds::Image, OrderFlip,
                    turn("Flip", FlipVert));
    AddImageCommand(shell, QStringLiteral("Mirror1"), QStringLiteral("Mirror"),
                    QStringLiteral("Mirror|Mirrors the image left to right"), MenuIds::Image, OrderMirror,
                    turn("Mirror", FlipHorz));
    shell.Commands().AddMenu({ImageRotateMenu, QStringLiteral("Rotate"), MenuIds::Image, OrderRotate, true});
    AddImageCommand(shell, QStringLiteral("N90Right1"), QStringLiteral("90° Right"),
                    QStringLiteral("90° Right|Turns the image a quarter turn clockwise"),
                    ImageRotateMenu, 10, quarter(Rotate90));
    AddImageCommand(shell, QStringLiteral("N1801"), QStringLiteral("180°"),
                    QStringLiteral("180°|Turns the image a half turn"), ImageRotateMenu, 20,
                    turn("Rotate", Rotate180));
    AddImageCommand(shell, QStringLiteral("N90Left1"), QStringLiteral("90° Left"),
                    QStringLiteral("90° Left|Turns the image a quarter turn counter-clockwise"),
                    ImageRotateMenu, 30, quarter(Rotate270));
    // A separator follows the "Rotate" submenu (a menu carries none itself).
    TCommandSpec sep;
    sep.Id = QStringLiteral("N2");
    sep.Menu = MenuIds::Image;
    sep.MenuOrder = OrderAfterRotate;
    shell.Commands().Add(sep)->setSeparator(true);
}

void InstallColors(TShell& shell) {
    TShell* s = &shell;
    TCommandRegistry& reg = shell.Commands();
    reg.AddMenu({ImageChannelsMenu, QStringLiteral("Channels"), MenuIds::Image, OrderChannels, true});
    reg.AddMenu({ImageColorsMenu, QStringLiteral("Colors"), MenuIds::Image, OrderColors, true});
    AddImageCommand(shell, QStringLiteral("RGBChannels1"), QStringLiteral("RGB Channels"),
                    QStringLiteral("RGB Channels|Shows the red, green and blue channels in new windows"),
                    ImageChannelsMenu, 10, [s](TMDIChild& w) {
                        SplitChannels(*s, w, {TColorChannel::Red, TColorChannel::Green, TColorChannel::Blue});
                    });
    AddImageCommand(shell, QStringLiteral("HSVChannels1"), QStringLiteral("HSV Channels"),
                    QStringLiteral("HSV Channels|Shows the hue, saturation and value channels in new windows"),
                    ImageChannelsMenu, 20, [s](TMDIChild& w) {
                        SplitChannels(*s, w,
                                      {TColorChannel::Hue, TColorChannel::Saturation, TColorChannel::Value});
                    });
    AddImageCommand(shell, QStringLiteral("Grayscale2"), QStringLiteral("Grayscale"),
                    QStringLiteral("Grayscale|Turns the image into gray levels"), ImageColorsMenu,
                    10, [s](TMDIChild& w) {
                        RunImageChange(*s, w, QStringLiteral("Grayscale"),
                                       TImageChange::Transform([](const TBitmap32& src, TBitmap32& dst) {
                                           GrayscaleBitmap(&dst, &src);
                                       }));
                    });
    // Inverting takes the undo snapshot like every other change of the image.
    AddImageCommand(shell, QStringLiteral("InvertRGB1"), QStringLiteral("Invert RGB"),
                    QStringLiteral("Invert RGB|Inverts the colours of the image"), ImageColorsMenu,
                    20, [s](TMDIChild& w) {
                        RunImageChange(*s, w, QStringLiteral("Invert RGB"),
                                       TImageChange::Transform([](const TBitmap32& src, TBitmap32& dst) {
                                           InvertBitmap(&dst, &src);
                                       }));
                    });
    AddImageCommand(
        shell, QStringLiteral("Countcolorsused1"), QStringLiteral("Count colors used"),
        QStringLiteral("Count colors used|Counts the distinct colours of the image"), ImageColorsMenu,
        30,
        [s](TMDIChild& w) {
            std::uint32_t count = 0;
            const TBitmap32& image = w.Document().Bitmap();
            RunComputation(*s, QStringLiteral("Count colors used"), [&] { count = CountColors(image); });
            AppPrompts().Message(s->Window(), QString::fromStdString(CountColorsMessage(count)));
        },
        true);
}

} // namespace

void SplitChannels(TShell& shell, TMDIChild& w, std::initializer_list<TColorChannel> channels) {
    const QString name = w.ImageName();
    const TBitmap32& image = w.Document().Bitmap();
    for (TColorChannel channel : channels) {
        const QString caption = name + QLatin1Char(' ') + QLatin1String(ColorChannelName(channel));
        // Computed before its window opens: a failure leaves no empty window.
        TBitmap32 result;
        RunComputation(shell, caption, [&] { ChannelImage(&result, &image, channel); });
        TMDIChild* c = shell.NewImageWindow(caption);
        c->Document().SetImage(std::move(result));
        c->FitToImage(c->Document().Bitmap().Width(), c->Document().Bitmap().Height());
        c->ImgView->RecomputeLayout();
    }
}

TfrmBrightness* BrightnessDialog(TShell& shell) { return shell.ToolWindows().Find<TfrmBrightness>(); }

static void RegisterProcessing(TShell& shell) {
    InstallGeometry(shell);
    InstallColors(shell);
    InstallFilters(shell);

    // The brightness dialog: one instance for the shell's whole life.
    shell.ToolWindows().Get<TfrmBrightness>([&shell] { return new TfrmBrightness(shell, shell.Window()); });
    TShell* s = &shell;
    AddImageCommand(shell, QStringLiteral("Brightness1"), QStringLiteral("Adjust Brightness"),
                    QStringLiteral("Adjust Brightness|Makes the image lighter or darker"), MenuIds::Image,
                    OrderBrightness, [s](TMDIChild&) {
                        if (TfrmBrightness* dlg = BrightnessDialog(*s)) AppPrompts().ExecDialog(*dlg);
                    });
}

void InstallProcessing(TShell& shell) {
    shell.Commands().Batch([&shell] { RegisterProcessing(shell); });
}

} // namespace ivra
