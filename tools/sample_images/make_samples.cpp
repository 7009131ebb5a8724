// Makes the sample pictures that ship in images/:
//
//   micrograph.png  1024 x 768, round stained cells on a pale ground, with a
//                   scale bar of exactly 200 pixels labelled "100 µm"
//                   (0.5 µm per pixel); the bar is black, from x = 784 to
//                   x = 983 inclusive, y = 716 to 723.
//   colorchart.png  800 x 600, colour patches (primaries, secondaries, a grey
//                   ramp of known values) and a hue band.
//   ruler.png       1100 x 320, a millimetre rule at 50 pixels per
//                   millimetre (0 mm at x = 50) above a grey ramp 0..255.
//
// Everything is drawn from a fixed seed, so each run gives the same files.
//
//   make_samples OUTPUT_FOLDER

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// A small deterministic generator (numbers in [0, 1)).
struct Rng {
    std::uint64_t s;
    double Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return double(s >> 11) / double(1ull << 53);
    }
    double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }
};

QFont Font(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

int Clamp(double v) { return v < 0 ? 0 : v > 255 ? 255 : int(v + 0.5); }

struct Cell {
    double x, y, r;
};

QImage Micrograph() {
    const int W = 1024, H = 768;
    QImage img(W, H, QImage::Format_RGB32);
    Rng rng{0x1f2e3d4c5b6a7988ull};

    // Pale ground with uneven illumination and a little grain.
    for (int y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const double dx = (x - W * 0.45) / W, dy = (y - H * 0.55) / H;
            const double light = 1.0 - 0.35 * (dx * dx + dy * dy);
            const double grain = rng.Range(-4, 4);
            row[x] = qRgb(Clamp(238 * light + grain), Clamp(226 * light + grain), Clamp(232 * light + grain));
        }
    }

    // Cells that do not overlap and keep clear of the scale bar's corner.
    std::vector<Cell> cells;
    for (int tries = 0; tries < 4000 && cells.size() < 46; ++tries) {
        Cell c{rng.Range(40, W - 40), rng.Range(40, H - 40), rng.Range(16, 38)};
        if (c.x + c.r > 760 && c.y + c.r > 670) continue;
        bool free = true;
        for (const Cell& o : cells)
            if (std::hypot(c.x - o.x, c.y - o.y) < c.r + o.r + 6) free = false;
        if (free) cells.push_back(c);
    }

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (const Cell& c : cells) {
        const double squash = rng.Range(0.86, 1.0);
        const double angle = rng.Range(0, 180);
        const int hue = int(rng.Range(290, 330));
        p.save();
        p.translate(c.x, c.y);
        p.rotate(angle);
        // Cytoplasm: lighter towards the middle, a darker membrane.
        QRadialGradient body(QPointF(-c.r * 0.2, -c.r * 0.2), c.r * 1.2);
        body.setColorAt(0.0, QColor::fromHsv(hue, 50, 235));
        body.setColorAt(0.75, QColor::fromHsv(hue, 95, 205));
        body.setColorAt(1.0, QColor::fromHsv(hue, 140, 160));
        p.setBrush(body);
        p.setPen(QPen(QColor::fromHsv(hue, 170, 110), 2.0));
        p.drawEllipse(QPointF(0, 0), c.r, c.r * squash);
        // Granules.
        p.setPen(Qt::NoPen);
        for (int i = 0; i < int(c.r); ++i) {
            const double a = rng.Range(0, 2 * M_PI), d = std::sqrt(rng.Next()) * c.r * 0.8;
            p.setBrush(QColor::fromHsv(hue, 120, 170, 90));
            p.drawEllipse(QPointF(std::cos(a) * d, std::sin(a) * d * squash), 1.2, 1.2);
        }
        // The nucleus, off centre.
        QRadialGradient nucleus(QPointF(c.r * 0.12, c.r * 0.05), c.r * 0.45);
        nucleus.setColorAt(0.0, QColor::fromHsv((hue + 330) % 360, 150, 150));
        nucleus.setColorAt(1.0, QColor::fromHsv((hue + 330) % 360, 200, 95));
        p.setBrush(nucleus);
        p.setPen(QPen(QColor::fromHsv((hue + 330) % 360, 210, 70), 1.0));
        p.drawEllipse(QPointF(c.r * 0.15, c.r * 0.08), c.r * 0.38, c.r * 0.32);
        p.restore();
    }

    // The scale bar: exactly 200 pixels, on a light label box.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawRect(QRect(770, 676, 228, 60));
    p.setBrush(Qt::black);
    p.drawRect(QRect(784, 716, 200, 8));
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(Font(20, true));
    p.setPen(Qt::black);
    p.drawText(QRect(784, 682, 200, 30), Qt::AlignCenter, QStringLiteral("100 \u00b5m"));
    p.end();
    return img;
}

