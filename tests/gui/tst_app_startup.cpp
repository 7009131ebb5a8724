// Start-up, the main window's frame, its menus, bars, panels, hints, help
// and the error guard.

#include "app/AboutBox.h"
#include "services/AppInfo.h"
#include "services/Busy.h"
#include "services/CommandGuard.h"
#include "services/DrawingState.h"
#include "app/HelpWindow.h"
#include "app/MainForm.h"
#include "app/NewImageUnit.h"
#include "app/Splash.h"
#include "app/QuitOnSignal.h"
#include "app/Startup.h"
#include "core/Error.h"
#include "core/io/FileIO.h"
#include "engine/GaugeBar.h"
#include "support/AppFixture.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <chrono>
#include <csignal>
#include <thread>

using namespace ivra;
using namespace ivra::test;

namespace {

const QStringList StartupLines = {
    "Ivra Image Analyser v2.0beta",
    "Measuring and analysing images",
    "Loading main module...",
    "Loading toolbars...",
    "Loading filters...",
    "Loading spreadsheet module...",
    "Loading notepad module...",
    "Init successful. Switching to run phase.",
};

QString SourceHelpFolder() { return QStringLiteral(IVRA_TEST_DATA_DIR "/../../help"); }

TfrmSplash* FindSplash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<TfrmSplash*>(w)) return s;
    return nullptr;
}

QStringList VisibleMenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions())
        if (a->isVisible()) titles << a->text();
    return titles;
}

// Opens a menu as a click on its title does, then closes it again.
void OpenAndCloseMenu(QMenu* menu) {
    menu->popup(QPoint(0, 0));
    menu->hide();
}

} // namespace

class TestAppStartup : public QObject {
    Q_OBJECT
private slots:
    void startupWritesItsLinesInOrder();
    void splashClickEndsTheWait();
    void noSplashArgumentSkipsTheDelays();
    void imageWindowMenusOfEverySubsystemShow();
    void mainWindowFrame();
    void commandsWithoutAnImageWindow();
    void viewTogglesShowAndHideTheirBars_data();
    void viewTogglesShowAndHideTheirBars();
    void messagesPaneFloatsNearTheRightEdge();
    void floatingPanelsStartHidden();
    void hintHandlerShowsTheLongPart_data();
    void hintHandlerShowsTheLongPart();
    void toolbarHintsSplitIntoTooltipAndStatus();
    void helpOpensTheTopics();
    void missingHelpFileIsReported();
    void aboutBoxShowsProductAndVersion();
    void windowMenuListsAndTilesImageWindows();
    void errorGuardShowsTheMessageAndKeepsEarlierChanges();
    void terminatingSignalsRemoveTemporaryFilesAndClose_data();
    void terminatingSignalsRemoveTemporaryFilesAndClose();
};

void TestAppStartup::startupWritesItsLinesInOrder() {
    TStartupOptions o;
    o.SleepMs = 0;
    o.SplashMs = 0;
    TStartupResult r = RunStartup(o);
    QCOMPARE(r.SplashLines, StartupLines);
    QVERIFY(r.Main);
    QVERIFY(r.Main->isVisible());
    QVERIFY(r.Main->windowState() & Qt::WindowMaximized);
    QVERIFY(r.Main->findChild<TNewImageForm*>() != nullptr);
    QVERIFY(!r.Main->findChild<TNewImageForm*>()->isVisible());
    QVERIFY(r.Main->findChild<TAboutBoxFrm*>() != nullptr);
    QVERIFY(!r.Main->findChild<TAboutBoxFrm*>()->isVisible());
    QCOMPARE(QCoreApplication::applicationName(), AppTitle);
    QVERIFY(FindSplash() == nullptr);
}

void TestAppStartup::splashClickEndsTheWait() {
    // A minute's timer: only the click can end the wait.
    TStartupOptions o;
    o.SleepMs = 0;
    o.SplashMs = 60000;
    int passes = 0;
    bool allowedBeforeClick = true;
    o.OnWaitPass = [&] {
        ++passes;
        TfrmSplash* s = FindSplash();
        QVERIFY(s);
        QCOMPARE(s->size(), QSize(441, 418));
        if (passes == 1) {
            allowedBeforeClick = s->CloseAllowed();
            QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(40, 40));
        }
    };
    TStartupResult r = RunStartup(o);
    QCOMPARE(allowedBeforeClick, false);
    QCOMPARE(passes, 1);
    QCOMPARE(r.SplashLines.size(), StartupLines.size());
}

