#include "support/AppFixture.h"

#include "services/DrawingState.h"
#include "core/codecs/ImageFiles.h"
#include "engine/Drawing.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

namespace ivra::test {

std::unique_ptr<TMainForm> MakeMainForm() {
    auto main = std::make_unique<TMainForm>();
    main->show();
    QCoreApplication::processEvents();
    main->AppOnIdle();
    return main;
}

TDrawingState& Drawing() { return AppShell()->Drawing(); }

void FillTestPattern(TBitmap32& bmp, int w, int h) {
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, Color32(std::uint8_t(x), std::uint8_t(y), 100));
}

QString WriteTestPicture(const QString& path, int w, int h) {
    TBitmap32 bmp;
    FillTestPattern(bmp, w, h);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string native = QFile::encodeName(path).toStdString();
    if (suffix == QLatin1String("png")) {
        std::uint8_t filter = PngFilterNone;
        SaveToPng(bmp, native, filter);
    } else if (suffix == QLatin1String("bmp")) {
        SaveToBmp(bmp, native);
    } else if (suffix == QLatin1String("jpg")) {
        SaveToJPG(bmp, native);
    } else {
        ToImage(bmp).save(path);
    }
    return path;
}

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), target->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

} // namespace

void PressView(TMDIChild& w, QPoint p, Qt::MouseButton button) {
    QWidget* vp = w.ImgView->viewport();
    SendMouse(vp, QEvent::MouseButtonPress, p, button, button);
    SendMouse(vp, QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

void MoveView(TMDIChild& w, QPoint p) {
    SendMouse(w.ImgView->viewport(), QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
}

void WheelView(TMDIChild& w, bool up) {
    QWidget* vp = w.ImgView->viewport();
    const QPointF p(10, 10);
    QWheelEvent e(p, vp->mapToGlobal(p), QPoint(), QPoint(0, up ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(vp, &e);
}

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace ivra::test
