#include "support/fixtures.h"

#include "app/gui/mainfrm.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "maintenance/ticketledger.h"
#include "store/drawcsv.h"
#include "support/drawfile.h"
#include "store/drawdatabase.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
    DrawFile::createFromCsv(csvPath, databasePath(), true);
}

WorkingDirectory::WorkingDirectory()
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkingDirectory::~WorkingDirectory()
{
    QDir::setCurrent(m_previous);
}

QString WorkingDirectory::ledgerPath() const
{
    return m_dir.filePath(TicketLedger::FileName);
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

std::shared_ptr<OfferedFile> answerNextFileDialog(const QString &choose)
{
    auto offered = std::make_shared<OfferedFile>();
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, offered, choose] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        offered->seen = true;
        offered->folder = dialog->directory().absolutePath();
        const QStringList selected = dialog->selectedFiles();
        offered->file = selected.isEmpty() ? QString() : selected.first();
        if (choose.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box, as selectFile() leaves a box that has the focus alone.
        dialog->setDirectory(QFileInfo(choose).absolutePath());
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(choose).fileName());
        else
            dialog->selectFile(QFileInfo(choose).fileName());
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept, which checks the name
    });
    poll->start();
    return offered;
}

void useTemporaryHome(const QTemporaryDir &home)
{
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
}

CancelWhenReceiving::CancelWhenReceiving(QWidget &window)
{
    QObject::connect(&m_watcher, &QTimer::timeout, [this, &window] {
        auto *dialog = window.findChild<QProgressDialog *>(UpdateProgressDialog::ObjectName);
        if (dialog && dialog->isVisible() && !dialog->labelText().contains(QStringLiteral("\n0 バイト受信"))) {
            seen = dialog->labelText();
            dialog->findChild<QPushButton *>()->click();
        }
    });
    m_watcher.start(10);
}

DrawImportWindow *showImportWindow(MainFrm &window)
{
    window.setMessagePresenter([](QWidget *, const MessageRequest &) { return QMessageBox::Ok; });
    window.resize(1280, 960);
    window.show();
    if (!window.load() || !QTest::qWaitForWindowExposed(&window))
        return nullptr;
    window.findChild<QAction *>(QStringLiteral("mnuMasterImport"))->trigger();
    return qobject_cast<DrawImportWindow *>(window.childWindow(DrawImportWindow::ClassName));
}
