#pragma once

#include "popularity/prizehistory.h"

#include <QString>

#include <optional>
#include <stdexcept>

// The prize histories the program ships (data/): per draw 回数, 抽選日, the
// main and bonus numbers, per tier 口数 and 当せん金, and the carry-over.
// ロト7 and ミニロト keep everything in their history file; ロト6's history
// holds the numbers only and its prizes lie beside it in "loto6-prizes.csv".
namespace PrizeFiles {

// A file that is not a prize history, with the file and line in Japanese.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The text of one file and the name that messages give it.
struct Source
{
    QString text;
    QString name;
};

// The file that holds a game's prizes when its history file does not:
// "<key>-prizes.csv".
QString prizesFileName(const GameRules &rules);

// A history file with the prize columns, or one without them joined with
// its prizes file: every prize line must find the draw of the same 回数 and
// 抽選日 in the history; history draws without prizes (the newest one, whose
// prizes are not out yet) are left out. Each column is taken only where the
// header puts it: 回数,抽選日,第1数字,…,ボーナス数字,1等口数,…,1等当せん金,…
// [,キャリーオーバー]. Throws Error naming the line of the first fault.
PrizeHistory parse(Game game, const Source &history, const std::optional<Source> &prizes = std::nullopt);

// The game's files from folder dir (the bundled data folder).
PrizeHistory readBundled(Game game, const QString &dir);

} // namespace PrizeFiles