QImage ColorChart() {
    const int W = 800, H = 600;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 40));
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);

    struct Patch {
        QColor c;
        const char* name;
    };
    const Patch patches[] = {
        {QColor(255, 0, 0), "red"},        {QColor(0, 255, 0), "green"},     {QColor(0, 0, 255), "blue"},
        {QColor(0, 255, 255), "cyan"},     {QColor(255, 0, 255), "magenta"}, {QColor(255, 255, 0), "yellow"},
        {QColor(255, 128, 0), "orange"},   {QColor(128, 0, 255), "violet"},  {QColor(0, 128, 128), "teal"},
        {QColor(128, 64, 0), "brown"},     {QColor(224, 172, 140), "skin"},  {QColor(96, 160, 64), "leaf"},
    };
    const int pw = 120, ph = 90, gap = 10, x0 = 25, y0 = 20;
    for (int i = 0; i < 12; ++i) {
        const QRect r(x0 + (i % 6) * (pw + gap), y0 + (i / 6) * (ph + gap + 16), pw, ph);
        p.fillRect(r, patches[i].c);
        p.setPen(Qt::white);
        p.setFont(Font(12));
        p.drawText(QRect(r.left(), r.bottom() + 2, pw, 14), Qt::AlignCenter,
                   QStringLiteral("%1 %2,%3,%4")
                       .arg(QLatin1String(patches[i].name))
                       .arg(patches[i].c.red())
                       .arg(patches[i].c.green())
                       .arg(patches[i].c.blue()));
    }
    // Eleven greys in steps of 25.5, rounded: 0, 26, 51 ... 255.
    const int gy = 250, gw = 70;
    for (int i = 0; i <= 10; ++i) {
        const int v = int(std::lround(i * 25.5));
        const QRect r(25 + i * gw, gy, gw, 100);
        p.fillRect(r, QColor(v, v, v));
        p.setPen(v < 128 ? Qt::white : Qt::black);
        p.setFont(Font(12));
        p.drawText(r, Qt::AlignHCenter | Qt::AlignBottom, QString::number(v));
    }
    // A hue band, full saturation and value, and one that fades to grey.
    for (int x = 0; x < 770; ++x) {
        const int hue = int(x * 360.0 / 770.0) % 360;
        p.setPen(QColor::fromHsv(hue, 255, 255));
        p.drawLine(25 + x, 380, 25 + x, 449);
        for (int y = 0; y < 70; ++y) {
            p.setPen(QColor::fromHsv(hue, 255 - y * 255 / 69, 255));
            p.drawPoint(25 + x, 460 + y);
        }
    }
    p.setPen(Qt::white);
    p.setFont(Font(14, true));
    p.drawText(QRect(25, 540, 770, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Ivra colour chart: patches, grey ramp 0-255, hues 0-360\u00b0"));
    p.end();
    return img;
}

QImage Ruler() {
    const int W = 1100, H = 320, pxPerMm = 50, x0 = 50;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(QColor(250, 246, 225));
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::black);
    // Ticks every 0.1 mm (5 pixels): long at each millimetre, middle at each
    // half millimetre, short in between.
    for (int t = 0; t <= 200; ++t) {
        const int x = x0 + t * pxPerMm / 10;
        const int len = (t % 10 == 0) ? 60 : (t % 5 == 0) ? 40 : 22;
        p.drawLine(x, 20, x, 20 + len);
        if (t % 10 == 0) {
            p.setFont(Font(16));
            p.drawText(QRect(x - 30, 84, 60, 22), Qt::AlignCenter, QString::number(t / 10));
        }
    }
    p.drawLine(x0, 20, x0 + 20 * pxPerMm, 20);
    p.setFont(Font(14, true));
    p.drawText(QRect(x0, 110, 400, 22), Qt::AlignLeft, QStringLiteral("mm  (50 pixels = 1 mm)"));
    // A grey ramp: column x of the ramp has the value (x - 50) * 255 / 999.
    for (int x = 0; x < 1000; ++x) {
        const int v = Clamp(x * 255.0 / 999.0);
        p.setPen(QColor(v, v, v));
        p.drawLine(x0 + x, 160, x0 + x, 259);
    }
    p.setPen(Qt::black);
    p.setFont(Font(13));
    p.drawText(QRect(x0, 266, 1000, 20), Qt::AlignLeft, QStringLiteral("0"));
    p.drawText(QRect(x0, 266, 1000, 20), Qt::AlignRight, QStringLiteral("255"));
    p.drawText(QRect(x0, 266, 1000, 20), Qt::AlignHCenter, QStringLiteral("grey ramp"));
    p.end();
    return img;
}

bool Save(const QImage& img, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QLatin1String(name));
    if (!img.save(path, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTPUT_FOLDER\n");
        return 2;
    }
    // Text needs a GUI application, but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const bool ok = Save(Micrograph(), folder, "micrograph.png") && Save(ColorChart(), folder, "colorchart.png") &&
                    Save(Ruler(), folder, "ruler.png");
    return ok ? 0 : 1;
}
