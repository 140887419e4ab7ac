#include "app/gui/menutree.h"

#include "analysis/catalog.h"
#include "app/gui/mainfrm.h"
#include "app/gui/windowarrangement.h"

namespace {

WindowFactory analysis(const QString &className)
{
    return MenuCommands::analysis(*findAnalysisWindow(className));
}

MenuCommand arrange(WindowArrangement::Layout layout)
{
    return [layout](MainFrm &frame) { WindowArrangement::arrange(frame.mdiArea(), layout); };
}

} // namespace

const std::vector<MenuItem> &menuTree()
{
    static const std::vector<MenuItem> tree = {
        {1, QStringLiteral("mnuEnd"), QStringLiteral("終了(&X)"), [](MainFrm &frame) { frame.close(); }},
        {1, QStringLiteral("mnuYoso"), QStringLiteral("一発ケルモン予想(&D)"), [](MainFrm &frame) { frame.showPrediction(); }},
        {1, QStringLiteral("mnuMain"), QStringLiteral("データ分析(&S)"), {}},
        {2, QStringLiteral("mnuHindo"), QStringLiteral("頻度分析"), {}},
        {3, QStringLiteral("mnuSyutugenHindo"), QStringLiteral("出現頻度分析"), analysis(QStringLiteral("出現頻度分析"))},
        {3, QStringLiteral("mnuSyutugenKaisu"), QStringLiteral("回数別出現分析"), analysis(QStringLiteral("回数別出現分析"))},
        {2, QStringLiteral("mnuKankaku"), QStringLiteral("間隔分析"), {}},
        {3, QStringLiteral("mnuSyutugenKankaku"), QStringLiteral("出現間隔分析"), analysis(QStringLiteral("出現間隔分析"))},
        {3, QStringLiteral("mnuNumberKankaku"), QStringLiteral("数字間隔分析"), analysis(QStringLiteral("数字間隔分析"))},
        {2, QStringLiteral("mnuZenkaiSyutugen"), QStringLiteral("出現回数分析"), analysis(QStringLiteral("出現回数分析"))},
        {2, QStringLiteral("mnuBaratsuki"), QStringLiteral("バラツキ分析"), analysis(QStringLiteral("バラツキ分析"))},
        {2, QStringLiteral("mnuHippari"), QStringLiteral("引っ張り分析"), analysis(QStringLiteral("引っ張り分析"))},
        {2, QStringLiteral("mnuRenbanTobiishi"), QStringLiteral("連番・飛び石分析"), analysis(QStringLiteral("連番飛び石分析"))},
        {2, QStringLiteral("mnuHonsuji"), QStringLiteral("数字合計分析"), analysis(QStringLiteral("数字合計分析"))},
        {2, QStringLiteral("mnuPattern"), QStringLiteral("組合せパターン分析"), {}},
        {3, QStringLiteral("mnuLowHightPattern"), QStringLiteral("低数字・高数字の組合せパターン分析"), analysis(QStringLiteral("低数字高数字の組合せパターン分析"))},
        {3, QStringLiteral("mnuKisuGusuPattern"), QStringLiteral("偶数・奇数の組合せパターン分析"), analysis(QStringLiteral("偶数奇数の組合せパターン分析"))},
        {2, QStringLiteral("mnu5BunkatsuKeiko"), QStringLiteral("5分割傾向分析"), analysis(QStringLiteral("分割5傾向分析"))},
        {2, QStringLiteral("mnuBunkatsuData"), QStringLiteral("分割データ分析"), {}},
        {3, QStringLiteral("mnu6BunkatsuData"), QStringLiteral("6分割データ分析"), analysis(QStringLiteral("分割6データ分析"))},
        {3, QStringLiteral("mnu7BunkatsuData"), QStringLiteral("7分割データ分析"), analysis(QStringLiteral("分割7データ分析"))},
        {3, QStringLiteral("mnu11BunkatsuData"), QStringLiteral("11分割データ分析"), analysis(QStringLiteral("分割11データ分析"))},
        {2, QStringLiteral("mnuLastChar"), QStringLiteral("下一桁出現傾向分析"), analysis(QStringLiteral("下一桁出現傾向分析"))},
        {2, QStringLiteral("mnuLastCharRenzoku"), QStringLiteral("下一桁連続出現回数分析"), analysis(QStringLiteral("下一桁連続出現回数分析"))},
        {2, QStringLiteral("mnuMainSeparator"), MenuItem::Separator, {}},
        {2, QStringLiteral("mnuYosoKensyo"), QStringLiteral("予想の検証(&B)"), MenuCommands::backtest()},
        {2, QStringLiteral("mnuRandomness"), QStringLiteral("ランダム性の検定(&R)"), MenuCommands::randomness()},
        {1, QStringLiteral("mnuHosyu"), QStringLiteral("データ管理(&M)"), {}},
        {2, QStringLiteral("mnuMasterUpdate"), QStringLiteral("当選データ最新化(&U)"), &MenuCommands::updateDrawData},
        {2, QStringLiteral("mnuMasterInput"), QStringLiteral("当選データ入力(&I)"), &MenuCommands::openEditor},
        {2, QStringLiteral("mnuMasterImportSeparator"), MenuItem::Separator, {}},
        {2, QStringLiteral("mnuMasterImport"), QStringLiteral("当選データ取込(&T)"), &MenuCommands::openImport},
        {2, QStringLiteral("mnuMasterExport"), QStringLiteral("当選データ書出し(&E)..."), &MenuCommands::exportDraws},
        {2, QStringLiteral("mnuTicketsSeparator"), MenuItem::Separator, {}},
        {2, QStringLiteral("mnuTickets"), QStringLiteral("購入記録・当選チェック(&K)"), MenuCommands::tickets()},
        {2, QStringLiteral("mnuKaimeSeparator"), MenuItem::Separator, {}},
        {2, QStringLiteral("mnuKaimeSakusei"), QStringLiteral("買い目作成(&B)"), MenuCommands::wheels()},
        {1, QStringLiteral("mnuWindow"), QStringLiteral("ウィンドウ(&W)"), {}},
        {2, QStringLiteral("mnuWindowHorizontal"), QStringLiteral("上下に並べて表示(&H)"), arrange(WindowArrangement::Layout::OneAboveTheOther)},
        {2, QStringLiteral("mnuWindowVertical"), QStringLiteral("左右に並べて表示(&V)"), arrange(WindowArrangement::Layout::SideBySide)},
        {2, QStringLiteral("mnuWindowCascade"), QStringLiteral("重ねて表示(&C)"), arrange(WindowArrangement::Layout::Cascade)},
        {2, QStringLiteral("mnuWindowArrangeIcon"), QStringLiteral("アイコンの整列(&A)"), arrange(WindowArrangement::Layout::Icons)},
        {1, QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)"), {}},
        {2, QStringLiteral("mnuHelpFile"), QStringLiteral("ヘルプ(&H)"), [](MainFrm &frame) { frame.showHelp(); }},
        {2, QStringLiteral("mnuAbout"), QStringLiteral("バージョン情報(&A)"), [](MainFrm &frame) { frame.showAbout(); }},
    };
    return tree;
}
