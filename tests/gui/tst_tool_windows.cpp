// The tool window registry keeps one window of each type: made on the first
// request, the same window on every later one, a new one after it is gone.

#include "services/ToolWindows.h"

#include <QDialog>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace ivra;

class TestToolWindows : public QObject {
    Q_OBJECT
private slots:
    void oneWindowOfEachTypeUntilItIsGone() {
        TToolWindowRegistry registry;
        int made = 0;
        auto makeDialog = [&made] { ++made; return new QDialog; };
        QVERIFY(!registry.Find<QDialog>());
        QDialog* first = &registry.Get<QDialog>(makeDialog);
        QCOMPARE(&registry.Get<QDialog>(makeDialog), first);
        QCOMPARE(registry.Find<QDialog>(), first);
        QCOMPARE(made, 1);
        // Another type is another window.
        std::unique_ptr<QLabel> label(&registry.Get<QLabel>([] { return new QLabel; }));
        QCOMPARE(registry.Find<QDialog>(), first);
        // A destroyed window is forgotten; the next request makes a new one.
        delete first;
        QVERIFY(!registry.Find<QDialog>());
        std::unique_ptr<QDialog> second(&registry.Get<QDialog>(makeDialog));
        QCOMPARE(made, 2);
        QCOMPARE(registry.Find<QDialog>(), second.get());
        QCOMPARE(registry.Find<QLabel>(), label.get());
    }
};

QTEST_MAIN(TestToolWindows)
#include "tst_tool_windows.moc"
