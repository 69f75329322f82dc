// The system's secure random source, and the seam that lets tests script it.

#include "platformcheck.h"

#include "Platform/securerandom.h"
#include "Platform/serviceoverride.h"

#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sys/wait.h>
#include <unistd.h>
#endif

using Platform::SecureRandom;

namespace {

class ScriptedRandom : public SecureRandom
{
public:
    explicit ScriptedRandom(std::vector<std::uint32_t> script) : m_script(std::move(script)) {}
    void fill(std::uint32_t *values, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i)
            values[i] = m_script[m_next++ % m_script.size()];
    }

private:
    std::vector<std::uint32_t> m_script;
    std::size_t m_next = 0;
};

std::vector<std::uint32_t> draw(std::size_t count)
{
    std::vector<std::uint32_t> values(count);
    SecureRandom::instance().fill(values.data(), values.size());
    return values;
}

} // namespace

PLATFORM_TEST(valuesAreDistinctAcrossBufferRefills)
{
    // 10 000 values cross many refills of any internal buffer; among 32-bit
    // values a handful of repeats is already astronomically unlikely.
    const std::vector<std::uint32_t> values = draw(10000);
    const std::set<std::uint32_t> distinct(values.begin(), values.end());
    CHECK(distinct.size() >= 9990);
}

PLATFORM_TEST(everyBitIsUsedAboutHalfTheTime)
{
    const std::vector<std::uint32_t> values = draw(20000);
    for (int bit = 0; bit < 32; ++bit) {
        int set = 0;
        for (std::uint32_t value : values)
            set += (value >> bit) & 1u;
        // 20 000 fair coin flips: 6 standard deviations are about 424.
        CHECK(set > 10000 - 450 && set < 10000 + 450);
    }
}

PLATFORM_TEST(oddSizedAndEmptyRequests)
{
    std::uint32_t guard[3] = {0xDEADBEEFu, 0, 0xDEADBEEFu};
    SecureRandom::instance().fill(guard + 1, 0); // nothing written
    CHECK(guard[0] == 0xDEADBEEFu && guard[1] == 0 && guard[2] == 0xDEADBEEFu);

    // Requests of every size around a buffer boundary keep delivering values.
    for (std::size_t size = 1; size < 140; ++size) {
        const std::vector<std::uint32_t> values = draw(size);
        const std::set<std::uint32_t> distinct(values.begin(), values.end());
        CHECK(distinct.size() + 1 >= size);
    }
}

PLATFORM_TEST(threadsDrawIndependentValues)
{
    std::vector<std::uint32_t> first(1000), second(1000);
    std::thread a([&] { SecureRandom::instance().fill(first.data(), first.size()); });
    std::thread b([&] { SecureRandom::instance().fill(second.data(), second.size()); });
    a.join();
    b.join();
    std::set<std::uint32_t> all(first.begin(), first.end());
    all.insert(second.begin(), second.end());
    CHECK(all.size() >= 1995);
}

PLATFORM_TEST(scriptedImplementationIsUsedWhileInstalled)
{
    ScriptedRandom scripted({7u, 8u, 9u});
    {
        Platform::ScopedOverride<SecureRandom> scope(scripted);
        CHECK(&SecureRandom::instance() == &scripted);
        const std::vector<std::uint32_t> values = draw(4);
        CHECK(values[0] == 7u && values[1] == 8u && values[2] == 9u && values[3] == 7u);
    }
    CHECK(&SecureRandom::instance() == &SecureRandom::system());

    CHECK(SecureRandom::install(&scripted) == nullptr);
    CHECK(SecureRandom::install(nullptr) == &scripted);
    CHECK(&SecureRandom::instance() == &SecureRandom::system());
}

#if defined(__linux__)
PLATFORM_TEST(forkedChildDoesNotRepeatTheParentsValues)
{
    // Leave values in this thread's buffer, then compare what parent and
    // child draw next: a child that reused the buffer would match.
    draw(1);
    int pipeFds[2];
    CHECK(::pipe(pipeFds) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const std::vector<std::uint32_t> values = draw(8);
        const ssize_t written = ::write(pipeFds[1], values.data(), values.size() * 4);
        ::_exit(written == 32 ? 0 : 1);
    }
    const std::vector<std::uint32_t> parentValues = draw(8);
    std::vector<std::uint32_t> childValues(8);
    CHECK(::read(pipeFds[0], childValues.data(), 32) == 32);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    CHECK(parentValues != childValues);
}
#endif

PLATFORM_TEST_MAIN()
