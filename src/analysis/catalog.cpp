#include "analysis/catalog.h"

#include "analysis/builders.h"

namespace {

using Kind = LegendItem::Kind;

LegendItem label(const QString &name, const QString &text, bool below = false)
{
    return {Kind::Label, name, {}, text, below};
}

LegendItem picture(Kind kind, const QString &name, std::vector<Colour> colours)
{
    return {kind, name, std::move(colours), {}, false};
}

// The two ball pictures with their labels, shared by the dot-chart windows.
std::vector<LegendItem> ballLegend()
{
    return {picture(Kind::Ball, QStringLiteral("Picture1"), {Colours::MainDot}),
            label(QStringLiteral("Label2"), QStringLiteral("：本数字")),
            picture(Kind::Ball, QStringLiteral("Picture1"), {Colours::BonusDot}),
            label(QStringLiteral("Label3"), QStringLiteral("：ボーナス数字"))};
}

std::vector<LegendItem> divisionLegend()
{
    std::vector<LegendItem> items = ballLegend();
    items.push_back(picture(Kind::Swatch, QStringLiteral("Label5"), {rgb(224, 224, 224)}));
    items.push_back(label(QStringLiteral("Label4"), QStringLiteral(":該当する当選番号なし")));
    return items;
}

std::vector<AnalysisWindow> makeCatalog()
{
    std::vector<AnalysisWindow> windows;
    auto add = [&](AnalysisWindow w) { windows.push_back(std::move(w)); };

    add({QStringLiteral("出現頻度分析"), QStringLiteral("出現頻度分析"),
         QStringLiteral("過去の当選番号の出現回数を数字別に分析します"), 12530, 13800,
         {picture(Kind::Dots, QStringLiteral("Picture1"), {Colours::MainDot, Colours::BonusDot}),
          label(QStringLiteral("Label2"), QStringLiteral("：本数字")),
          label(QStringLiteral("Label3"), QStringLiteral("：ボーナス数字"), true)},
         false, &buildAppearanceFrequency});
    add({QStringLiteral("回数別出現分析"), QStringLiteral("回数別頻度分析"),
         QStringLiteral("過去の当選番号から出現回数別の数字を分析します"), 8355, 3405, {},
         false, &buildNumbersByCount});
    add({QStringLiteral("出現間隔分析"), QStringLiteral("出現間隔分析"),
         QStringLiteral("過去の当選数字が何回前に出現しているか分析します"), 13920, 9850, {},
         false, &buildAppearanceInterval});
    add({QStringLiteral("数字間隔分析"), QStringLiteral("数字間隔分析"),
         QStringLiteral("当選数字を第１数字～第６数字別に前回数字との数字の間隔を分析します"), 13905, 9870, {},
         false, &buildNumberInterval});
    add({QStringLiteral("出現回数分析"), QStringLiteral("出現回数分析"),
         QStringLiteral("過去の当選数字が何回出現したか分析します"), 13995, 9870, {},
         false, &buildAppearanceCount});
    add({QStringLiteral("バラツキ分析"), QStringLiteral("バラツキ分析"),
         QStringLiteral("過去の当選番号のバラツキを数字別に分析します"), 12750, 12800, ballLegend(),
         true, &buildDispersion});
    add({QStringLiteral("引っ張り分析"), QStringLiteral("引っ張り分析"),
         QStringLiteral("過去の当選数字に前回出現した数字が入っているか分析します"), 13600, 7700,
         {picture(Kind::Swatch, QStringLiteral("Label2"), {rgb(128, 255, 255)}),
          label(QStringLiteral("Label3"), QStringLiteral(":前回の数字"))},
         false, &buildPull});
    add({QStringLiteral("連番飛び石分析"), QStringLiteral("連番・飛び石分析"),
         QStringLiteral("過去の当選番号の連続数字と一つ飛び数字の傾向を分析します"), 13500, 7550, {},
         false, &buildConsecutive});
    add({QStringLiteral("数字合計分析"), QStringLiteral("数字合計分析"),
         QStringLiteral("過去の当選番号の本数字＋ボーナス数字合計を分析します"), 13800, 8000, {},
         false, &buildNumberSum});
    add({QStringLiteral("低数字高数字の組合せパターン分析"), QStringLiteral("低数字・高数字の組合せパターン分析"),
         QStringLiteral("過去の当選番号を低数字（０１～２１）と高数字（２２～４３）に分けて組合せパターンを分析します（ボーナス数字は入れていません）"),
         13700, 7740, {}, false, &buildLowHighPattern});
    add({QStringLiteral("偶数奇数の組合せパターン分析"), QStringLiteral("偶数・奇数の組合せパターン分析"),
         QStringLiteral("過去の当選番号を偶数と奇数に分類して分析します"), 13700, 7740, {},
         false, &buildEvenOddPattern});
    add({QStringLiteral("分割5傾向分析"), QStringLiteral("5分割傾向分析"),
         QStringLiteral("過去の当選番号を５つのグループに分けて傾向を分析します"), 13750, 8750, {},
         true, &buildFiveDivision});
    add({QStringLiteral("分割6データ分析"), QStringLiteral("6分割データ分析"),
         QStringLiteral("過去の当選番号の６グループに分類して分析します"), 12600, 12365, divisionLegend(),
         true, &buildSixDivision});
    add({QStringLiteral("分割7データ分析"), QStringLiteral("7分割データ分析"),
         QStringLiteral("過去の当選番号の７グループに分類して分析します"), 12600, 12365, divisionLegend(),
         true, &buildSevenDivision});
    add({QStringLiteral("分割11データ分析"), QStringLiteral("11分割データ分析"),
         QStringLiteral("過去の当選番号の１１グループに分類して分析します"), 12600, 12365, divisionLegend(),
         true, &buildElevenDivision});
    add({QStringLiteral("下一桁出現傾向分析"), QStringLiteral("下一桁出現傾向分析"),
         QStringLiteral("過去の当選番号の下一桁の数字の出現傾向を分析します"), 13980, 7400, {},
         true, &buildLastDigitTrend});
    add({QStringLiteral("下一桁連続出現回数分析"), QStringLiteral("下一桁連続出現回数分析"),
         QStringLiteral("過去の当選番号の下一桁数字が何回続けて出現しているか分析します"), 13935, 7400, {},
         true, &buildLastDigitRuns});

    // Every window but the two per-number ones has one row per draw, its
    // number in the first column.
    for (AnalysisWindow &w : windows) {
        if (w.className != QStringLiteral("出現頻度分析") && w.className != QStringLiteral("回数別出現分析"))
            w.drawColumn = 1;
        // A chart two thousand draws long is read against its number row
        // (回, 1 … 43), which stays in view as the draws scroll.
        if (w.className == QStringLiteral("バラツキ分析"))
            w.frozenRowsOnScreen = 2;
    }
    return windows;
}

} // namespace

const std::vector<AnalysisWindow> &analysisWindows()
{
    static const std::vector<AnalysisWindow> windows = makeCatalog();
    return windows;
}

const AnalysisWindow *findAnalysisWindow(const QString &className)
{
    for (const AnalysisWindow &w : analysisWindows()) {
        if (w.className == className)
            return &w;
    }
    return nullptr;
}
