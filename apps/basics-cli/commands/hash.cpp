// hash TEXT: the library's 64-bit text hash, in decimal and hexadecimal.

#include "cli.h"

#include <Basics/basics.h>

namespace {

int runHash(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return cli::usageError(QStringLiteral("hash"), QStringLiteral("expects one TEXT"));
    const quint64 hash = Basics::myHash(arguments.first());
    cli::out() << hash << " 0x" << QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0')) << '\n';
    return cli::Success;
}

} // namespace

BASICS_CLI_COMMAND(hash, "hash TEXT", "Print the 64-bit hash of TEXT in decimal and hex", runHash)
