#include "app/gui/helpfile.h"

#include <chm_lib.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

const QString HelpFile::FileName = QStringLiteral("ロト6ケルモンL.chm");

namespace {

QString decodeEntities(QString text)
{
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    auto it = entity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt();
        else if (name == QLatin1String("amp"))
            code = '&';
        else if (name == QLatin1String("lt"))
            code = '<';
        else if (name == QLatin1String("gt"))
            code = '>';
        else if (name == QLatin1String("quot"))
            code = '"';
        else if (name == QLatin1String("apos"))
            code = '\'';
        else if (name == QLatin1String("nbsp"))
            code = 0xa0;
        if (code != 0)
            out += QString::fromUcs4(&code, 1);
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString attribute(const QString &attributes, const QString &name)
{
    static const QRegularExpression pair(QStringLiteral("([A-Za-z_:-]+)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"));
    auto it = pair.globalMatch(attributes);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (int group = 2; group <= 4; ++group) {
            if (m.capturedStart(group) >= 0)
                return decodeEntities(m.captured(group));
        }
    }
    return {};
}

int collectObject(chmFile *, chmUnitInfo *ui, void *context)
{
    auto *found = static_cast<QString *>(context);
    const QString path = QString::fromUtf8(ui->path);
    if (path.endsWith(QLatin1String(".hhk"), Qt::CaseInsensitive)) {
        *found = path;
        return CHM_ENUMERATOR_SUCCESS;
    }
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

void HelpFile::Closer::operator()(chmFile *file) const noexcept
{
    chm_close(file);
}

HelpFile::HelpFile() = default;
HelpFile::~HelpFile() = default;

void HelpFile::close()
{
    m_chm.reset();
    m_index.clear();
}

bool HelpFile::open(const QString &path)
{
    close();
    m_path = path;
    m_error.clear();
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(path);
        return false;
    }
    m_chm.reset(chm_open(QFile::encodeName(path).constData()));
    if (!m_chm) {
        m_error = QStringLiteral("ヘルプファイル「%1」を開けません（ヘルプファイルではないか、壊れています）。").arg(path);
        return false;
    }
    const QString indexPath = indexObjectPath();
    if (!indexPath.isEmpty())
        m_index = parseSitemap(QString::fromUtf8(object(indexPath)));
    return true;
}

QString HelpFile::indexObjectPath() const
{
    if (contains(QStringLiteral("/index.hhk")))
        return QStringLiteral("/index.hhk");
    // A project may name its index otherwise; there is one .hhk in the file.
    QString found;
    chm_enumerate(m_chm.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, &collectObject, &found);
    return found;
}

bool HelpFile::contains(const QString &objectPath) const
{
    chmUnitInfo info;
    return m_chm && chm_resolve_object(m_chm.get(), QFile::encodeName(objectPath).constData(), &info) == CHM_RESOLVE_SUCCESS;
}

QByteArray HelpFile::object(const QString &objectPath) const
{
    chmUnitInfo info;
    if (!m_chm || chm_resolve_object(m_chm.get(), QFile::encodeName(objectPath).constData(), &info) != CHM_RESOLVE_SUCCESS)
        return {};
    QByteArray data(qsizetype(info.length), Qt::Uninitialized);
    const LONGINT64 read = chm_retrieve_object(m_chm.get(), &info, reinterpret_cast<unsigned char *>(data.data()), 0,
                                               LONGINT64(info.length));
    data.truncate(read > 0 ? qsizetype(read) : 0);
    return data;
}

QString HelpFile::topicFor(const QString &keyword) const
{
    for (const IndexEntry &entry : m_index) {
        if (entry.keyword.compare(keyword, Qt::CaseInsensitive) == 0 && !entry.locals.isEmpty()) {
            QString local = entry.locals.first();
            return local.startsWith(QLatin1Char('/')) ? local : QLatin1Char('/') + local;
        }
    }
    return {};
}

QList<HelpFile::IndexEntry> HelpFile::parseSitemap(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<\\s*(/?)\\s*(ul|object|param)\\b([^>]*)>"),
                                        QRegularExpression::CaseInsensitiveOption);
    QList<IndexEntry> entries;
    int depth = -1;
    bool inSitemap = false;
    IndexEntry current;
    auto it = tag.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        if (name == QLatin1String("ul")) {
            depth += closing ? -1 : 1;
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inSitemap = attribute(m.captured(3), QStringLiteral("type")).compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                current = IndexEntry{{}, {}, qMax(depth, 0)};
            } else if (inSitemap) {
                if (!current.keyword.isEmpty())
                    entries.append(current);
                inSitemap = false;
            }
        } else if (inSitemap && !closing) {
            const QString param = attribute(m.captured(3), QStringLiteral("name"));
            const QString value = attribute(m.captured(3), QStringLiteral("value"));
            if (param.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 && current.keyword.isEmpty())
                current.keyword = value;
            else if (param.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 && !value.isEmpty())
                current.locals.append(value);
        }
    }
    return entries;
}
