#include "support/fixtures.h"

#include "app/gui/mainfrm.h"
#include "store/drawcsv.h"
#include "store/drawdatabase.h"

#include <QFile>

ProgramFolder::ProgramFolder(const QString &csvRows)
{
    QString csvPath = QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv");
    if (!csvRows.isEmpty()) {
        csvPath = m_dir.filePath(QStringLiteral("draws.csv"));
        QFile csv(csvPath);
        if (csv.open(QIODevice::WriteOnly)) {
            csv.write("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n");
            csv.write(csvRows.toUtf8());
        }
    }
    DrawCsv::createDatabase(csvPath, databasePath(), true);
}

QString ProgramFolder::databasePath() const
{
    return m_dir.filePath(DrawDatabase::FileName);
}

void MessageRecorder::install(MainFrm &window)
{
    window.setMessagePresenter([this](QWidget *, const MessageRequest &request) {
        shown << request;
        return answers.isEmpty() ? QMessageBox::No : answers.takeFirst();
    });
}