// After a full start-up the menu bar shows the image window's menus, with
// their submenus filled by the subsystems, only while an image window is
// active.
void TestAppStartup::imageWindowMenusOfEverySubsystemShow() {
    TStartupOptions o;
    o.SleepMs = 0;
    o.SplashMs = 0;
    TStartupResult r = RunStartup(o);
    auto titles = [&] {
        QStringList list;
        for (QAction* a : r.Main->menuBar()->actions())
            if (a->isVisible()) list << a->text();
        return list;
    };
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Tools", "&Window", "&Help"}));
    TMDIChild* w = r.Main->NewImageWindow(QStringLiteral("x"));
    w->NewImage(8, 8, clWhite32);
    QCoreApplication::processEvents();
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Tools", "&Image", "&Edit", "Filters", "Layers", "Selection",
                                    "&Window", "&Help"}));
}

void TestAppStartup::noSplashArgumentSkipsTheDelays() {
    const TStartupOptions normal = TStartupOptions::FromArguments({"ivra"});
    QCOMPARE(normal.SleepMs, 2000);
    QCOMPARE(normal.SplashMs, 5000);
    const TStartupOptions quick = TStartupOptions::FromArguments({"ivra", "--no-splash"});
    QCOMPARE(quick.SleepMs, 0);
    QCOMPARE(quick.SplashMs, 0);
}

void TestAppStartup::mainWindowFrame() {
    auto main = MakeMainForm();
    QCOMPARE(main->windowTitle(), QStringLiteral("Ivra Image Analyser"));
    // Tools has nothing to show yet, so it stays out of the bar.
    QCOMPARE(VisibleMenuTitles(main->menuBar()),
             (QStringList{"&File", "&View", "&Window", "&Help"}));
    QCOMPARE(main->StatusPanel(0)->width(), 120);
    QCOMPARE(main->StatusPanel(1)->width(), 240);
    QVERIFY(main->StatusPanel(2)->width() > 240);
    auto bar = [&main](const char* name) { return Named<QToolBar>(*main, name); };
    QCOMPARE(bar("tbFile")->windowTitle(), QStringLiteral("File/Edit"));
    QCOMPARE(bar("tbZoom")->windowTitle(), QStringLiteral("Zoom"));
    QCOMPARE(bar("tbLayers")->windowTitle(), QStringLiteral("Layers"));
    QCOMPARE(bar("tbPen")->windowTitle(), QStringLiteral("Pen"));
    QCOMPARE(bar("tbTools")->windowTitle(), QStringLiteral("Tools"));
    for (const char* name : {"tbFile", "tbZoom", "tbLayers", "tbPen", "tbTools"}) {
        QVERIFY(bar(name)->isMovable());
        QVERIFY(bar(name)->isFloatable());
    }
    // Two rows: the Zoom bar lies below the File/Edit bar.
    QVERIFY(main->toolBarBreak(bar("tbSpecials")) || main->toolBarBreak(bar("tbZoom")));
    QVERIFY(bar("tbZoom")->geometry().top() >= bar("tbFile")->geometry().bottom());
    auto* zoom = Named<QComboBox>(*main, "ScaleCombo");
    QCOMPARE(zoom->currentText(), QStringLiteral("100%"));
    QCOMPARE(zoom->count(), 11);
    QCOMPARE(zoom->maxVisibleItems(), 9);
    QCOMPARE(Named<QCheckBox>(*main, "ImageInterpolate")->text(), QStringLiteral("Interpol."));
    QVERIFY(!Named<QCheckBox>(*main, "ImageInterpolate")->isChecked());
    QVERIFY(!Named<QCheckBox>(*main, "cbDraw")->isChecked());
    QCOMPARE(Named<QLineEdit>(*main, "edWidth")->text(), QStringLiteral("3"));
    QCOMPARE(Drawing().CalibrationFactor, 1.0f);
    QCOMPARE(Drawing().PenWidth, 3);
    QCOMPARE(Drawing().ForeColor, TColor(0x00FFFFFF));
    QCOMPARE(Drawing().BackColor, TColor(0));
}

