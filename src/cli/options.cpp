#include "cli/options.h"

namespace Cli {

std::optional<Options> parse(const QStringList &args, const QStringList &valued, const QStringList &flags,
                             QString *problem)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (valued.contains(arg)) {
            if (i + 1 >= args.size()) {
                *problem = QStringLiteral("%1 には値が必要です。").arg(arg);
                return std::nullopt;
            }
            options.named.insert(arg, args[++i]);
        } else if (flags.contains(arg)) {
            options.named.insert(arg, QString());
        } else if (arg.startsWith(QLatin1String("--"))) {
            *problem = QStringLiteral("不明なオプションです: %1").arg(arg);
            return std::nullopt;
        } else {
            options.positional << arg;
        }
    }
    return options;
}

} // namespace Cli
