// loto6kermon-render: draws what `loto6kermon-cli render` asks for. It takes
// the same command line ("render WINDOW …"), without a display unless one
// is chosen.
#include "app/gui/programsetup.h"
#include "cli/commandsupport.h"
#include "cli/gui/render.h"
#include "store/runtimeerror.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The windows are pictured as the program shows them, with its icon.
    ProgramSetup::setIconNow();
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) != QLatin1String("render"))
        return Cli::usage(QStringLiteral("loto6kermon-render は render だけを実行します。"));
    const Cli::CommandSpec *spec = Cli::findCommand(QStringLiteral("render"));
    try {
        return Cli::finish(Cli::render(Cli::Options::parse(*spec, arguments.mid(1))));
    } catch (const Cli::UsageError &error) {
        return Cli::finish(Cli::usage(error.message, spec));
    } catch (const DatabaseError &error) {
        Cli::err(error.message());
    } catch (const RuntimeError &error) {
        Cli::err(error.message());
    }
    return Cli::finish(Cli::Failure);
}
