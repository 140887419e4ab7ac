#include "app/gui/helpviewer.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString Scheme = QStringLiteral("chm");

// A browser that takes its pages and pictures from the help file.
class HelpBrowser : public QTextBrowser
{
public:
    HelpBrowser(const HelpFile &file, QWidget *parent)
        : QTextBrowser(parent)
        , m_file(file)
    {
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (url.scheme() != Scheme)
            return QTextBrowser::loadResource(type, name);
        const QByteArray bytes = m_file.object(url.path());
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
            if (bytes.isEmpty() && type == QTextDocument::HtmlResource)
                return QStringLiteral("<p>ページ「%1」はヘルプファイルにありません。</p>").arg(url.path().toHtmlEscaped());
            return QString::fromUtf8(bytes);
        }
        return bytes;
    }

private:
    const HelpFile &m_file;
};

} // namespace

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_file(std::make_unique<HelpFile>())
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("ロト6ケルモンLite ヘルプ"));

    auto *indexPane = new QWidget;
    auto *label = new QLabel(QStringLiteral("キーワードを入力してください(&W):"));
    m_keyword = new QLineEdit;
    m_keyword->setObjectName(QStringLiteral("helpKeyword"));
    label->setBuddy(m_keyword);
    m_index = new QListWidget;
    m_index->setObjectName(QStringLiteral("helpIndex"));
    auto *show = new QPushButton(QStringLiteral("表示(&D)"));
    show->setObjectName(QStringLiteral("helpShow"));
    auto *indexLayout = new QVBoxLayout(indexPane);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(label);
    indexLayout->addWidget(m_keyword);
    indexLayout->addWidget(m_index, 1);
    indexLayout->addWidget(show, 0, Qt::AlignRight);

    m_topic = new HelpBrowser(*m_file, this);
    m_topic->setObjectName(QStringLiteral("helpTopic"));
    m_topic->setOpenExternalLinks(false);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(indexPane);
    splitter->addWidget(m_topic);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(920, 640);

    connect(m_keyword, &QLineEdit::textEdited, this, &HelpViewer::positionIndex);
    connect(m_keyword, &QLineEdit::returnPressed, this, &HelpViewer::showSelectedEntry);
    connect(m_index, &QListWidget::itemActivated, this, &HelpViewer::showSelectedEntry);
    connect(show, &QPushButton::clicked, this, &HelpViewer::showSelectedEntry);
    // Esc puts the help away, as it closes the program's dialogs.
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    close->setObjectName(QStringLiteral("helpClose"));
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::openFile(const QString &path)
{
    if (m_file->isOpen() && m_file->path() == path)
        return;
    m_file->open(path);
    fillIndex();
    m_topic->clear();
    if (!m_file->isOpen())
        m_topic->setPlainText(m_file->errorString());
}

void HelpViewer::fillIndex()
{
    m_index->clear();
    for (const HelpFile::IndexEntry &entry : m_file->index()) {
        auto *item = new QListWidgetItem(QString(entry.depth * 2, QLatin1Char(' ')) + entry.keyword);
        item->setData(Qt::UserRole, entry.keyword);
        item->setData(Qt::UserRole + 1, entry.locals.value(0));
        m_index->addItem(item);
    }
}

void HelpViewer::displayIndex(const QString &keyword)
{
    m_keyword->setText(keyword);
    positionIndex(keyword);
}

void HelpViewer::positionIndex(const QString &text)
{
    for (int row = 0; row < m_index->count(); ++row) {
        QListWidgetItem *item = m_index->item(row);
        if (item->data(Qt::UserRole).toString().startsWith(text, Qt::CaseInsensitive)) {
            m_index->setCurrentRow(row);
            m_index->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

bool HelpViewer::keywordLookup(const QString &keyword)
{
    const QString topic = m_file->topicFor(keyword);
    if (topic.isEmpty())
        return false;
    showTopic(topic);
    return true;
}

void HelpViewer::showSelectedEntry()
{
    const QListWidgetItem *item = m_index->currentItem();
    if (!item)
        return;
    QString local = item->data(Qt::UserRole + 1).toString();
    if (local.isEmpty())
        return;
    showTopic(local.startsWith(QLatin1Char('/')) ? local : QLatin1Char('/') + local);
}

void HelpViewer::showTopic(const QString &objectPath)
{
    // The path may carry an anchor ("/analysis.html#hindo").
    m_topic->setSource(QUrl(Scheme + QLatin1Char(':') + objectPath), QTextDocument::HtmlResource);
}

QString HelpViewer::currentTopic() const
{
    const QUrl source = m_topic->source();
    return source.scheme() == Scheme ? source.path() : QString();
}
