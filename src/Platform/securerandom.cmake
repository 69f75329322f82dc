# Unpredictable 32-bit values: rand_s on Windows, getrandom() on Linux.
basics_platform_service(securerandom
    COMMON  securerandom.cpp
    LINUX   linux/securerandom_getrandom.cpp
    WINDOWS win32/securerandom_win32.cpp)
