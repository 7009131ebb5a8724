// The help pages say what the program does: every menu path a page names in
// bold ("File > Save As") exists as a menu item of the program's windows.

#include "app/MainForm.h"
#include "app/Startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

using namespace ivra;

namespace {

// A caption as the reader sees it: no accelerator marks, no trailing dots.
QString Plain(QString text) {
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("..."))) text.chop(3);
    return text.simplified();
}

// True when some menu of the application is titled path[0] and leads
// through submenus path[1..n-2] to an item path[n-1].
bool PathExists(const QStringList& path) {
    for (QWidget* w : QApplication::allWidgets()) {
        auto* menu = qobject_cast<QMenu*>(w);
        if (!menu || Plain(menu->title()) != path.first()) continue;
        QMenu* at = menu;
        bool found = true;
        for (qsizetype i = 1; i < path.size() && found; ++i) {
            found = false;
            for (QAction* a : at->actions()) {
                if (Plain(a->text()) != path[i]) continue;
                found = true;
                if (i + 1 < path.size()) {
                    at = a->menu();
                    found = at != nullptr;
                }
                break;
            }
        }
        if (found) return true;
    }
    return false;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void menuPathsOfTheHelpPagesExist() {
        TStartupOptions o;
        o.SleepMs = 0;
        o.SplashMs = 0;
        TStartupResult r = RunStartup(o);
        const QDir folder(QStringLiteral(IVRA_HELP_DIR));
        const QStringList pages = folder.entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(!pages.isEmpty());
        const QRegularExpression bold(QStringLiteral("<b>([^<]*&gt;[^<]*)</b>"));
        int paths = 0;
        QStringList missing;
        for (const QString& page : pages) {
            QFile f(folder.filePath(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            for (const auto& m : bold.globalMatch(html)) {
                QStringList path = m.captured(1).split(QStringLiteral("&gt;"));
                for (QString& part : path) part = Plain(part);
                ++paths;
                if (!PathExists(path)) missing << page + QStringLiteral(": ") + path.join(QStringLiteral(" > "));
            }
        }
        QVERIFY(paths > 0);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