void TestAppStartup::commandsWithoutAnImageWindow() {
    auto main = MakeMainForm();
    QVERIFY(!Named<QToolBar>(*main, "tbTools")->isEnabled());
    QVERIFY(!Named<QToolBar>(*main, "tbZoom")->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("FileSaveItem"))->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("FileSaveAsItem"))->isEnabled());
    QVERIFY(!main->Command(QStringLiteral("btnClearDrawing"))->isEnabled());
    QVERIFY(main->Command(QStringLiteral("FileNewItem"))->isEnabled());
    QVERIFY(main->Command(QStringLiteral("FileOpenItem"))->isEnabled());
    QVERIFY(main->Command(QStringLiteral("FileExitItem"))->isEnabled());
}

void TestAppStartup::viewTogglesShowAndHideTheirBars_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("bar");
    QTest::newRow("Toolbar") << "Toolbar" << "tbTools";
    QTest::newRow("Scale bar") << "Scale bar" << "tbZoom";
    QTest::newRow("Layers bar") << "Layers bar" << "tbLayers";
    QTest::newRow("File bar") << "File bar" << "tbFile";
    QTest::newRow("Color+Pen bar") << "Color+Pen bar" << "tbPen";
    QTest::newRow("Messages") << "Messages" << "tbMessages";
}

void TestAppStartup::viewTogglesShowAndHideTheirBars() {
    QFETCH(QString, item);
    QFETCH(QString, bar);
    auto main = MakeMainForm();
    QAction* toggle = nullptr;
    for (QAction* a : main->Menu(QStringLiteral("View"))->actions())
        if (a->text() == item) toggle = a;
    QVERIFY(toggle);
    auto* target = main->findChild<QWidget*>(bar);
    QVERIFY(target);
    QVERIFY(toggle->isChecked());
    QVERIFY(target->isVisible());
    const QRect before = target->geometry();
    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!target->isVisible());
    toggle->trigger();
    QVERIFY(toggle->isChecked());
    QVERIFY(target->isVisible());
    QCOMPARE(target->geometry(), before);
}

void TestAppStartup::messagesPaneFloatsNearTheRightEdge() {
    auto main = MakeMainForm();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto* pane = Named<QDockWidget>(*main, "tbMessages");
    QVERIFY(pane->isFloating());
    QCOMPARE(pane->windowTitle(), QStringLiteral("Messages"));
    QCOMPARE(pane->geometry(), QRect(screen.width() - 150, 150, 125, 215));
    main->AddMessage(QStringLiteral("Length: 12.5"));
    main->AddMessage(QStringLiteral("Angle: 90"));
    QCOMPARE(Named<QPlainTextEdit>(*pane, "memo1")->toPlainText(), QStringLiteral("Length: 12.5\nAngle: 90"));
}

void TestAppStartup::floatingPanelsStartHidden() {
    auto main = MakeMainForm();
    QWidget* layer = Named(*main, "LayerWindow");
    QWidget* magnifier = Named(*main, "MagnifierWindow");
    QVERIFY(!layer->isVisible());
    QVERIFY(!magnifier->isVisible());
    QCOMPARE(layer->windowTitle(), QStringLiteral(" Bitmap Layer"));
    QCOMPARE(magnifier->windowTitle(), QStringLiteral(" Magnifier"));
    QCOMPARE(layer->size(), QSize(137, 152));
    QCOMPARE(magnifier->size(), QSize(134, 185));
    QVERIFY(Named(*main, "pnlBitmapLayer")->parentWidget() == layer);
    QVERIFY(Named(*main, "PnlMagn")->parentWidget() == magnifier);
    QCOMPARE(layer->y(), 550);
    QCOMPARE(magnifier->y(), 350);
    struct TGauge {
        QWidget* window;
        const char* name;
        int lo, hi, pos;
    };
    for (const TGauge& t : {TGauge{layer, "LayerOpacity", 0, 255, 255}, TGauge{magnifier, "MagnOpacity", 0, 255, 255},
                            TGauge{magnifier, "MagnMagnification", 0, 50, 10},
                            TGauge{magnifier, "MagnRotation", -180, 180, 0}}) {
        const TGaugeBar* g = Named<TGaugeBar>(*t.window, t.name);
        QCOMPARE(g->Min(), t.lo);
        QCOMPARE(g->Max(), t.hi);
        QCOMPARE(g->Position(), t.pos);
    }
    QCOMPARE(Named<QCheckBox>(*layer, "LayerInterpolate")->text(), QStringLiteral("Interpolated"));
    QCOMPARE(Named<QCheckBox>(*layer, "Cropped")->text(), QStringLiteral("Cropped"));
    QCOMPARE(Named<QPushButton>(*layer, "Button1")->text(), QStringLiteral("Delete"));
    QCOMPARE(Named<QCheckBox>(*magnifier, "MagnInterpolate")->text(), QStringLiteral("Interpolated"));
}

