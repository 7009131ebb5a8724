#pragma once
// A main window with the measuring tools and the layer commands installed
// and one image window showing the test pattern, with real mouse events
// sent to the image window's view (the tests of layers, clipboard and text).

#include "imagewin/LayerCommands.h"
#include "measure/MeasureSetup.h"
#include "support/AppFixture.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <memory>

namespace ivra::test {

class TLayerFixture {
public:
    std::unique_ptr<TMainForm> Main;
    TMDIChild* Window = nullptr;
    QTemporaryDir Dir;

    // The program as at start with an image window of the w x h test pattern.
    void Open(int w = 300, int h = 200) {
        Main = MakeMainForm();
        InstallMeasuring(*Main);
        InstallLayerCommands(*Main);
        Window = Main->CreateImageWindow(WriteTestPicture(Dir.filePath(QStringLiteral("pattern.png")), w, h));
        Settle();
        Main->AppOnIdle();
    }
    void Close() {
        Main.reset();
        Window = nullptr;
    }
    TMDIChild& W() { return *Window; }
    TImageDocument& Doc() { return Window->Document(); }
    TLayerCollection& Layers() { return Window->ImgView->Layers(); }
    // Runs a registered command as its menu item or button does.
    void Run(const char* id) {
        Main->AppOnIdle();
        Main->Command(QLatin1String(id))->trigger();
    }
    bool Enabled(const char* id) {
        Main->AppOnIdle();
        return Main->Command(QLatin1String(id))->isEnabled();
    }

    // ---- Mouse over the view --------------------------------------------------------
    QPoint View(TPoint bitmapPos) const {
        const TPoint v = Window->BitmapToControl(bitmapPos);
        return {v.X, v.Y};
    }
    void Send(QEvent::Type type, QPoint viewPos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* vp = Window->ImgView->viewport();
        QMouseEvent e(type, QPointF(viewPos), vp->mapToGlobal(QPointF(viewPos)), button, buttons, mods);
        QCoreApplication::sendEvent(vp, &e);
    }
    void MoveTo(QPoint v, Qt::MouseButtons held = Qt::NoButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Send(QEvent::MouseMove, v, Qt::NoButton, held, mods);
    }
    // A move over the point, then a press and a release there.
    void ClickAt(QPoint v, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        MoveTo(v, Qt::NoButton, mods);
        Send(QEvent::MouseButtonPress, v, b, b, mods);
        Send(QEvent::MouseButtonRelease, v, b, Qt::NoButton, mods);
    }
    void Click(TPoint bitmapPos, Qt::MouseButton b = Qt::LeftButton) { ClickAt(View(bitmapPos), b); }
    // Press at from, move with the left button held in a few steps, release at to.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        MoveTo(from, Qt::NoButton, mods);
        Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
        for (int i = 1; i <= 4; ++i)
            MoveTo(from + (to - from) * i / 4, Qt::LeftButton, mods);
        Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
    }
};

} // namespace ivra::test
