// id [COUNT]: fresh identifiers in their display form.

#include "cli.h"

#include <Identifier/identifier.h>

#include <memory>
#include <vector>

namespace {

int runId(const QStringList &arguments)
{
    int count = 1;
    if (arguments.size() > 1)
        return cli::usageError(QStringLiteral("id"), QStringLiteral("too many arguments"));
    if (arguments.size() == 1 && !cli::parseCount(arguments.first(), 1, 1000000, &count))
        return cli::usageError(QStringLiteral("id"),
                               QStringLiteral("COUNT must be a number from 1 to 1000000"));

    // All identifiers stay alive until printed, so they are distinct.
    std::vector<std::unique_ptr<Identifier>> identifiers;
    identifiers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        identifiers.push_back(std::make_unique<Identifier>());
        cli::out() << Identifier::idToHexString(identifiers.back()->id()) << '\n';
    }
    return cli::Success;
}

} // namespace

BASICS_CLI_COMMAND(id, "id [COUNT]", "Print COUNT (default 1) fresh identifiers", runId)
