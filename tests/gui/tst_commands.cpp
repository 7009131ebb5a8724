// The command registry alone: a batch of registrations is announced once,
// a command or menu placed in a menu nobody registered is refused when the
// batch ends, and a command's toolbar button hands its presses to the
// command.

#include "core/Error.h"
#include "services/Commands.h"
#include "services/MenuIds.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace ivra;

namespace {

TCommandSpec Item(const char* id, TMenuId menu) {
    TCommandSpec c;
    c.Id = QLatin1String(id);
    c.Caption = QLatin1String(id);
    c.Menu = menu;
    return c;
}

} // namespace

class TstCommands : public QObject {
    Q_OBJECT
private slots:
    void batchIsAnnouncedOnce() {
        TCommandRegistry r;
        QSignalSpy changed(&r, &TCommandRegistry::Changed);
        r.Batch([&] {
            // An item may come before its menu within the batch.
            r.Add(Item("a", MenuIds::File));
            r.AddMenu({MenuIds::File, QStringLiteral("&File"), {}, 10});
            r.Batch([&] { r.Add(Item("b", MenuIds::File)); });
            QCOMPARE(changed.count(), 0);
        });
        QCOMPARE(changed.count(), 1);
        // Outside a batch every registration is announced.
        r.Add(Item("c", MenuIds::File));
        QCOMPARE(changed.count(), 2);
        // A batch that registers nothing announces nothing.
        r.Batch([] {});
        QCOMPARE(changed.count(), 2);
    }

    void unknownMenuIsRefused_data() {
        QTest::addColumn<bool>("submenu");  // else a command
        QTest::addColumn<QString>("named");
        QTest::newRow("command in an unknown menu") << false << "The command x is placed in the unknown menu Nowhere";
        QTest::newRow("submenu of an unknown menu") << true << "The menu Sub is placed in the unknown menu Nowhere";
    }
    void unknownMenuIsRefused() {
        QFETCH(bool, submenu);
        QFETCH(QString, named);
        constexpr TMenuId nowhere{"Nowhere"};
        TCommandRegistry r;
        QSignalSpy changed(&r, &TCommandRegistry::Changed);
        QString error;
        try {
            r.Batch([&] {
                r.AddMenu({MenuIds::File, QStringLiteral("&File"), {}, 10});
                r.Add(Item("fine", MenuIds::File));
                if (submenu) r.AddMenu({TMenuId("Sub"), QStringLiteral("Sub"), nowhere, 10});
                else r.Add(Item("x", nowhere));
            });
        } catch (const Error& e) {
            error = QString::fromStdString(e.what());
        }
        QCOMPARE(error, named);
        QCOMPARE(changed.count(), 0);
    }

    // The button's presses reach the command first; a consumed press never
    // clicks the button. A disabled command hears nothing.
    void buttonPressReachesTheCommand() {
        TCommandRegistry r;
        QList<Qt::MouseButton> heard;
        int runs = 0;
        TCommandSpec c = Item("btn", TMenuId());
        c.Run = [&] { ++runs; };
        c.ButtonPress = [&](Qt::MouseButton b) {
            heard << b;
            return b == Qt::RightButton;
        };
        QAction* a = r.Add(c);
        QToolButton button;
        button.setDefaultAction(a);
        r.AttachButton(a, &button);
        QTest::mouseClick(&button, Qt::RightButton);
        QCOMPARE(runs, 0);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(runs, 1);
        QCOMPARE(heard, (QList<Qt::MouseButton>{Qt::RightButton, Qt::LeftButton}));
        a->setEnabled(false);
        QTest::mouseClick(&button, Qt::RightButton);
        QCOMPARE(heard.size(), 2);
    }
};

QTEST_MAIN(TstCommands)
#include "tst_commands.moc"
