#include "app/Splash.h"

#include "services/AppInfo.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QRadialGradient>
#include <QScreen>

#include <cmath>
#include <cstdint>
#include <vector>

namespace ivra {

namespace {

constexpr int SplashWidth = 441;
constexpr int SplashHeight = 418;

// A small deterministic generator, so that the picture is the same each run.
struct TLcg {
    std::uint32_t s;
    double Next() {
        s = s * 1664525u + 1013904223u;
        return double(s >> 8) / double(1u << 24);
    }
};

// The field of view of a microscope: stained round cells on a pale ground,
// inside a circular stop, with a measuring line and its scale label.
void PaintMicrograph(QPainter& p, const QRectF& field) {
    const QPointF c = field.center();
    const double r = field.width() / 2;
    QPainterPath stop;
    stop.addEllipse(field);

    p.save();
    p.setClipPath(stop);
    QRadialGradient ground(c, r);
    ground.setColorAt(0.0, QColor(246, 238, 224));
    ground.setColorAt(0.8, QColor(226, 210, 190));
    ground.setColorAt(1.0, QColor(150, 128, 110));
    p.fillRect(field, ground);

    // Cells that do not overlap, placed by trial.
    TLcg rng{20240611u};
    struct TCell {
        QPointF c;
        double r;
    };
    std::vector<TCell> cells;
    for (int tries = 0; tries < 600 && cells.size() < 22; ++tries) {
        const double a = rng.Next() * 2 * M_PI;
        const double d = std::sqrt(rng.Next()) * (r - 6);
        const TCell cell{QPointF(c.x() + std::cos(a) * d, c.y() + std::sin(a) * d), 7 + rng.Next() * 10};
        bool free = true;
        for (const TCell& o : cells)
            if (std::hypot(cell.c.x() - o.c.x(), cell.c.y() - o.c.y()) < cell.r + o.r + 2) free = false;
        if (free) cells.push_back(cell);
    }
    for (const TCell& cell : cells) {
        const QPointF cc = cell.c;
        const double cr = cell.r;
        QRadialGradient stain(cc + QPointF(-cr * 0.3, -cr * 0.3), cr * 1.3);
        const int hue = 300 + int(rng.Next() * 40);
        stain.setColorAt(0.0, QColor::fromHsv(hue % 360, 60, 240));
        stain.setColorAt(0.7, QColor::fromHsv(hue % 360, 110, 200));
        stain.setColorAt(1.0, QColor::fromHsv(hue % 360, 160, 150));
        p.setPen(QPen(QColor::fromHsv(hue % 360, 180, 110), 1.2));
        p.setBrush(stain);
        p.drawEllipse(cc, cr, cr * (0.85 + rng.Next() * 0.15));
        // The nucleus.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((hue + 330) % 360, 170, 110, 200));
        p.drawEllipse(cc + QPointF(rng.Next() * 3 - 1.5, rng.Next() * 3 - 1.5), cr * 0.38, cr * 0.32);
    }
    p.restore();

    // The rim of the stop.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 44, 52), 3));
    p.drawEllipse(field);

    // A measurement across the field: the line and its two end points.
    const QPointF a(c.x() - r * 0.55, c.y() + r * 0.55), b(c.x() + r * 0.05, c.y() + r * 0.1);
    p.setPen(QPen(QColor(255, 220, 40), 2.2));
    p.drawLine(a, b);
    p.setBrush(QColor(255, 220, 40));
    p.drawEllipse(a, 3, 3);
    p.drawEllipse(b, 3, 3);
}

} // namespace

QPixmap TfrmSplash::Picture() {
    QPixmap pm(SplashWidth, SplashHeight);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient back(0, 0, 0, SplashHeight);
    back.setColorAt(0.0, QColor(28, 44, 74));
    back.setColorAt(1.0, QColor(10, 16, 30));
    p.fillRect(pm.rect(), back);

    PaintMicrograph(p, QRectF(250, 30, 170, 170));

    // The program's name and version.
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(240, 244, 250));
    p.drawText(QRectF(24, 40, 230, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ivra"));
    QFont sub(title);
    sub.setPixelSize(22);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(180, 200, 230));
    p.drawText(QRectF(24, 92, 230, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Image Analyser"));
    QFont small(sub);
    small.setPixelSize(13);
    p.setFont(small);
    p.setPen(QColor(150, 170, 200));
    p.drawText(QRectF(24, 126, 230, 20), Qt::AlignLeft | Qt::AlignVCenter, AppVersionText);
    p.drawText(QRectF(24, 220, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Measure  \u2022  Count  \u2022  Analyse"));

    // A ruler along the bottom, above the text box.
    p.setPen(QPen(QColor(120, 150, 190), 1));
    const int y0 = 270;
    p.drawLine(24, y0, 417, y0);
    for (int x = 24, i = 0; x <= 417; x += 8, ++i)
        p.drawLine(x, y0, x, y0 - ((i % 10 == 0) ? 10 : (i % 5 == 0) ? 7 : 4));

    // The frame around the text box.
    p.setPen(QPen(QColor(70, 90, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(110.5, 302.5, 220, 108));
    p.end();
    return pm;
}

TfrmSplash::TfrmSplash(QWidget* parent, int closeDelayMs)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(AppTitle);
    picture_ = Picture();
    setFixedSize(picture_.size());

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setGeometry(112, 304, 217, 105);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = memo_->palette();
    pal.setColor(QPalette::Base, QColor(14, 22, 40));
    pal.setColor(QPalette::Text, QColor(200, 215, 235));
    memo_->setPalette(pal);
    QFont f = memo_->font();
    f.setPixelSize(10);
    memo_->setFont(f);
    // A click on the text box counts as a click on the picture.
    memo_->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
    memo_->setAttribute(Qt::WA_TransparentForMouseEvents);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }

    // Every firing only allows closing again; the timer runs while the splash
    // lives. Without a delay the splash may close at once.
    if (closeDelayMs <= 0) {
        closeAllowed_ = true;
        return;
    }
    timer_.setInterval(closeDelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { closeAllowed_ = true; });
    timer_.start();
}

void TfrmSplash::AddLine(const QString& line) {
    memo_->appendPlainText(line);
    memo_->repaint();
}

QStringList TfrmSplash::Lines() const {
    return memo_->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TfrmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}

void TfrmSplash::mousePressEvent(QMouseEvent* e) {
    closeAllowed_ = true;
    e->accept();
}

} // namespace ivra
