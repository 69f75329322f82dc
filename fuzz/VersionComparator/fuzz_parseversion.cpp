// Arbitrary text as a version: parsing never fails badly, a valid version
// equals itself and its normal form, and both compare overloads agree.

#include <VersionComparator/versioncomparator.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<long long> fields;
    const bool valid = VersionComparator::parseVersion(text, fields);
    if (valid && fields.empty())
        std::abort();

    const VersionComparator::CompareResult self = VersionComparator::compare(text, text);
    if (self != (valid ? VersionComparator::Equal : VersionComparator::Invalid))
        std::abort();
    // Latin-1 round trip: the QString overload sees the same bytes.
    const QString latin1 = QString::fromLatin1(text.data(), int(text.size()));
    if (VersionComparator::compare(latin1, latin1) != self)
        std::abort();

    if (valid) {
        std::string normal;
        for (std::size_t i = 0; i < fields.size(); ++i)
            normal += (i ? "." : "") + std::to_string(fields[i]);
        std::vector<long long> again;
        if (!VersionComparator::parseVersion(normal, again) || again != fields)
            std::abort();
        if (VersionComparator::compare(text, normal) != VersionComparator::Equal)
            std::abort();
        // One more trailing zero field changes nothing; one more 1 is greater.
        if (VersionComparator::compare(text, normal + ".0") != VersionComparator::Equal
            || VersionComparator::compare(text, normal + ".1") != VersionComparator::Less)
            std::abort();
    }
    return 0;
}
