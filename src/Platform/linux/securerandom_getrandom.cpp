#include "Platform/securerandom.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

namespace Platform {

namespace {

// Bumped in the child after fork(): buffered values of the parent must never
// be handed out a second time by the child.
std::atomic<unsigned> s_forkGeneration{0};

void onForkChild()
{
    s_forkGeneration.fetch_add(1, std::memory_order_relaxed);
}

const int s_atforkRegistered = pthread_atfork(nullptr, nullptr, onForkChild);

bool readUrandom(unsigned char *target, std::size_t size)
{
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, target + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    ::close(fd);
    return done == size;
}

void fillFromKernel(unsigned char *target, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::getrandom(target + done, size - done, 0);
        if (got > 0) {
            done += std::size_t(got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break; // ENOSYS on very old kernels
    }
    if (done == size || readUrandom(target + done, size - done))
        return;
    // Last resort; the standard library draws from the kernel as well.
    std::random_device device;
    for (; done < size; ++done)
        target[done] = static_cast<unsigned char>(device());
}

// 256 bytes is the largest request that getrandom() always serves at once.
struct Buffer
{
    static constexpr std::size_t Size = 64;
    std::uint32_t values[Size];
    std::size_t used = Size;
    unsigned generation = 0;
};

class LinuxSecureRandom final : public SecureRandom
{
public:
    void fill(std::uint32_t *values, std::size_t count) override
    {
        thread_local Buffer buffer;
        const unsigned generation = s_forkGeneration.load(std::memory_order_relaxed);
        if (buffer.generation != generation) {
            buffer.generation = generation;
            buffer.used = Buffer::Size;
        }
        while (count > 0) {
            if (buffer.used == Buffer::Size) {
                fillFromKernel(reinterpret_cast<unsigned char *>(buffer.values), sizeof buffer.values);
                buffer.used = 0;
            }
            std::size_t take = Buffer::Size - buffer.used;
            if (take > count)
                take = count;
            std::memcpy(values, buffer.values + buffer.used, take * sizeof(std::uint32_t));
            // Handed-out values do not stay behind in memory.
            std::memset(buffer.values + buffer.used, 0, take * sizeof(std::uint32_t));
            buffer.used += take;
            values += take;
            count -= take;
        }
    }
};

} // namespace

SecureRandom &SecureRandom::system()
{
    (void)s_atforkRegistered;
    static LinuxSecureRandom generator;
    return generator;
}

} // namespace Platform
