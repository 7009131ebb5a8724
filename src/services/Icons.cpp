#include "services/Icons.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: they are registered by hand.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace ivra {

QIcon AppIcon(const QString& name) {
    static const bool registered = (InitIconResources(), true);
    (void)registered;
    static QHash<QString, QIcon> cache;
    if (auto it = cache.constFind(name); it != cache.constEnd()) return *it;

    const QString path = QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
    QIcon icon;
    if (QFile::exists(path)) {
        QSvgRenderer svg(path);
        for (int size : {16, 20, 24, 32, 40, 48, 64}) {
            QPixmap pm(size, size);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            svg.render(&p, QRectF(0, 0, size, size));
            p.end();
            icon.addPixmap(pm);
        }
    }
    cache.insert(name, icon);
    return icon;
}

} // namespace ivra
