// The program finds its pictures and help beside itself in the build folder
// and under ../share/ivra when it is installed, wherever the tree stands.

#include "services/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace ivra;

class TestDataFolder : public QObject {
    Q_OBJECT
private slots:
    void findsTheDataFolderOfItsTree() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString top = root.path();
        struct Case {
            QString program;   // where the program stands
            QString helpMade;  // a help folder made first ("" none)
            QString expected;  // the data folder it must find
        } cases[] = {
            {top + "/build", top + "/build/help", top + "/build"},                       // the build folder
            {top + "/opt/x/bin", top + "/opt/x/share/ivra/help", top + "/opt/x/share/ivra"}, // any prefix
            {top + "/unpacked/usr/bin", top + "/unpacked/usr/share/ivra/help", top + "/unpacked/usr/share/ivra"},
            {top + "/bare/bin", "", top + "/bare/bin"}, // no installed tree: beside the program
        };
        for (const Case& c : cases) {
            QVERIFY(QDir().mkpath(c.program));
            if (!c.helpMade.isEmpty()) QVERIFY(QDir().mkpath(c.helpMade));
            QCOMPARE(DataFolderBeside(c.program), c.expected);
        }
        // The running test stands in the build tree: its own folder.
        QCOMPARE(ProgramDataFolder(), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