void TestAppStartup::hintHandlerShowsTheLongPart_data() {
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("shown");
    QTest::newRow("two parts") << "Open|Open a file" << "Open a file";
    QTest::newRow("no bar") << "Zoom-factor" << "Zoom-factor";
    QTest::newRow("empty long part") << "Draw switch|" << "";
    QTest::newRow("second bar kept") << "A|B|C" << "B|C";
    QTest::newRow("empty") << "" << "";
}

void TestAppStartup::hintHandlerShowsTheLongPart() {
    QFETCH(QString, hint);
    QFETCH(QString, shown);
    auto main = MakeMainForm();
    main->InstallAppHandlers();
    // A status tip of the main window itself.
    main->StatusPanel(2)->setText(QStringLiteral("previous"));
    QStatusTipEvent own(hint);
    QCoreApplication::sendEvent(main.get(), &own);
    QCOMPARE(main->StatusText(2), shown);
    // The same through the application's status tips, from a floating window.
    main->StatusPanel(2)->setText(QStringLiteral("previous"));
    QStatusTipEvent tip(hint);
    QCoreApplication::sendEvent(Named(*main, "memo1"), &tip);
    QCOMPARE(main->StatusText(2), shown);
}

void TestAppStartup::toolbarHintsSplitIntoTooltipAndStatus() {
    auto main = MakeMainForm();
    QCOMPARE(main->Command(QStringLiteral("FileOpenItem"))->toolTip(), QStringLiteral("Open"));
    QCOMPARE(main->Command(QStringLiteral("FileOpenItem"))->statusTip(), QStringLiteral("Open|Open a file"));
    QCOMPARE(main->Command(QStringLiteral("btnClearDrawing"))->statusTip(), QStringLiteral("Clear Drawing|Clears user drawing layer."));
    QCOMPARE(Named(*main, "memo1")->statusTip(),
             QStringLiteral("Messages window|Select View->Messages if you want to hide it."));
    QCOMPARE(Named(*main, "cbDraw")->statusTip(),
             QStringLiteral("Draw switch|\"Draw-ON\": measurement lines remain on draw layer; \"Draw-off\": "
                            "measure lines disappear after measurement."));
    // A hovered menu item's hint reaches panel 2.
    main->Command(QStringLiteral("FileSaveAsItem"))->showStatusText(main.get());
    QCOMPARE(main->StatusText(2), QStringLiteral("Save current file with different name"));
}

void TestAppStartup::helpOpensTheTopics() {
    auto main = MakeMainForm();
    main->SetHelpFolder(SourceHelpFolder());
    TScriptedPrompts prompts;
    main->Command(QStringLiteral("HelpContentsItem"))->trigger();
    THelpWindow& help = *Named<THelpWindow>(*main, "HelpWindow");
    QVERIFY(help.isVisible());
    QVERIFY(help.Browser()->source().toLocalFile().endsWith(QStringLiteral("index.html")));
    QVERIFY(help.Browser()->toPlainText().contains(QStringLiteral("Ivra Image Analyser")));
    main->Command(QStringLiteral("HelpLessonsItem"))->trigger();
    QVERIFY(help.Browser()->source().toLocalFile().endsWith(QStringLiteral("lesson1.html")));
    QVERIFY(!help.Browser()->toPlainText().isEmpty());
    VERIFY_PROMPTS(prompts);
}

void TestAppStartup::missingHelpFileIsReported() {
    auto main = MakeMainForm();
    main->SetHelpFolder(QStringLiteral("/nonexistent/help"));
    TScriptedPrompts prompts;
    prompts.ExpectErrorContaining(QStringLiteral("index.html"));
    main->Command(QStringLiteral("HelpContentsItem"))->trigger();
    VERIFY_PROMPTS(prompts);
}

void TestAppStartup::aboutBoxShowsProductAndVersion() {
    auto main = MakeMainForm();
    TScriptedPrompts prompts;
    QStringList texts;
    prompts.ExpectDialog(QStringLiteral("AboutBoxFrm"), [&](QDialog& d) {
        for (QLabel* l : d.findChildren<QLabel*>()) texts << l->text();
        return int(QDialog::Accepted);
    });
    main->Command(QStringLiteral("HelpAboutItem"))->trigger();
    VERIFY_PROMPTS(prompts);
    QVERIFY(texts.contains(QStringLiteral("Ivra Image Analyser")));
    QVERIFY(texts.contains(QStringLiteral("Version 2.00 beta")));
}

