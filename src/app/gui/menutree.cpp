#include "app/gui/menutree.h"

const std::vector<MenuItem> &menuTree()
{
    static const std::vector<MenuItem> tree = {
        {1, QStringLiteral("mnuEnd"), QStringLiteral("終了(&X)"), {}},
        {1, QStringLiteral("mnuYoso"), QStringLiteral("一発ケルモン予想(&D)"), QStringLiteral("一発ケルモン予想")},
        {1, QStringLiteral("mnuMain"), QStringLiteral("データ分析(&S)"), {}},
        {2, QStringLiteral("mnuHindo"), QStringLiteral("頻度分析"), {}},
        {3, QStringLiteral("mnuSyutugenHindo"), QStringLiteral("出現頻度分析"), QStringLiteral("出現頻度分析")},
        {3, QStringLiteral("mnuSyutugenKaisu"), QStringLiteral("回数別出現分析"), QStringLiteral("回数別出現分析")},
        {2, QStringLiteral("mnuKankaku"), QStringLiteral("間隔分析"), {}},
        {3, QStringLiteral("mnuSyutugenKankaku"), QStringLiteral("出現間隔分析"), QStringLiteral("出現間隔分析")},
        {3, QStringLiteral("mnuNumberKankaku"), QStringLiteral("数字間隔分析"), QStringLiteral("数字間隔分析")},
        {2, QStringLiteral("mnuZenkaiSyutugen"), QStringLiteral("出現回数分析"), QStringLiteral("出現回数分析")},
        {2, QStringLiteral("mnuBaratsuki"), QStringLiteral("バラツキ分析"), QStringLiteral("バラツキ分析")},
        {2, QStringLiteral("mnuHippari"), QStringLiteral("引っ張り分析"), QStringLiteral("引っ張り分析")},
        {2, QStringLiteral("mnuRenbanTobiishi"), QStringLiteral("連番・飛び石分析"), QStringLiteral("連番飛び石分析")},
        {2, QStringLiteral("mnuHonsuji"), QStringLiteral("数字合計分析"), QStringLiteral("数字合計分析")},
        {2, QStringLiteral("mnuPattern"), QStringLiteral("組合せパターン分析"), {}},
        {3, QStringLiteral("mnuLowHightPattern"), QStringLiteral("低数字・高数字の組合せパターン分析"), QStringLiteral("低数字高数字の組合せパターン分析")},
        {3, QStringLiteral("mnuKisuGusuPattern"), QStringLiteral("偶数・奇数の組合せパターン分析"), QStringLiteral("偶数奇数の組合せパターン分析")},
        {2, QStringLiteral("mnu5BunkatsuKeiko"), QStringLiteral("5分割傾向分析"), QStringLiteral("分割5傾向分析")},
        {2, QStringLiteral("mnuBunkatsuData"), QStringLiteral("分割データ分析"), {}},
        {3, QStringLiteral("mnu6BunkatsuData"), QStringLiteral("6分割データ分析"), QStringLiteral("分割6データ分析")},
        {3, QStringLiteral("mnu7BunkatsuData"), QStringLiteral("7分割データ分析"), QStringLiteral("分割7データ分析")},
        {3, QStringLiteral("mnu11BunkatsuData"), QStringLiteral("11分割データ分析"), QStringLiteral("分割11データ分析")},
        {2, QStringLiteral("mnuLastChar"), QStringLiteral("下一桁出現傾向分析"), QStringLiteral("下一桁出現傾向分析")},
        {2, QStringLiteral("mnuLastCharRenzoku"), QStringLiteral("下一桁連続出現回数分析"), QStringLiteral("下一桁連続出現回数分析")},
        {1, QStringLiteral("mnuHosyu"), QStringLiteral("データ管理(&M)"), {}},
        {2, QStringLiteral("mnuMasterUpdate"), QStringLiteral("当選データ最新化(&U)"), {}},
        {2, QStringLiteral("mnuMasterInput"), QStringLiteral("当選データ入力(&I)"), QStringLiteral("当選データ入力")},
        {1, QStringLiteral("mnuWindow"), QStringLiteral("ウィンドウ(&W)"), {}},
        {2, QStringLiteral("mnuWindowHorizontal"), QStringLiteral("上下に並べて表示(&H)"), {}},
        {2, QStringLiteral("mnuWindowVertical"), QStringLiteral("左右に並べて表示(&V)"), {}},
        {2, QStringLiteral("mnuWindowCascade"), QStringLiteral("重ねて表示(&C)"), {}},
        {2, QStringLiteral("mnuWindowArrangeIcon"), QStringLiteral("アイコンの整列(&A)"), {}},
        {1, QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)"), {}},
        {2, QStringLiteral("mnuHelpFile"), QStringLiteral("ヘルプ(&H)"), {}},
        {2, QStringLiteral("mnuAbout"), QStringLiteral("バージョン情報(&A)"), QStringLiteral("バージョン情報")},
    };
    return tree;
}
