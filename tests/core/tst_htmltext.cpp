// A fetched page as the import reads it: its charset, its text (tags,
// blocks, tables, entities), the choice of CSV or page by what the server
// says and sends, the web addresses taken, and the list of those fetched last.
#include "maintenance/drawimportweb.h"
#include "maintenance/htmltext.h"
#include "maintenance/recentaddresses.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string str(const QString &text)
{
    return text.toStdString();
}

QString draws(const DrawImport::ReadResult &read)
{
    QStringList out;
    for (const DrawImport::ImportedDraw &d : read.draws) {
        QStringList numbers;
        for (const int n : d.numbers)
            numbers << QString::number(n);
        out << QStringLiteral("%1|%2|%3").arg(d.drawNo).arg(d.date.toString(Qt::ISODate), numbers.join(QLatin1Char(',')));
    }
    for (const DrawImport::RowError &e : read.errors)
        out << QStringLiteral("error %1: %2").arg(e.line).arg(e.reason);
    return out.join(QLatin1Char('\n'));
}

} // namespace

TEST(HtmlText, CharsetFromHeaderThenMetaElseAsFilesAreRead)
{
    const QByteArray eucJp = QByteArray::fromHex("cbdcbff4bbfa20c2e832313331b2f3"); // 本数字 第2131回
    const QByteArray shiftJis = QByteArray::fromHex("967b90948e9a2087408160");      // 本数字 ①～
    const QByteArray utf8 = QStringLiteral("本数字 第2131回").toUtf8();
    struct Case
    {
        const char *name;
        QByteArray body;
        QString contentType;
        QString charset;
        QString text; // the decoded body after the markup
    };
    const std::vector<Case> cases{
        {"UTF-8 by meta", "<meta charset=\"utf-8\">" + utf8, {}, QStringLiteral("utf-8"), QStringLiteral("本数字 第2131回")},
        {"Shift_JIS by http-equiv", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">" + shiftJis, {},
         QStringLiteral("shift_jis"), QStringLiteral("本数字 ①～")},
        {"Windows-31J is Shift_JIS", "<meta charset='windows-31j'>" + shiftJis, {}, QStringLiteral("windows-31j"),
         QStringLiteral("本数字 ①～")},
        {"EUC-JP by meta", "<meta http-equiv=content-type content=\"text/html;charset=euc-jp\">" + eucJp, {},
         QStringLiteral("euc-jp"), QStringLiteral("本数字 第2131回")},
        {"the header wins over meta", "<meta charset=\"utf-8\">" + eucJp, QStringLiteral("text/html; charset=EUC-JP"),
         QStringLiteral("euc-jp"), QStringLiteral("本数字 第2131回")},
        {"undeclared UTF-8", "<p>" + utf8, QStringLiteral("text/html"), {}, QStringLiteral("本数字 第2131回")},
        {"undeclared Shift_JIS", "<p>" + shiftJis, {}, {}, QStringLiteral("本数字 ①～")},
        {"byte order mark wins", "\xEF\xBB\xBF<meta charset=\"shift_jis\">" + utf8, {}, QStringLiteral("shift_jis"),
         QStringLiteral("本数字 第2131回")},
        {"unknown charset", "<meta charset=\"x-nonsense\">" + utf8, {}, QStringLiteral("x-nonsense"), QStringLiteral("本数字 第2131回")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(str(HtmlText::declaredCharset(c.body, c.contentType)), str(c.charset));
        EXPECT_EQ(str(HtmlText::toText(HtmlText::decode(c.body, c.contentType)).page), str(c.text));
    }
}

TEST(HtmlText, PageAsABrowserCopiesIt)
{
    struct Case
    {
        const char *name;
        QString html;
        QString page;
    };
    const std::vector<Case> cases{
        {"tags dropped, blanks collapsed", QStringLiteral("<b>ロト6</b>   <span\nclass=\"x\">第2131回</span>\n\n  当せん番号"),
         QStringLiteral("ロト6 第2131回 当せん番号")},
        {"blocks and br break lines", QStringLiteral("<h1>結果</h1><p>第2131回<br>03 11<br/>19</p><div>次回</div>"),
         QStringLiteral("結果\n第2131回\n03 11\n19\n次回")},
        {"entities", QStringLiteral("A&amp;B &lt;08&gt; &#x31;&#50;&nbsp;&yen;&copy; &unknown; &#0; &quot;x&quot;"),
         QStringLiteral("A&B <08> 12 ¥© &unknown; \uFFFD \"x\"")},
        {"cells by tabs, rows by lines",
         QStringLiteral("<table><tr><th>回</th><th>本数字</th></tr><tr><td>2131</td><td>03 11</td></tr></table>"),
         QStringLiteral("回\t本数字\n2131\t03 11")},
        {"end tags left out", QStringLiteral("<table><tr><td>1<td>2<tr><td>3<td>4</table>後"), QStringLiteral("1\t2\n3\t4\n後")},
        {"a merged cell keeps the columns it covers",
         QStringLiteral("<table><tr><th>回<th colspan=\"6\">本数字<th>B</tr></table>"), QStringLiteral("回\t本数字\t\t\t\t\t\tB")},
        {"a caption is a line of its table", QStringLiteral("<table><caption>第2131回</caption><tr><td>1<td>2</table>"),
         QStringLiteral("第2131回\n1\t2")},
        {"a layout cell keeps its lines",
         QStringLiteral("<table><tr><td>メニュー</td><td><p>第2131回</p><table><tr><td>本数字<td>03</table></td></tr></table>"),
         QStringLiteral("メニュー\n第2131回\n本数字\t03")},
        {"scripts, styles, titles, lists of choices and comments left out",
         QStringLiteral("<title>第1回</title><style>p{}</style><script>if (a<b) x='</p>';</script>"
                        "<!-- 第9回 --><select><option>第2130回</option></select>本文"),
         QStringLiteral("本文")},
        {"pre keeps its lines", QStringLiteral("<pre>03  11\n19</pre>"), QStringLiteral("03  11\n19")},
        {"a lone < is text", QStringLiteral("1 < 2 <3"), QStringLiteral("1 < 2 <3")},
        {"quoted > inside a tag", QStringLiteral("<a title=\"a>b\">リンク</a>"), QStringLiteral("リンク")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(str(HtmlText::toText(c.html).page), str(c.page));
    }
    const HtmlText::Text nested = HtmlText::toText(
        QStringLiteral("<table><tr><td><table><tr><td>a<td>b</table><table><tr><td>c</table></td></tr></table><table><tr><td>d</table>"));
    EXPECT_EQ(str(nested.tables.join(QLatin1Char('|'))), "a\tb|c|d");
}

TEST(DrawImportWeb, BodyReadByWhatTheServerSaysAndSends)
{
    const QByteArray csv = "回,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n"
                           "2131,2026/12/03,3,11,19,27,33,41,8\n";
    const QByteArray page = "<html><body><p>第2131回 2026年12月3日</p><p>本数字 03 11 19 27 33 41 ボーナス数字 (08)</p></body></html>";
    const QString draw = QStringLiteral("2131|2026-12-03|3,11,19,27,33,41,8");
    struct Case
    {
        const char *name;
        QByteArray body;
        QString contentType;
        bool html;
        QString read;    // the draws, or
        QString problem; // why the body is refused
    };
    const std::vector<Case> cases{
        {"CSV as text/csv", csv, QStringLiteral("text/csv; charset=utf-8"), false, draw, {}},
        {"CSV as plain bytes", csv, QStringLiteral("application/octet-stream"), false, draw, {}},
        {"page as text/html", page, QStringLiteral("text/html"), true, draw, {}},
        {"page without a type", page, {}, true, draw, {}},
        {"no draws on the page", "<html><body><p>ただいま準備中です。</p></body></html>", QStringLiteral("text/html"), true,
         QStringLiteral("error 1: 当選データとして読めません（見出し行も「第N回」もありません）。"), {}},
        {"only a notice of the next draw", "<html><p>次回 第2132回 12月7日</p></html>", QStringLiteral("text/html"), true,
         QStringLiteral("error 1: このページには当選データがありません。"), {}},
        {"an image", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), QStringLiteral("image/png"), false, {},
         QStringLiteral("取得したデータは CSV でも HTML のページでもありません（Content-Type: image/png）。")},
        {"binary sent as bytes", QByteArray("PK\x03\x04\0\0\x08\0", 8), QStringLiteral("application/octet-stream"), false, {},
         QStringLiteral("取得したデータは文字ではありません（画像や圧縮ファイルなどのバイナリ・データです）。")},
        {"JSON", "{\"draws\":[]}", QStringLiteral("application/json"), false, {},
         QStringLiteral("取得したデータは CSV でも HTML のページでもありません（Content-Type: application/json）。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const DrawImport::WebRead web = DrawImport::readWebBody(c.body, c.contentType);
        EXPECT_EQ(str(web.problem), str(c.problem));
        EXPECT_EQ(web.html, c.html);
        EXPECT_EQ(str(draws(web.read)), str(c.read));
    }
}

TEST(DrawImportWeb, APageIsReadWholeOrTableByTableWhicheverGivesMoreDraws)
{
    // The footer would run into the last draw of the page's text.
    const QByteArray tables = "<html><body><h1>ロト6 当せん番号</h1>"
                              "<table><tr><th>回別</th><td>第2131回</td></tr>"
                              "<tr><th>抽せん日</th><td>2026年12月3日</td></tr>"
                              "<tr><th>本数字</th><td>03</td><td>11</td><td>19</td><td>27</td><td>33</td><td>41</td></tr>"
                              "<tr><th>ボーナス数字</th><td>(08)</td></tr></table>"
                              "<table><tr><th>回</th><th>日付</th><th colspan=6>本数字</th><th>ボーナス数字</th></tr>"
                              "<tr><td>2130</td><td>2026/11/30</td><td>1</td><td>2</td><td>3</td><td>4</td><td>5</td><td>6</td><td>7</td></tr>"
                              "<tr><td>2131</td><td>2026/12/03</td><td>3</td><td>11</td><td>19</td><td>27</td><td>33</td><td>41</td><td>8</td></tr>"
                              "</table><table><tr><td>ホーム</td><td>お問い合わせ</td></tr></table>"
                              "<p>Copyright 2000-2026</p></body></html>";
    const DrawImport::WebRead web = DrawImport::readWebBody(tables, QStringLiteral("text/html"));
    EXPECT_TRUE(web.byTables);
    EXPECT_EQ(str(draws(web.read)), "2131|2026-12-03|3,11,19,27,33,41,8\n2130|2026-11-30|1,2,3,4,5,6,7");
    // The same draw shown otherwise in a second table is refused there.
    QByteArray contradicting = tables;
    contradicting.replace("<td>41</td><td>8</td>", "<td>42</td><td>8</td>");
    const DrawImport::WebRead refused = DrawImport::readWebBody(contradicting, QStringLiteral("text/html"));
    ASSERT_EQ(refused.read.errors.size(), 1U);
    EXPECT_EQ(str(refused.read.errors[0].reason), "第2131回は 2 行目にもあります。");
    EXPECT_EQ(refused.read.errors[0].line, 8);
    // Paragraphs only: the text of the whole page.
    const DrawImport::WebRead paragraphs = DrawImport::readWebBody(
        "<p>第2131回 2026年12月3日 03 11 19 27 33 41 (08)</p><p>第2130回 2026年11月30日 01 02 03 04 05 06 (07)</p>",
        QStringLiteral("text/html"));
    EXPECT_FALSE(paragraphs.byTables);
    EXPECT_EQ(paragraphs.read.draws.size(), 2U);
}

TEST(DrawImportWeb, OnlyHttpAndHttpsAddresses)
{
    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral(" https://example.jp/loto6/ "), {}},
        {QStringLiteral("http://127.0.0.1:8080/a.csv"), {}},
        {QString(), QStringLiteral("取得するページのアドレス（http:// か https:// で始まるもの）を入力してください。")},
        {QStringLiteral("example.jp/loto6"),
         QStringLiteral("アドレス「example.jp/loto6」が正しくありません。http:// か https:// で始まるアドレスを入力してください。")},
        {QStringLiteral("file:///etc/passwd"), QStringLiteral("取得できるのは http:// と https:// のアドレスだけです（file:///etc/passwd）。")},
        {QStringLiteral("ftp://example.jp/a.csv"), QStringLiteral("取得できるのは http:// と https:// のアドレスだけです（ftp://example.jp/a.csv）。")},
        {QStringLiteral("http:///a.csv"), QStringLiteral("アドレス「http:///a.csv」にサーバー名がありません。")},
    };
    for (const auto &[typed, problem] : cases) {
        SCOPED_TRACE(str(typed));
        EXPECT_EQ(str(DrawImport::parseWebAddress(typed).problem), str(problem));
    }
}

TEST(RecentAddresses, NewestFirstFiveAtMostReadableByTheUserAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(RecentAddresses::FileName);
    EXPECT_TRUE(RecentAddresses::load(path).isEmpty());
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(str(RecentAddresses::remember(path, QStringLiteral("https://example.jp/%1").arg(i))), "");
    EXPECT_EQ(str(RecentAddresses::remember(path, QStringLiteral("https://example.jp/4"))), "");
    EXPECT_EQ(str(RecentAddresses::load(path).join(QLatin1Char(' '))),
              "https://example.jp/4 https://example.jp/6 https://example.jp/5 https://example.jp/3 https://example.jp/2");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);

    // A list edited by hand: what is no web address is left out.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("file:///etc/passwd\n\nhttp://a.example/x\nnot an address\nhttp://a.example/x\n");
    file.close();
    EXPECT_EQ(str(RecentAddresses::load(path).join(QLatin1Char(' '))), "http://a.example/x");
}
