#pragma once

#include "app/gui/helpfile.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

// The help window: the help file's keyword index on the left, the chosen
// topic on the right. A top-level window of its own, owned by the main window.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    static inline const QString &FileName = HelpFile::FileName;

    explicit HelpViewer(QWidget *parent = nullptr);
    ~HelpViewer() override;

    // Opens the help file (again only when it is another one). A missing or
    // unreadable file leaves the index empty and says so in the topic pane.
    void openFile(const QString &path);
    const HelpFile &file() const { return *m_file; }

    // Shows the index with the keyword typed in and the first entry that
    // begins with it selected and scrolled to the top.
    void displayIndex(const QString &keyword);
    // Shows the topic the index gives for the keyword; nothing when there is none.
    bool keywordLookup(const QString &keyword);
    // Shows a page of the help file by its path inside the file, with or
    // without an anchor.
    void showTopic(const QString &objectPath);

    QListWidget *indexList() const { return m_index; }
    QTextBrowser *topicView() const { return m_topic; }
    // The path inside the file of the page shown; empty when none.
    QString currentTopic() const;

private:
    void fillIndex();
    void positionIndex(const QString &text);
    void showSelectedEntry();

    std::unique_ptr<HelpFile> m_file;
    QLineEdit *m_keyword = nullptr;
    QListWidget *m_index = nullptr;
    QTextBrowser *m_topic = nullptr;
};
