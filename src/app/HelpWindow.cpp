#include "app/HelpWindow.h"

#include "services/ToolWindows.h"
#include "services/AppInfo.h"
#include "core/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ivra {

QString THelpWindow::TopicFile(const QString& topic) {
    if (topic == QLatin1String("MAIN")) return QStringLiteral("index.html");
    if (topic == QLatin1String("IDH_Lesson1")) return QStringLiteral("lesson1.html");
    return {};
}

THelpWindow::THelpWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(folder) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(AppTitle + QStringLiteral(" Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({folder_});

    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* forward = new QPushButton(QStringLiteral("Forward"), this);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] {
        browser_->setSource(QUrl::fromLocalFile(QDir(folder_).filePath(TopicFile("MAIN"))));
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? AppTitle + QStringLiteral(" Help")
                                       : title + QStringLiteral(" - ") + AppTitle);
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addStretch(1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(bar);
    outer->addWidget(browser_, 1);
    resize(760, 680);
}

void THelpWindow::ShowTopic(const QString& topic) {
    const QString file = TopicFile(topic);
    if (file.isEmpty())
        throw Error("There is no help topic \"" + topic.toStdString() + "\".");
    const QString path = QDir(folder_).filePath(file);
    if (!QFileInfo::exists(path))
        throw Error("Cannot open the help file " + QDir::toNativeSeparators(path).toStdString() + ".");
    browser_->setSource(QUrl::fromLocalFile(path));
    ShowToolWindow(this);
}

} // namespace ivra
