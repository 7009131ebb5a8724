#pragma once
// The help browser: the HTML pages in the "help" folder beside the program,
// opened by topic name.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace ivra {

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    // folder: the help folder (usually ProgramFolder() + "/help").
    explicit THelpWindow(const QString& folder, QWidget* parent = nullptr);

    // Shows the page of a topic ("MAIN", "IDH_Lesson1"). Throws Error when
    // the topic is unknown or its page is missing.
    void ShowTopic(const QString& topic);

    // The file of a topic in the help folder ("" for an unknown topic).
    static QString TopicFile(const QString& topic);

    QTextBrowser* Browser() const { return browser_; }
    QString Folder() const { return folder_; }

private:
    QString folder_;
    QTextBrowser* browser_ = nullptr;
};

} // namespace ivra