void TestAppStartup::windowMenuListsAndTilesImageWindows() {
    auto main = MakeMainForm();
    TMDIChild* a = main->CreateImageWindow(QStringLiteral("first"));
    a->NewImage(40, 30, clWhite32);
    TMDIChild* b = main->CreateImageWindow(QStringLiteral("second"));
    b->NewImage(50, 20, clBlack32);
    Settle();
    OpenAndCloseMenu(main->Menu(QStringLiteral("Window")));
    QStringList listed;
    for (QAction* act : main->Menu(QStringLiteral("Window"))->actions())
        if (act->isCheckable()) listed << act->text();
    QCOMPARE(listed, (QStringList{"&1 Untitled  [40x30 pixels]", "&2 Untitled  [50x20 pixels]"}));

    const QSize area = main->MdiArea()->viewport()->size();
    main->Command(QStringLiteral("WindowTileHorzItem"))->trigger();
    QCOMPARE(a->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    QCOMPARE(b->geometry().top(), area.height() / 2);
    main->Command(QStringLiteral("WindowTileVertItem"))->trigger();
    QCOMPARE(a->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    QCOMPARE(b->geometry().left(), area.width() / 2);
    main->Command(QStringLiteral("WindowMinimizeItem"))->trigger();
    QVERIFY(a->isMinimized() && b->isMinimized());
    QCOMPARE(a->geometry().bottom(), area.height() - 1);
    // Choosing a window from the list makes it the active one.
    OpenAndCloseMenu(main->Menu(QStringLiteral("Window")));
    for (QAction* act : main->Menu(QStringLiteral("Window"))->actions())
        if (act->text().startsWith(QStringLiteral("&1"))) act->trigger();
    QCOMPARE(main->ActiveImageWindow(), a);
}

void TestAppStartup::errorGuardShowsTheMessageAndKeepsEarlierChanges() {
    TScriptedPrompts prompts;
    prompts.ExpectError(QStringLiteral("Destination is nil"));
    int done = 0;
    const bool ok = RunGuarded([&] {
        done = 1;
        throw Error("Destination is nil");
    });
    QVERIFY(!ok);
    QCOMPARE(done, 1);
    VERIFY_PROMPTS(prompts);
    // A failing command run from a menu item does not reach the event loop.
    auto main = MakeMainForm();
    QAction* failing = main->Menu(QStringLiteral("Help"))->addAction(QStringLiteral("fails"));
    ConnectGuarded(failing, &QAction::triggered, main.get(), [](bool) { throw std::runtime_error("boom"); });
    prompts.ExpectError(QStringLiteral("boom"));
    failing->trigger();
    VERIFY_PROMPTS(prompts);
}

namespace {

// A window that, as the main window does, refuses to close while a file is
// being read or written.
class TBusyRefusingWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override {
        if (IsBusy()) e->ignore();
        else QWidget::closeEvent(e);
    }
};

} // namespace

// TERM and INT during a save: the temporary file goes at once, inside the
// handler, and the window then closes as its close box closes it (once the
// write under way is over); the save fails and the target is not written.
void TestAppStartup::terminatingSignalsRemoveTemporaryFilesAndClose_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("busy");
    QTest::newRow("TERM") << SIGTERM << false;
    QTest::newRow("INT") << SIGINT << false;
    QTest::newRow("TERM during a write in the background") << SIGTERM << true;
}

void TestAppStartup::terminatingSignalsRemoveTemporaryFilesAndClose() {
    QFETCH(int, signal);
    QFETCH(bool, busy);
    QTemporaryDir dir;
    const auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(); };
    TBusyRefusingWindow window;
    window.show();
    QuitOnTerminatingSignals(window);
    const std::string target = dir.filePath(QStringLiteral("saved.png")).toStdString();
    const auto save = [&] {
        TAtomicFileWriter writer(target);
        writer.Write("the first part");
        ::raise(signal);
        // The window answers while the write goes on, and waits for it.
        if (busy) std::this_thread::sleep_for(std::chrono::milliseconds(400));
        writer.Commit();
    };
    if (busy) QVERIFY_THROWS_EXCEPTION(Error, RunBusy(save));
    else QVERIFY_THROWS_EXCEPTION(Error, save());
    QCOMPARE(files(), 0);
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(TestAppStartup)
#include "tst_app_startup.moc"
